// Shared types of the download component: its status, the five events, the proxy and FTP
// settings objects, the protocol choice and the one exception it raises.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "net/block_socket_types.h"

namespace ov {

class TDownloaderEngine;

enum TDownloadStatus : std::uint8_t {
  stNone = 0,
  stStop = 1,
  stDownload = 2,
  stPause = 3,
  stResume = 4,
  stRedirect = 5,
};

enum TDownloaderProtocolo : std::uint8_t { protNenhum = 0, protHTTP = 1, protFTP = 2 };

// Sender of the two hook events is the socket that raised the underlying report; byte counts
// are the 32-bit values the application sees (saturated for files beyond 2 GiB).
using TDownloaderHookStatus = std::function<void(TBlockSocket& Sender, THookSocketReason Reason,
                                                 std::int32_t BytesToDownload,
                                                 std::int32_t BytesDownloaded)>;
using TDownloaderHookMonitor =
    std::function<void(TBlockSocket& Sender, std::int32_t BytesToDownload,
                       std::int32_t BytesDownloaded, double AverageSpeed, std::uint16_t Hour,
                       std::uint16_t Min, std::uint16_t Sec)>;
using TDownloaderStatusEvent =
    std::function<void(TDownloaderEngine& Sender, TDownloadStatus DownloadStatus)>;
using TDownloaderBeforeDownload = std::function<void(TDownloaderEngine& Sender)>;
using TDownloaderAfterDownload = std::function<void(TDownloaderEngine& Sender)>;

// Proxy settings; no behaviour.
struct TDownloaderProxy {
  std::string ProxyHost;
  std::string ProxyPort;
  std::string ProxyUser;
  std::string ProxyPass;
  std::int32_t ProxyTimeout = 90000;  // milliseconds
};

// FTP connection settings; no behaviour.
struct TDownloaderFTP {
  std::string FtpHost;
  std::string FtpPort;
  std::string FtpUser;
  std::string FtpPass;
  std::int32_t FtpTimeout = 300000;  // milliseconds
};

// The component's exception: missing settings and file-system failures, Portuguese messages.
class EDownloadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ov

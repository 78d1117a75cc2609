// TDownloaderEngine: the protocol-independent core of one download. It holds the settings
// copied from the facade, owns the ".part" file, turns the transfer socket's status and monitor
// reports into counts, speed and time estimates, writes received bytes to the part file as
// they arrive (never holding the whole body), and gives the file its final name when a complete
// transfer closes. Drivers derive from it and bind its two handlers to their socket.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "download/download_document.h"
#include "download/downloader_types.h"
#include "net/stream.h"

namespace ov {

class TBlockSocket;
class TDownloader;

class TDownloaderEngine {
 public:
  // Raises EDownloadError "Essa Classe deve ser instanciada por TDownloader" without an owner.
  explicit TDownloaderEngine(TDownloader* AOwner);
  virtual ~TDownloaderEngine();
  TDownloaderEngine(const TDownloaderEngine&) = delete;
  TDownloaderEngine& operator=(const TDownloaderEngine&) = delete;

  std::string DownloadDest;
  std::string DownloadUrl;
  std::string DownloadNomeArq;
  TDownloaderProxy* Proxy = nullptr;  // the facade's settings object, not owned
  TDownloaderBeforeDownload OnBeforeDownload;
  TDownloaderAfterDownload OnAfterDownload;
  TDownloaderHookStatus OnHookStatus;
  TDownloaderHookMonitor OnHookMonitor;
  TDownloaderStatusEvent OnDownloadStatus;

  TDownloadStatus DownloadStatus() const { return fDownloadStatus; }
  // Stores the status and raises OnDownloadStatus; the engine's own changes raise nothing.
  void SetDownloadStatus(TDownloadStatus Value);
  std::int32_t SizeRecvBuffer() const { return fSizeRecvBuffer; }
  // Values above 0 become the socket's receive buffer; 0 keeps the system's own sizing.
  void SetSizeRecvBuffer(std::int32_t Value);

  virtual void HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                                  const std::string& Value);
  virtual void HandleSocketMonitor(TBlockSocket& Sender, bool Writing, const void* Buffer,
                                   std::int32_t Len);
  // The whole download, blocking; nothing in the bare engine.
  virtual void StartDownload() {}

  // Counters of the running or last transfer (64-bit; the events carry saturated 32-bit ones).
  std::int64_t BytesDownloaded() const { return fBytesDownloaded; }
  std::int64_t BytesToDownload() const { return fBytesToDownload; }
  std::int64_t BytesResumed() const { return fBytesResumed; }
  std::int64_t DownloadSize() const { return fDownloadSize; }
  std::int32_t ResultCode() const { return fResultCode; }
  double AverageSpeed() const { return fAverageSpeed; }
  // Full path of the file being written once the transfer began, its bare name before.
  const std::string& FilePart() const { return fFilePart; }

 protected:
  // Binds this object's handlers to the transfer socket and hands it the receive buffer size.
  void AttachSocket(TBlockSocket& sock);
  void DetachSocket();
  // Opens fFilePart inside DownloadDest for resuming, or creates it; file errors raise.
  void OpenPartFile();
  // Writes the received bytes not yet on disk; bytes of a reply that is no success are dropped.
  void FlushDocumentToFile();
  // Appends a block of a successful reply to the part file; false when it may not go there.
  bool WriteToPartFile(const char* bytes, std::size_t count);
  void ClosePartFile();
  // Starts the part file afresh: the server sends the whole file instead of the missing part.
  void RestartPartFile();
  // Called before the first body byte of a transfer is stored; drivers check the reply here.
  virtual void BeforeBody() {}
  // Whether the closing transfer delivered everything it announced.
  virtual bool TransferComplete(TBlockSocket& Sender) const;
  // A file error from inside a socket report, raised once the client call has returned.
  void RaisePendingError();
  void RaiseHookStatus(TBlockSocket& Sender, THookSocketReason Reason);
  void SetFileError(const std::string& message);

  std::int64_t fBytesToDownload = 0;
  std::chrono::steady_clock::time_point fStartTime{};
  bool fStarted = false;  // fStartTime holds the start of the counted transfer
  double fAverageSpeed = 0;
  std::int32_t fSizeRecvBuffer = 0;
  TDownloader* fOwner = nullptr;
  TBlockSocket* fSock = nullptr;
  DownloadDocument fDocument;  // where the driver's client writes the body
  std::unique_ptr<FileStream> fFileStream;
  TDownloadStatus fDownloadStatus = stNone;
  std::int64_t fBytesDownloaded = 0;
  std::string fFilePart;
  std::int64_t fDownloadSize = 0;
  std::int32_t fResultCode = 0;
  std::int64_t fBytesResumed = 0;
  std::int64_t fFileBytes = 0;  // bytes of this transfer already in the part file
  bool fDiscardBody = false;    // the running reply's body must not reach the part file
  std::exception_ptr fPendingError;

 private:
  void HandleReadCount(TBlockSocket& Sender);
  void HandleClose(TBlockSocket& Sender);
  void GiveFinalName();
  void UpdateSpeed(std::uint16_t& hour, std::uint16_t& min, std::uint16_t& sec);
};

// The 32-bit value an event carries for a 64-bit count.
std::int32_t EventCount(std::int64_t value);
// Whether a reply code carries file data: FTP 125/150, HTTP 200/206.
bool IsBodyReplyCode(std::int32_t code);

}  // namespace ov

// TDownloader: the download component an application holds. It keeps the settings and the five
// events, forwards every write to its current engine, and StartDownload runs one whole download
// synchronously with a fresh HTTP or FTP driver. Network failures raise nothing (the ".part"
// file stays); missing settings, file-system failures and a start during a running transfer
// raise EDownloadError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "download/downloader_engine.h"
#include "download/downloader_types.h"
#include "download/non_visual_component.h"

namespace ov {

class TDownloader : public TNonVisualComponent {
 public:
  TDownloader();
  ~TDownloader() override;

  const std::string& DownloadDest() const { return fDownloadDest; }
  void SetDownloadDest(const std::string& value);
  const std::string& DownloadUrl() const { return fDownloadUrl; }
  void SetDownloadUrl(const std::string& value);
  const std::string& DownloadNomeArq() const { return fDownloadNomeArq; }
  void SetDownloadNomeArq(const std::string& value);
  TDownloadStatus DownloadStatus() const { return fDownloadStatus; }
  // Also the engine's status: raises OnDownloadStatus; stStop/stPause end a running transfer.
  void SetDownloadStatus(TDownloadStatus value);
  std::int32_t SizeRecvBuffer() const { return fSizeRecvBuffer; }
  void SetSizeRecvBuffer(std::int32_t value);
  TDownloaderProtocolo Protocolo() const { return fProtocolo; }
  void SetProtocolo(TDownloaderProtocolo value) { fProtocolo = value; }

  // The facade's own settings objects; every driver refers to them. Writing copies the values.
  TDownloaderProxy& Proxy() { return *fProxy; }
  void SetProxy(const TDownloaderProxy& value) { *fProxy = value; }
  TDownloaderProxy* ProxySettings() { return fProxy.get(); }  // none while constructing
  TDownloaderFTP& FTP() { return *fFTP; }
  void SetFTP(const TDownloaderFTP& value) { *fFTP = value; }
  TDownloaderFTP* FTPSettings() { return fFTP.get(); }

  const TDownloaderBeforeDownload& OnBeforeDownload() const { return fOnBeforeDownload; }
  void SetOnBeforeDownload(TDownloaderBeforeDownload handler);
  const TDownloaderHookStatus& OnHookStatus() const { return fOnHookStatus; }
  void SetOnHookStatus(TDownloaderHookStatus handler);
  const TDownloaderStatusEvent& OnDownloadStatus() const { return fOnDownloadStatus; }
  void SetOnDownloadStatus(TDownloaderStatusEvent handler);
  const TDownloaderAfterDownload& OnAfterDownload() const { return fOnAfterDownload; }
  void SetOnAfterDownload(TDownloaderAfterDownload handler);
  const TDownloaderHookMonitor& OnHookMonitor() const { return fOnHookMonitor; }
  void SetOnHookMonitor(TDownloaderHookMonitor handler);

  // Blocks until the download (with its redirects) has ended. Raises EDownloadError for no
  // protocol, no file name, file-system failures, FTP logon failures, and a start from inside
  // an event of a running download.
  void StartDownload();

  // The current engine: a bare one before the first start, then the last driver.
  TDownloaderEngine& Engine() { return *fDown; }

 private:
  std::unique_ptr<TDownloaderEngine> fDown;
  TDownloaderProtocolo fProtocolo = protNenhum;
  std::string fDownloadDest;
  TDownloadStatus fDownloadStatus = stNone;
  std::string fDownloadUrl;
  std::string fDownloadNomeArq;
  std::unique_ptr<TDownloaderProxy> fProxy;
  std::int32_t fSizeRecvBuffer = 0;
  std::unique_ptr<TDownloaderFTP> fFTP;
  TDownloaderBeforeDownload fOnBeforeDownload;
  TDownloaderHookStatus fOnHookStatus;
  TDownloaderStatusEvent fOnDownloadStatus;
  TDownloaderAfterDownload fOnAfterDownload;
  TDownloaderHookMonitor fOnHookMonitor;
  bool fRunning = false;
};

}  // namespace ov

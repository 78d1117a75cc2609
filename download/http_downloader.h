// THTTPDownloader: the download engine over HTTP. It names the local file (given, from the
// URL's last segment, or from a "filename=" probe), resumes a part file with a Range request,
// follows up to ten 302 redirects through the same part file, and lets the engine finish the
// file when the client closes the connection after a complete, successful body.
#pragma once

#include <memory>
#include <string>

#include "download/downloader_engine.h"
#include "download/http_download_client.h"

namespace ov {

class THTTPDownloader : public TDownloaderEngine {
 public:
  static constexpr int kMaxRedirects = 10;

  explicit THTTPDownloader(TDownloader* AOwner);
  ~THTTPDownloader() override;

  void StartDownload() override;
  void HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                          const std::string& Value) override;

  THTTPSend& HTTPSend() { return *fHTTPSend; }

 protected:
  void BeforeBody() override;
  bool TransferComplete(TBlockSocket& Sender) const override;

 private:
  void ReadClientState();
  void ApplyProxySettings();
  std::string ProbeFileName();
  void RunRequest();
  void HandleRedirectClose(TBlockSocket& Sender, const std::string& Value);
  void HandleRangeNotSatisfiable(TBlockSocket& Sender, const std::string& Value);
  void FollowRedirect();

  std::unique_ptr<HttpDownloadClient> fHTTPSend;
  bool fProbing = false;
  int fRedirects = 0;
  std::string fPartName;     // local name with ".part", without the folder
  std::string fRedirectUrl;  // set by a 302's close; followed once the request returns
};

}  // namespace ov

#include "download/http_downloader.h"

#include "download/http_response_head.h"
#include "download/part_file_ops.h"
#include "download/url_reference.h"
#include "net/tcp_block_socket.h"
#include "net/text_utils.h"

namespace ov {
namespace {

constexpr std::int32_t kProbeRangeEnd = 1024;

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Clears a flag when the scope ends, by any path.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

THTTPDownloader::THTTPDownloader(TDownloader* AOwner)
    : TDownloaderEngine(AOwner), fHTTPSend(std::make_unique<HttpDownloadClient>()) {
  fHTTPSend->OutputStream = &fDocument;
  AttachSocket(fHTTPSend->Sock());
}

THTTPDownloader::~THTTPDownloader() {
  DetachSocket();
  fHTTPSend.reset();
}

void THTTPDownloader::ReadClientState() {
  fResultCode = fHTTPSend->ResultCode();
  fDownloadSize = fHTTPSend->DownloadSize();
  if (fDownloadSize == 0) fDownloadSize = fHTTPSend->AnnouncedSize();
}

void THTTPDownloader::ApplyProxySettings() {
  if (Proxy == nullptr) return;
  fHTTPSend->ProxyHost = Proxy->ProxyHost;
  if (!Proxy->ProxyPort.empty()) fHTTPSend->ProxyPort = Proxy->ProxyPort;
  fHTTPSend->ProxyUser = Proxy->ProxyUser;
  fHTTPSend->ProxyPass = Proxy->ProxyPass;
  fHTTPSend->Timeout = Proxy->ProxyTimeout;
}

void THTTPDownloader::StartDownload() {
  fFilePart = DownloadNomeArq;
  fRedirects = 0;
  ApplyProxySettings();
  if (fFilePart.empty() && fDownloadStatus != stRedirect) {
    fFilePart = LastPathSegment(SplitUrl(DownloadUrl).Path);
    if (fFilePart.empty()) fFilePart = ProbeFileName();
  }
  if (!fFilePart.empty() && !EndsWith(fFilePart, ".part")) fFilePart += ".part";
  if (fFilePart.empty()) throw EDownloadError("Favor informar o nome do arquivo para download!");
  fPartName = fFilePart;
  RunRequest();
}

std::string THTTPDownloader::ProbeFileName() {
  {
    FlagScope probing(fProbing);
    fHTTPSend->Clear();
    fHTTPSend->RangeEnd = kProbeRangeEnd;
    fHTTPSend->HTTPMethod("GET", DownloadUrl);
  }
  fDocument.Reset();
  return ProbedFileName(fHTTPSend->Headers());
}

// One request into the part file; a 302 seen at its close runs the next request nested in it,
// so the application sees Before, Before, After, After for one redirect.
void THTTPDownloader::RunRequest() {
  fFilePart = fPartName;
  OpenPartFile();
  fHTTPSend->Clear();
  fHTTPSend->ForgetAnnouncedSize();
  fHTTPSend->RangeStart = fBytesResumed;
  fRedirectUrl.clear();
  if (OnBeforeDownload) OnBeforeDownload(*this);
  fHTTPSend->HTTPMethod("GET", DownloadUrl);
  ClosePartFile();
  RaisePendingError();
  if (!fRedirectUrl.empty()) FollowRedirect();
  if (OnAfterDownload) OnAfterDownload(*this);
}

void THTTPDownloader::FollowRedirect() {
  ++fRedirects;
  const std::string next = fRedirectUrl;
  fRedirectUrl.clear();
  // Cookies and credentials belong to the host that set them.
  if (UrlAuthority(next) != UrlAuthority(DownloadUrl)) {
    fHTTPSend->Cookies().clear();
    fHTTPSend->UserName.clear();
    fHTTPSend->Password.clear();
  }
  DownloadUrl = next;
  RunRequest();
}

void THTTPDownloader::HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                                         const std::string& Value) {
  ReadClientState();
  if (fProbing) return;
  if (Reason == HR_SocketClose) {
    // 500 is preset for every request: this close is the connection set-up's or one before
    // any status line arrived (or a real 500, which ends the same way).
    if (fResultCode == 500) return;
    if (fResultCode == 302) {
      HandleRedirectClose(Sender, Value);
      return;
    }
    if (fResultCode == 416) {
      HandleRangeNotSatisfiable(Sender, Value);
      return;
    }
  }
  TDownloaderEngine::HandleSocketStatus(Sender, Reason, Value);
}

void THTTPDownloader::HandleRedirectClose(TBlockSocket& Sender, const std::string& Value) {
  fDocument.TakePending();
  ClosePartFile();
  fDownloadStatus = stRedirect;
  const auto location = HeaderValue(fHTTPSend->Headers(), "Location");
  if (location && fRedirects < kMaxRedirects) {
    fRedirectUrl = ResolveUrlReference(DownloadUrl, *location);
    return;
  }
  // No place to go, or too many hops: the request failed; the part file stays.
  TDownloaderEngine::HandleSocketStatus(Sender, HR_SocketClose, Value);
}

void THTTPDownloader::HandleRangeNotSatisfiable(TBlockSocket& Sender, const std::string& Value) {
  fDocument.TakePending();
  const auto header = HeaderValue(fHTTPSend->Headers(), "Content-Range");
  const auto range = header ? ParseContentRange(*header) : std::nullopt;
  if (range && fBytesResumed > 0 && range->total == fBytesResumed) {
    // The part file already holds the whole file.
    fResultCode = 206;
    TDownloaderEngine::HandleSocketStatus(Sender, HR_SocketClose, Value);
    return;
  }
  ClosePartFile();
  if (!RemoveFileIfPresent(fFilePart)) {
    SetFileError("Não foi possível excluir o arquivo: " + fFilePart);
    return;
  }
  RaiseHookStatus(Sender, HR_SocketClose);
}

void THTTPDownloader::BeforeBody() {
  if (fProbing) return;
  ReadClientState();
  if (fResultCode == 200 && fBytesResumed > 0) {
    RestartPartFile();
  } else if (fResultCode == 206) {
    const auto header = HeaderValue(fHTTPSend->Headers(), "Content-Range");
    const auto range = header ? ParseContentRange(*header) : std::nullopt;
    if (!range || range->first != fBytesResumed) {
      RestartPartFile();
      // Only a range from the first byte can fill the emptied file.
      if (!range || range->first != 0) fDiscardBody = true;
    }
  }
}

bool THTTPDownloader::TransferComplete(TBlockSocket& Sender) const {
  if (fDiscardBody || Sender.LastError() != 0) return false;
  const auto& headers = fHTTPSend->Headers();
  const auto encoding = HeaderValue(headers, "Transfer-Encoding");
  const auto length = HeaderValue(headers, "Content-Length");
  if (length && !encoding) {
    const auto range = std::string("bytes 0-0/") + *length;
    const auto parsed = ParseContentRange(range);
    if (parsed && parsed->total != fDocument.Size()) return false;
  }
  return true;
}

}  // namespace ov

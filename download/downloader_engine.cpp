#include "download/downloader_engine.h"

#include <algorithm>
#include <limits>

#include "download/downloader.h"
#include "download/part_file_ops.h"
#include "net/block_socket.h"
#include "net/text_utils.h"

namespace ov {
namespace {

constexpr double kBytesPerKiB = 1024.0;
constexpr std::string_view kPartSuffix = ".part";

bool EndsWithPart(const std::string& name) {
  return name.size() >= kPartSuffix.size() &&
         name.compare(name.size() - kPartSuffix.size(), kPartSuffix.size(), kPartSuffix) == 0;
}

std::string Formatted(std::string text, const std::string& first, const std::string& second = {}) {
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, first);
  const std::size_t next = text.find("%s", at == std::string::npos ? 0 : at + first.size());
  if (next != std::string::npos) text.replace(next, 2, second);
  return text;
}

const char* const kDeleteFailed = "Não foi possível excluir o arquivo: %s";
const char* const kRenameFailed = "Não foi possível renomear o arquivo: %s para %s";

}  // namespace

std::int32_t EventCount(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool IsBodyReplyCode(std::int32_t code) {
  return code == 125 || code == 150 || code == 200 || code == 206;
}

TDownloaderEngine::TDownloaderEngine(TDownloader* AOwner) {
  if (AOwner == nullptr) throw EDownloadError("Essa Classe deve ser instanciada por TDownloader");
  fOwner = AOwner;
  Proxy = AOwner->ProxySettings();
  DownloadDest = AOwner->DownloadDest();
  DownloadUrl = AOwner->DownloadUrl();
  DownloadNomeArq = AOwner->DownloadNomeArq();
  fDownloadStatus = AOwner->DownloadStatus();
  fSizeRecvBuffer = AOwner->SizeRecvBuffer();
  OnBeforeDownload = AOwner->OnBeforeDownload();
  OnAfterDownload = AOwner->OnAfterDownload();
  OnHookStatus = AOwner->OnHookStatus();
  OnHookMonitor = AOwner->OnHookMonitor();
  OnDownloadStatus = AOwner->OnDownloadStatus();
  fDocument.OnFirstWrite = [this] { BeforeBody(); };
  fDocument.WriteThrough = [this](const char* bytes, std::size_t count) {
    return WriteToPartFile(bytes, count);
  };
}

TDownloaderEngine::~TDownloaderEngine() {
  DetachSocket();
  Proxy = nullptr;
  fOwner = nullptr;
}

void TDownloaderEngine::SetDownloadStatus(TDownloadStatus Value) {
  fDownloadStatus = Value;
  if (OnDownloadStatus) OnDownloadStatus(*this, Value);
}

void TDownloaderEngine::SetSizeRecvBuffer(std::int32_t Value) {
  fSizeRecvBuffer = Value;
  // A zero buffer would shrink the kernel's window to its minimum and crawl; keep its default.
  if (fSock != nullptr && Value > 0) fSock->SetSizeRecvBuffer(Value);
}

void TDownloaderEngine::AttachSocket(TBlockSocket& sock) {
  fSock = &sock;
  sock.OnStatus = [this](TBlockSocket& sender, THookSocketReason reason, const std::string& value) {
    HandleSocketStatus(sender, reason, value);
  };
  sock.OnMonitor = [this](TBlockSocket& sender, bool writing, const void* buffer,
                          std::int32_t len) { HandleSocketMonitor(sender, writing, buffer, len); };
  SetSizeRecvBuffer(fSizeRecvBuffer);
}

void TDownloaderEngine::DetachSocket() {
  if (fSock == nullptr) return;
  fSock->OnStatus = nullptr;
  fSock->OnMonitor = nullptr;
  fSock = nullptr;
}

void TDownloaderEngine::OpenPartFile() {
  fFilePart = PathInFolder(TrimSpaces(DownloadDest), fFilePart);
  std::string error;
  fFileStream.reset();
  if (PathExists(fFilePart)) {
    fDownloadStatus = stResume;
    fFileStream = FileStream::Open(fFilePart, FileStream::Mode::OpenReadWrite, &error);
    if (!fFileStream) throw EDownloadError(error);
    fBytesResumed = fFileStream->Size();
    fFileStream->Seek(fBytesResumed);
  } else {
    fDownloadStatus = stNone;
    fFileStream = FileStream::Open(fFilePart, FileStream::Mode::Create, &error);
    if (!fFileStream) throw EDownloadError(error);
    fBytesResumed = 0;
  }
  fFileBytes = 0;
  fDiscardBody = false;
  fDocument.Reset();
}

void TDownloaderEngine::FlushDocumentToFile() {
  std::string& pending = fDocument.Pending();
  if (pending.empty()) return;
  // Bytes that cannot go to the file (an error reply's body, no file) are dropped.
  WriteToPartFile(pending.data(), pending.size());
  fDocument.TakePending();
}

bool TDownloaderEngine::WriteToPartFile(const char* bytes, std::size_t count) {
  if (!fFileStream || fDiscardBody || !IsBodyReplyCode(fResultCode)) return false;
  const std::size_t written = fFileStream->Write(bytes, count);
  fFileBytes += static_cast<std::int64_t>(written);
  // A short write (disk full) leaves a part file that can never be complete.
  if (written != count) fDiscardBody = true;
  return true;
}

void TDownloaderEngine::ClosePartFile() { fFileStream.reset(); }

void TDownloaderEngine::RestartPartFile() {
  if (!fFileStream) return;
  fFileStream->SetSize(0);
  fFileStream->Seek(0);
  if (fDownloadStatus == stDownload) fBytesDownloaded -= fBytesResumed;
  fBytesResumed = 0;
  fBytesToDownload = fDownloadSize;
}

bool TDownloaderEngine::TransferComplete(TBlockSocket&) const { return !fDiscardBody; }

void TDownloaderEngine::RaisePendingError() {
  if (!fPendingError) return;
  std::exception_ptr error = fPendingError;
  fPendingError = nullptr;
  std::rethrow_exception(error);
}

void TDownloaderEngine::SetFileError(const std::string& message) {
  if (!fPendingError) fPendingError = std::make_exception_ptr(EDownloadError(message));
}

void TDownloaderEngine::RaiseHookStatus(TBlockSocket& Sender, THookSocketReason Reason) {
  if (OnHookStatus) {
    OnHookStatus(Sender, Reason, EventCount(fBytesToDownload), EventCount(fBytesDownloaded));
  }
}

void TDownloaderEngine::HandleSocketStatus(TBlockSocket& Sender, THookSocketReason Reason,
                                           const std::string&) {
  switch (Reason) {
    case HR_Connect:
      RaiseHookStatus(Sender, HR_Connect);
      break;
    case HR_ReadCount:
      HandleReadCount(Sender);
      break;
    case HR_SocketClose:
      HandleClose(Sender);
      break;
    default:
      break;
  }
}

void TDownloaderEngine::HandleReadCount(TBlockSocket& Sender) {
  if ((fDownloadStatus != stNone && fDownloadStatus != stResume) || fDownloadSize == 0) return;
  if (fDownloadStatus == stNone || !fStarted) {
    fStartTime = std::chrono::steady_clock::now();
    fStarted = true;
    fAverageSpeed = 0;
  }
  fDownloadStatus = stDownload;
  fBytesDownloaded = fBytesResumed;
  fBytesToDownload = fBytesResumed + fDownloadSize;
  RaiseHookStatus(Sender, HR_ReadCount);
}

void TDownloaderEngine::HandleClose(TBlockSocket& Sender) {
  if (IsBodyReplyCode(fResultCode) && fFileStream) {
    FlushDocumentToFile();
    ClosePartFile();
  }
  // File errors are kept for the driver to raise once the client call has returned, so they
  // never travel through the client's own clean-up.
  if (!fPendingError) {
    switch (fDownloadStatus) {
      case stStop:
        ClosePartFile();
        // A second close report after a stop finds the file gone already.
        if (!fFilePart.empty() && !RemoveFileIfPresent(fFilePart)) {
          SetFileError(Formatted(kDeleteFailed, fFilePart));
        }
        break;
      case stNone:
      case stDownload:
      case stResume:
        if ((fResultCode == 200 || fResultCode == 206 || fResultCode == 226) &&
            !fFilePart.empty() && !fFileStream && TransferComplete(Sender)) {
          GiveFinalName();
        }
        break;
      default:
        break;
    }
  }
  if (!fPendingError) RaiseHookStatus(Sender, HR_SocketClose);
}

void TDownloaderEngine::GiveFinalName() {
  if (EndsWithPart(fFilePart)) {
    const std::string final_name = fFilePart.substr(0, fFilePart.size() - kPartSuffix.size());
    if (PathExists(fFilePart) && !ReplaceFile(fFilePart, final_name)) {
      SetFileError(Formatted(kRenameFailed, fFilePart, final_name));
    }
    return;
  }
  const std::string leftover = fFilePart + std::string(kPartSuffix);
  if (!RemoveFileIfPresent(leftover)) SetFileError(Formatted(kDeleteFailed, leftover));
}

void TDownloaderEngine::HandleSocketMonitor(TBlockSocket& Sender, bool Writing, const void*,
                                            std::int32_t Len) {
  if (Writing) return;
  fBytesDownloaded += Len;
  if (fFileStream && !fDocument.Pending().empty()) FlushDocumentToFile();
  std::uint16_t hour = 0, min = 0, sec = 0;
  UpdateSpeed(hour, min, sec);
  if (fDownloadStatus == stStop || fDownloadStatus == stPause) Sender.CloseSocket();
  if (OnHookMonitor) {
    OnHookMonitor(Sender, EventCount(fBytesToDownload), EventCount(fBytesDownloaded),
                  fAverageSpeed, hour, min, sec);
  }
}

// Speed counts only this transfer's bytes over a monotonic clock; Hour and Min carry the
// elapsed time's fields, Sec the estimated remaining seconds (elapsed ones while no speed).
void TDownloaderEngine::UpdateSpeed(std::uint16_t& hour, std::uint16_t& min,
                                    std::uint16_t& sec) {
  if (!fStarted) return;
  const auto elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - fStartTime)
                              .count();
  const std::int64_t whole_secs = elapsed_ms / 1000;
  hour = static_cast<std::uint16_t>((whole_secs / 3600) % 24);
  min = static_cast<std::uint16_t>((whole_secs / 60) % 60);
  sec = static_cast<std::uint16_t>(whole_secs % 60 + (whole_secs / 60) % 60 * 60 +
                                   (whole_secs / 3600) % 24 * 3600);
  const double seconds = static_cast<double>(elapsed_ms) / 1000.0;
  const std::int64_t counted = fBytesDownloaded - fBytesResumed;
  if (seconds > 0 && counted > 0) {
    fAverageSpeed = static_cast<double>(counted) / kBytesPerKiB / seconds;
  }
  if (fAverageSpeed > 0) {
    const std::int64_t left = std::max<std::int64_t>(0, fBytesToDownload - fBytesDownloaded);
    sec = static_cast<std::uint16_t>(
        static_cast<std::int64_t>(static_cast<double>(left) / kBytesPerKiB / fAverageSpeed));
  }
}

}  // namespace ov

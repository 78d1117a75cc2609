#include "download/download_document.h"

namespace ov {

std::size_t DownloadDocument::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (!written_) {
    written_ = true;
    if (OnFirstWrite) OnFirstWrite();
  }
  const char* bytes = static_cast<const char*>(buffer);
  if (pending_.empty() && WriteThrough && WriteThrough(bytes, count)) {
    taken_ += static_cast<std::int64_t>(count);
    return count;
  }
  pending_.append(bytes, count);
  return count;
}

void DownloadDocument::SetSize(std::int64_t size) {
  if (size == 0) Reset();
}

void DownloadDocument::TakePending() {
  taken_ += static_cast<std::int64_t>(pending_.size());
  pending_.clear();
  // A large block leaves a large capacity behind; give it back so memory stays small.
  if (pending_.capacity() > kKeptCapacity) std::string().swap(pending_);
}

void DownloadDocument::Reset() {
  std::string().swap(pending_);
  taken_ = 0;
  written_ = false;
}

}  // namespace ov

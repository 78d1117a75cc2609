// DownloadDocument: the stream a protocol client writes a received body into. It counts every
// byte written in this transfer (its Size) but keeps in memory only those not yet taken by
// TakePending, so a body of any size costs no more memory than one block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "net/stream.h"

namespace ov {

class DownloadDocument : public Stream {
 public:
  std::int64_t Size() const override { return taken_ + static_cast<std::int64_t>(pending_.size()); }
  std::int64_t Position() const override { return Size(); }
  // Writes always append; seeking is accepted and ignored (clients rewind after a body).
  void Seek(std::int64_t) override {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override;
  // Truncating to 0 starts a new transfer; other sizes are not supported and are ignored.
  void SetSize(std::int64_t size) override;

  // Called once before the first byte of a transfer is stored (the response head is known).
  std::function<void()> OnFirstWrite;
  // Offered every block first while nothing is pending; true when it stored the block itself
  // (so it is counted as taken without a copy in memory).
  std::function<bool(const char* bytes, std::size_t count)> WriteThrough;

  // Bytes written and not yet taken.
  std::string& Pending() { return pending_; }
  // Marks the pending bytes as taken (written elsewhere or discarded) and frees them.
  void TakePending();
  void Reset();

 private:
  static constexpr std::size_t kKeptCapacity = 4 * 1024 * 1024;

  std::string pending_;
  std::int64_t taken_ = 0;
  bool written_ = false;
};

}  // namespace ov

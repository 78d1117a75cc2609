#include "net/block_socket_buffer.h"

#include <algorithm>
#include <utility>

namespace ov {

std::string ReceiveBuffer::TakeAll() {
  std::string out;
  if (offset_ == 0) {
    out = std::move(data_);
  } else {
    out.assign(View());
  }
  Clear();
  return out;
}

std::string ReceiveBuffer::Take(std::size_t count) {
  std::string out(View().substr(0, count));
  Consume(out.size());
  return out;
}

void ReceiveBuffer::Consume(std::size_t count) {
  offset_ += std::min(count, Size());
  if (offset_ == data_.size()) {
    Clear();
  } else {
    CompactIfWasteful();
  }
}

void ReceiveBuffer::Assign(std::string bytes) {
  data_ = std::move(bytes);
  offset_ = 0;
}

void ReceiveBuffer::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  if (offset_ > 0 && offset_ >= Size()) {
    // Most of the storage is dead: move the live bytes to the front before growing.
    data_.erase(0, offset_);
    offset_ = 0;
  }
  data_.append(bytes);
}

void ReceiveBuffer::Clear() {
  data_.clear();
  offset_ = 0;
}

void ReceiveBuffer::CompactIfWasteful() {
  // Compact only when the dead prefix is large and outweighs the live bytes: each byte is
  // then moved at most a bounded number of times.
  constexpr std::size_t kMinDeadBytes = 1 << 16;
  if (offset_ >= kMinDeadBytes && offset_ >= Size()) {
    data_.erase(0, offset_);
    offset_ = 0;
  }
}

}  // namespace ov

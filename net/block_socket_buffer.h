// The socket's receive buffer: bytes already read from the network but not yet handed out.
// Consuming from the front only moves an offset; the storage is compacted rarely, so reading
// many small pieces out of a large packet costs linear time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ov {

class ReceiveBuffer {
 public:
  bool Empty() const { return Size() == 0; }
  std::size_t Size() const { return data_.size() - offset_; }
  std::string_view View() const { return std::string_view(data_).substr(offset_); }

  // Copy of the pending bytes.
  std::string Str() const { return std::string(View()); }
  // All pending bytes; the buffer is left empty.
  std::string TakeAll();
  // The first `count` pending bytes (fewer when fewer are held), removed from the buffer.
  std::string Take(std::size_t count);
  // Drops the first `count` pending bytes.
  void Consume(std::size_t count);
  // Replaces the content.
  void Assign(std::string bytes);
  void Append(std::string_view bytes);
  void Clear();

 private:
  void CompactIfWasteful();

  std::string data_;
  std::size_t offset_ = 0;
};

}  // namespace ov

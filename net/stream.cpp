#include "net/stream.h"

#include <algorithm>
#include <cstring>

namespace ov {

Stream::~Stream() = default;

MemoryStream::MemoryStream(std::string data) : data_(std::move(data)) {}

std::int64_t MemoryStream::Size() const { return static_cast<std::int64_t>(data_.size()); }

std::int64_t MemoryStream::Position() const { return position_; }

void MemoryStream::Seek(std::int64_t position) { position_ = std::max<std::int64_t>(position, 0); }

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= Size()) return 0;
  const auto start = static_cast<std::size_t>(position_);
  const std::size_t n = std::min(count, data_.size() - start);
  if (n > 0) std::memcpy(buffer, data_.data() + start, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const auto start = static_cast<std::size_t>(position_);
  if (data_.size() < start + count) data_.resize(start + count);  // a gap reads as zeros
  std::memcpy(data_.data() + start, buffer, count);
  position_ += static_cast<std::int64_t>(count);
  return count;
}

void MemoryStream::SetSize(std::int64_t size) {
  data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  position_ = std::min(position_, Size());
}

const std::string& MemoryStream::Data() const { return data_; }

std::string& MemoryStream::Data() { return data_; }

void MemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

std::string ReadBytesFromStream(Stream& s, std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    const std::size_t n = s.Read(bytes.data() + got, count - got);
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

void WriteBytesToStream(Stream& s, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t n = s.Write(bytes.data() + done, bytes.size() - done);
    if (n == 0) break;
    done += n;
  }
}

}  // namespace ov

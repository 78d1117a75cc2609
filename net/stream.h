// Seekable byte streams with 64-bit positions: in memory and on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ov {

// A byte container with a current position; reads and writes advance it.
class Stream {
 public:
  virtual ~Stream();
  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Position() const = 0;
  virtual void Seek(std::int64_t position) = 0;  // absolute; may pass the end, not below 0
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;         // bytes read (0 at end)
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;  // bytes written
  // Truncates or extends (with zeros); a position beyond the new end moves to the end.
  virtual void SetSize(std::int64_t size) = 0;
};

// Stream over a std::string; writing past the end grows it (a gap is filled with zeros).
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::string data);
  std::int64_t Size() const override;
  std::int64_t Position() const override;
  void Seek(std::int64_t position) override;
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  void SetSize(std::int64_t size) override;
  const std::string& Data() const;
  std::string& Data();
  void Clear();  // empties the data and rewinds

 private:
  std::string data_;
  std::int64_t position_ = 0;
};

// Stream over a file, held open exclusively: a second open of the same file fails until
// this one is destroyed.
class FileStream : public Stream {
 public:
  enum class Mode { Create /*create or truncate*/, OpenReadWrite, OpenRead };
  // nullptr and a message in `error` (when given) on failure.
  static std::unique_ptr<FileStream> Open(const std::string& utf8_path, Mode mode,
                                          std::string* error);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  std::int64_t Size() const override;
  std::int64_t Position() const override;
  void Seek(std::int64_t position) override;
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  void SetSize(std::int64_t size) override;

  struct Handle;  // the platform's file handle

 private:
  explicit FileStream(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
};

// Up to `count` bytes from the current position (fewer at the end).
std::string ReadBytesFromStream(Stream& s, std::size_t count);
// All of `bytes` at the current position.
void WriteBytesToStream(Stream& s, std::string_view bytes);

}  // namespace ov

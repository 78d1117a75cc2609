// Files through open(2); an exclusive flock held while open keeps out every other open.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/stream.h"

namespace ov {

struct FileStream::Handle {
  explicit Handle(int descriptor) : fd(descriptor) {}
  ~Handle() { ::close(fd); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  int fd;
};

namespace {

void SetError(std::string* error, const std::string& path, int code) {
  if (error) *error = "Cannot open file \"" + path + "\". " + std::strerror(code);
}

int OpenFlags(FileStream::Mode mode) {
  switch (mode) {
    case FileStream::Mode::Create:
      return O_RDWR | O_CREAT;
    case FileStream::Mode::OpenReadWrite:
      return O_RDWR;
    case FileStream::Mode::OpenRead:
      return O_RDONLY;
  }
  return O_RDONLY;
}

}  // namespace

std::unique_ptr<FileStream> FileStream::Open(const std::string& utf8_path, Mode mode,
                                             std::string* error) {
  const int fd = ::open(utf8_path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetError(error, utf8_path, errno);
    return nullptr;
  }
  auto handle = std::make_unique<Handle>(fd);
  // Take the lock before truncating, so that a file open elsewhere is left untouched.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    SetError(error, utf8_path, errno == EWOULDBLOCK ? EBUSY : errno);
    return nullptr;
  }
  // An empty file is left alone: ext4 treats a truncation to zero as "rewriting a file in
  // place" and then writes the whole new content back to disk when it is closed.
  struct stat info {};
  const bool empty = ::fstat(fd, &info) == 0 && info.st_size == 0;
  if (mode == Mode::Create && !empty && ::ftruncate(fd, 0) != 0) {
    SetError(error, utf8_path, errno);
    return nullptr;
  }
  return std::unique_ptr<FileStream>(new FileStream(std::move(handle)));
}

FileStream::FileStream(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

FileStream::~FileStream() = default;

std::int64_t FileStream::Size() const {
  struct stat info {};
  return ::fstat(handle_->fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

std::int64_t FileStream::Position() const {
  const off_t at = ::lseek(handle_->fd, 0, SEEK_CUR);
  return at < 0 ? 0 : static_cast<std::int64_t>(at);
}

void FileStream::Seek(std::int64_t position) {
  ::lseek(handle_->fd, static_cast<off_t>(std::max<std::int64_t>(position, 0)), SEEK_SET);
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
  ssize_t n;
  do {
    n = ::read(handle_->fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
  ssize_t n;
  do {
    n = ::write(handle_->fd, buffer, count);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

void FileStream::SetSize(std::int64_t size) {
  size = std::max<std::int64_t>(size, 0);
  if (::ftruncate(handle_->fd, static_cast<off_t>(size)) == 0 && Position() > size) Seek(size);
}

}  // namespace ov

// Files through CreateFileW with no sharing, so no other open succeeds while this one lasts.
#include <windows.h>

#include <algorithm>

#include "net/stream.h"
#include "net/unicode.h"

namespace ov {

struct FileStream::Handle {
  explicit Handle(HANDLE h) : file(h) {}
  ~Handle() { CloseHandle(file); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE file;
};

namespace {

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length =
      FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length ? Narrow(std::wstring_view(buffer, length)) : std::string();
  LocalFree(buffer);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.pop_back();
  return text.empty() ? "System error " + std::to_string(code) + "." : text;
}

}  // namespace

std::unique_ptr<FileStream> FileStream::Open(const std::string& utf8_path, Mode mode,
                                             std::string* error) {
  const DWORD access = mode == Mode::OpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == Mode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE file = CreateFileW(Widen(utf8_path).c_str(), access, 0, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = "Cannot open file \"" + utf8_path + "\". " + SystemMessage(GetLastError());
    return nullptr;
  }
  return std::unique_ptr<FileStream>(new FileStream(std::make_unique<Handle>(file)));
}

FileStream::FileStream(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

FileStream::~FileStream() = default;

std::int64_t FileStream::Size() const {
  LARGE_INTEGER size{};
  return GetFileSizeEx(handle_->file, &size) ? size.QuadPart : 0;
}

std::int64_t FileStream::Position() const {
  LARGE_INTEGER zero{};
  LARGE_INTEGER at{};
  return SetFilePointerEx(handle_->file, zero, &at, FILE_CURRENT) ? at.QuadPart : 0;
}

void FileStream::Seek(std::int64_t position) {
  LARGE_INTEGER to{};
  to.QuadPart = std::max<std::int64_t>(position, 0);
  SetFilePointerEx(handle_->file, to, nullptr, FILE_BEGIN);
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
  DWORD done = 0;
  const auto chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
  return ReadFile(handle_->file, buffer, chunk, &done, nullptr) ? done : 0;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
  DWORD done = 0;
  const auto chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
  return WriteFile(handle_->file, buffer, chunk, &done, nullptr) ? done : 0;
}

// SetEndOfFile cuts or extends at the file pointer; the old position is restored, or moved
// to the new end when it lay beyond it.
void FileStream::SetSize(std::int64_t size) {
  size = std::max<std::int64_t>(size, 0);
  const std::int64_t position = Position();
  Seek(size);
  SetEndOfFile(handle_->file);
  Seek(std::min(position, size));
}

}  // namespace ov

#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdio>

#include "net/unicode.h"
#include "platform/win32/win32_handles.h"

namespace ov {
namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

// Windows error codes onto the I/O error codes the installer reports.
int IoCode(DWORD error) {
  switch (error) {
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
      return 3;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return 101;
    default:
      return static_cast<int>(error);
  }
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) const {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string& path) const {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::CreateDirectories(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty() || DirectoryExists(folder)) return !folder.empty();
  const std::size_t parent_end = folder.find_last_of("\\/");
  if (parent_end != std::string::npos && parent_end > 0)
    CreateDirectories(folder.substr(0, parent_end + 1));
  return CreateDirectoryW(Widen(folder).c_str(), nullptr) || DirectoryExists(folder);
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
  return DeleteFileW(Widen(path).c_str()) != 0;
}

bool Win32FileSystem::DuplicateFile(const std::string& from, const std::string& to,
                                    bool overwrite) {
  return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), overwrite ? FALSE : TRUE) != 0;
}

int Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  const win32::KernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE) return IoCode(GetLastError());
  DWORD written = 0;
  if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return IoCode(GetLastError());
  }
  return written == bytes.size() ? 0 : 101;  // fewer bytes than asked: the disk is full
}

std::string Win32FileSystem::TimestampText() const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
  return text;
}

}  // namespace ov

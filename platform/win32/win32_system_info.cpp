#include "platform/win32/win32_system_info.h"

#include <shlobj.h>
#include <windows.h>

#include "net/unicode.h"

namespace ov {

std::string Win32SystemInfo::WindowsDirectory() const {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Narrow(std::wstring_view(buffer, length));
}

std::string Win32SystemInfo::SystemDriveValue() const {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"SystemDrive", buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Narrow(std::wstring_view(buffer, length));
}

OsVersion Win32SystemInfo::Version() const {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExW(&info)) return {};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

std::string Win32SystemInfo::ShellDesktopFolder() const {
  wchar_t buffer[MAX_PATH];
  if (FAILED(
          SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, buffer)))
    return {};
  return Narrow(buffer);
}

}  // namespace ov

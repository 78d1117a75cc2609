#pragma once
// Facts about the running Windows: its folder, its version and the SystemDrive environment value.

#include <cstdint>
#include <string>

namespace ov {

// The fields of the version record that the installer reads.
struct OsVersion {
  std::uint32_t PlatformId = 0;  // 1 = Windows 9x family, 2 = NT family
  std::uint32_t MajorVersion = 0;
  std::uint32_t MinorVersion = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // The Windows folder (e.g. "C:\Windows"); empty when Windows cannot tell.
  virtual std::string WindowsDirectory() const = 0;
  // The value of the SystemDrive environment variable (e.g. "C:"); empty when unset.
  virtual std::string SystemDriveValue() const = 0;
  // The version as the running program sees it (the manifest decides what 10/11 report).
  virtual OsVersion Version() const = 0;
  // The current user's desktop folder as the shell knows it; empty when unknown.
  virtual std::string ShellDesktopFolder() const = 0;
};

}  // namespace ov

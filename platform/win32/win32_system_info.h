#pragma once
// Windows folder, version, SystemDrive and the shell's desktop folder from the Win32 API.

#include "platform/system_info.h"

namespace ov {

class Win32SystemInfo : public SystemInfo {
 public:
  std::string WindowsDirectory() const override;
  std::string SystemDriveValue() const override;
  OsVersion Version() const override;
  std::string ShellDesktopFolder() const override;
};

}  // namespace ov

#pragma once
// The real Windows services, one of each, bundled for the installer.

#include <windows.h>

#include <functional>

#include "platform/platform_services.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_firewall.h"
#include "platform/win32/win32_ini_writer.h"
#include "platform/win32/win32_registry_reader.h"
#include "platform/win32/win32_service_list.h"
#include "platform/win32/win32_shell_runner.h"
#include "platform/win32/win32_shortcut_maker.h"
#include "platform/win32/win32_system_info.h"

namespace ov {

class Win32Platform {
 public:
  // `owner` gives the application window that owns shell-started programs.
  explicit Win32Platform(std::function<HWND()> owner) : shell_(std::move(owner)) {}
  PlatformServices Services() {
    return PlatformServices{registry_, services_, shell_, shortcuts_,
                            firewall_, system_,   ini_,   files_};
  }

 private:
  Win32RegistryReader registry_;
  Win32ServiceList services_;
  Win32ShellRunner shell_;
  Win32ShortcutMaker shortcuts_;
  Win32Firewall firewall_;
  Win32SystemInfo system_;
  Win32IniWriter ini_;
  Win32FileSystem files_;
};

}  // namespace ov

#pragma once
// Windows version classification, the firewall rule for the database port and desktop shortcuts.

#include <string>

#include "platform/firewall.h"
#include "platform/registry_reader.h"
#include "platform/shell_runner.h"
#include "platform/shortcut_maker.h"
#include "platform/system_info.h"

namespace ov {

// 1 = 9x family, 4 = NT 3/4, 2 = 2000/XP/2003 and 10/11, 3 = Vista to 8.1, 0 = unknown.
int WindowsVersionCode(const OsVersion& version);

// `advfirewall firewall add rule name = "<name>" dir = in action = allow protocol = TCP localport =
// <port>`
std::string NetshFirewallParameters(const std::string& name, int port);

// Opens a TCP port by the method the version code selects: 2 automation objects, 3 netsh.exe
// (started hidden, not waited for), anything else nothing. Returns the automation objects'
// error text, empty otherwise.
std::string AddFirewallPort(Firewall& firewall, ShellRunner& shell, const std::string& name,
                            int port, int code);

inline constexpr const char* kExplorerKeyPath =
    "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";

// The current user's desktop folder: "Shell Folders\Desktop" under the Explorer key (the key is
// created when missing), else the shell's own desktop folder.
std::string DesktopFolder(RegistryReader& registry, const SystemInfo& system);

// Saves desktop folder + "\" + link_name + ".lnk" pointing at `target`.
ShortcutResult CreateDesktopShortcut(ShortcutMaker& shortcuts, RegistryReader& registry,
                                     const SystemInfo& system, const std::string& target,
                                     const std::string& arguments, const std::string& working_dir,
                                     const std::string& link_name);

}  // namespace ov

#include "installer/desktop_integration.h"

namespace ov {

int WindowsVersionCode(const OsVersion& version) {
  if (version.PlatformId == 1) return 1;
  if (version.PlatformId != 2) return 0;
  switch (version.MajorVersion) {
    case 3:
    case 4:
      return 4;
    case 6:
      return 3;
    default:
      return 2;
  }
}

std::string NetshFirewallParameters(const std::string& name, int port) {
  return "advfirewall firewall add rule name = \"" + name +
         "\" dir = in action = allow protocol = TCP localport = " + std::to_string(port);
}

std::string AddFirewallPort(Firewall& firewall, ShellRunner& shell, const std::string& name,
                            int port, int code) {
  if (code == 2) return firewall.AddGloballyOpenPort(name, port);
  if (code == 3) shell.StartHidden("netsh.exe", NetshFirewallParameters(name, port));
  return {};
}

std::string DesktopFolder(RegistryReader& registry, const SystemInfo& system) {
  registry.EnsureKey(RegistryRoot::CurrentUser, kExplorerKeyPath);
  const RegistryString desktop = registry.ReadString(
      RegistryRoot::CurrentUser, std::string(kExplorerKeyPath) + "\\Shell Folders", "Desktop",
      RegistryView::View32);
  if (desktop.State == RegistryString::Status::Ok && !desktop.Value.empty()) return desktop.Value;
  // Newer Windows may not keep the old "Shell Folders" copy; the shell always knows.
  return system.ShellDesktopFolder();
}

ShortcutResult CreateDesktopShortcut(ShortcutMaker& shortcuts, RegistryReader& registry,
                                     const SystemInfo& system, const std::string& target,
                                     const std::string& arguments, const std::string& working_dir,
                                     const std::string& link_name) {
  const std::string link = DesktopFolder(registry, system) + "\\" + link_name + ".lnk";
  return shortcuts.SaveLink(link, target, arguments, working_dir);
}

}  // namespace ov

#include "installer/install_context.h"

#include "ov/build_config.h"

namespace ov {
namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

char WindowsDriveLetter(const SystemInfo& system) {
  const std::string windows = system.WindowsDirectory();
  if (!windows.empty()) return windows.front();
  // Without a Windows folder the system drive is the next best answer, and C the usual one.
  const std::string drive = system.SystemDriveValue();
  if (!drive.empty() && IsDriveLetter(drive.front())) return drive.front();
  return 'C';
}

InstallContext MakeInstallContext(int selector, std::string_view base_url,
                                  const SystemInfo& system) {
  InstallContext context;
  context.Profile = EditionProfileOrBlank(selector);
  context.InstallPath =
      std::string(1, WindowsDriveLetter(system)) + ":\\" + context.Profile.InstallFolder;
  context.BaseUrl = std::string(base_url);
  if (context.BaseUrl.empty() || context.BaseUrl.back() != '/') context.BaseUrl += '/';
  return context;
}

InstallContext MakeBuildInstallContext(const SystemInfo& system) {
  return MakeInstallContext(build_config::kEditionSelector, build_config::kBaseUrl, system);
}

}  // namespace ov

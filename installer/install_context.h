#pragma once
// The edition profile plus the paths and addresses derived from it at start-up; read-only after.

#include <string>
#include <string_view>

#include "installer/edition_profile.h"
#include "platform/system_info.h"

namespace ov {

struct InstallContext {
  EditionProfile Profile;
  std::string InstallPath;  // drive letter + ":\" + InstallFolder, e.g. "C:\Ovilar_Conserto\"
  std::string BaseUrl;      // "http://<host>/instalador/", always ending with "/"
};

// The drive letter of the Windows folder. When Windows gives no folder, the first letter of the
// SystemDrive value, and "C" when that is unset too (never a NUL character).
char WindowsDriveLetter(const SystemInfo& system);

// Builds the context for an edition selector and a base address ("/" is appended when missing).
InstallContext MakeInstallContext(int selector, std::string_view base_url,
                                  const SystemInfo& system);

// The context of this build: the compiled-in edition selector and download server.
InstallContext MakeBuildInstallContext(const SystemInfo& system);

}  // namespace ov

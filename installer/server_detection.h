#pragma once
// Finding an installed Firebird server: its Windows service and its Uninstall registry entry.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_reader.h"
#include "platform/service_list.h"

namespace ov {

inline constexpr std::uint32_t kServiceStateAll = 3;      // active and inactive
inline constexpr std::uint32_t kServiceTypeWin32 = 0x30;  // own-process and shared-process
inline constexpr const char* kUninstallKeyPath =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// True when a service whose key name equals `name` (ASCII letters compared case-blind) exists.
bool ServiceExists(const ServiceList& services, const std::string& name, const std::string& machine,
                   std::uint32_t state, std::uint32_t type);

// "FirebirdServerDefaultInstance", and only when that is absent "Firebird".
bool FirebirdServicePresent(const ServiceList& services);

// The UninstallString of the last Uninstall entry (in listing order) whose DisplayName starts
// with `prefix` (first 8 characters, upper-cased as Windows does). The 32-bit view is searched
// first, the 64-bit view only when the 32-bit one has no match. Entries whose values are not
// strings are skipped. Empty when nothing matches.
std::string FindUninstallString(const RegistryReader& registry, std::string_view prefix);

// The uninstall string up to and including its last backslash or colon; empty when it has none.
std::string UninstallFolder(std::string_view uninstall_string);
// The three characters before the folder's last character ("...\Firebird_2_5\" gives "2_5");
// shorter folders give what exists there; empty for an empty folder.
std::string VersionTagOfFolder(std::string_view folder);

std::string FirebirdFolder(const RegistryReader& registry);
std::string FirebirdVersionTag(const RegistryReader& registry);

}  // namespace ov

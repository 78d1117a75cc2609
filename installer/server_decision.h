#pragma once
// Detection of an installed Firebird server and the Yes/No decision that turns it into an
// InstallRequest.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "installer/install_request.h"
#include "installer/installer_ui.h"
#include "platform/registry_reader.h"
#include "platform/service_list.h"

namespace ov {

inline constexpr std::uint32_t kServiceStateAll = 3;       // active and inactive
inline constexpr std::uint32_t kServiceTypeWin32 = 0x30;   // own-process and shared-process
inline constexpr const char* kUninstallKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

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

// One of the decision's Yes/No boxes.
struct DecisionQuestion {
  std::string Caption;
  std::string Text;
  MessageIcon Icon = MessageIcon::Question;
};
DecisionQuestion QuestionOlderServer(const std::string& tag, const std::string& title);      // A
DecisionQuestion QuestionOtherSoftware(const std::string& tag, const std::string& title);    // B
DecisionQuestion QuestionBelow30(const std::string& tag, const std::string& title);          // C
DecisionQuestion QuestionUnknownServer(const std::string& tag, const std::string& title);    // D

// The decision table: asks the questions it needs through `ui` and returns the request, or
// nullopt when the user declined.
std::optional<InstallRequest> DecideInstallRequest(bool server_present, const std::string& tag,
                                                   const std::string& title, InstallerUi& ui);

}  // namespace ov

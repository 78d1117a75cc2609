#include "installer/server_detection.h"

#include <algorithm>

#include "installer/windows_upper.h"

namespace ov {
namespace {

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

constexpr std::size_t kDisplayPrefixUnits = 8;

// The last match in one registry view; nullopt when the view has no matching entry.
std::optional<std::string> FindInView(const RegistryReader& registry, std::string_view prefix,
                                      RegistryView view) {
  const auto names = registry.SubKeyNames(RegistryRoot::LocalMachine, kUninstallKeyPath, view);
  if (!names) return std::nullopt;
  const std::u16string wanted = UpperUtf16Prefix(prefix, prefix.size());
  std::optional<std::string> result;
  for (const std::string& name : *names) {
    const std::string path = std::string(kUninstallKeyPath) + "\\" + name;
    const RegistryString display =
        registry.ReadString(RegistryRoot::LocalMachine, path, "DisplayName", view);
    const RegistryString uninstall =
        registry.ReadString(RegistryRoot::LocalMachine, path, "UninstallString", view);
    // An entry that does not open or holds a non-string value is someone else's oddity: skip it.
    if (display.State == RegistryString::Status::KeyNotOpened ||
        display.State == RegistryString::Status::NotString ||
        uninstall.State == RegistryString::Status::NotString) {
      continue;
    }
    if (display.Value.empty()) continue;
    if (UpperUtf16Prefix(display.Value, kDisplayPrefixUnits) == wanted) result = uninstall.Value;
  }
  return result;
}

}  // namespace

bool ServiceExists(const ServiceList& services, const std::string& name, const std::string& machine,
                   std::uint32_t state, std::uint32_t type) {
  const auto names = services.ServiceNames(machine, state, type);
  if (!names) return false;
  const std::string wanted = AsciiUpper(name);
  return std::any_of(names->begin(), names->end(),
                     [&](const std::string& service) { return AsciiUpper(service) == wanted; });
}

bool FirebirdServicePresent(const ServiceList& services) {
  return ServiceExists(services, "FirebirdServerDefaultInstance", "", kServiceStateAll,
                       kServiceTypeWin32) ||
         ServiceExists(services, "Firebird", "", kServiceStateAll, kServiceTypeWin32);
}

std::string FindUninstallString(const RegistryReader& registry, std::string_view prefix) {
  if (auto found = FindInView(registry, prefix, RegistryView::View32)) return *found;
  // A 64-bit server registers itself only in the 64-bit view.
  if (auto found = FindInView(registry, prefix, RegistryView::View64)) return *found;
  return {};
}

std::string UninstallFolder(std::string_view uninstall_string) {
  const std::size_t last = uninstall_string.find_last_of("\\:");
  if (last == std::string_view::npos) return {};
  return std::string(uninstall_string.substr(0, last + 1));
}

std::string VersionTagOfFolder(std::string_view folder) {
  if (folder.empty()) return {};
  const std::size_t end = folder.size() - 1;  // the folder's last character is not part of the tag
  const std::size_t begin = end >= 3 ? end - 3 : 0;
  return std::string(folder.substr(begin, end - begin));
}

std::string FirebirdFolder(const RegistryReader& registry) {
  return UninstallFolder(FindUninstallString(registry, "FIREBIRD"));
}

std::string FirebirdVersionTag(const RegistryReader& registry) {
  return VersionTagOfFolder(FirebirdFolder(registry));
}

}  // namespace ov

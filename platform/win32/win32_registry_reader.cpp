#include "platform/win32/win32_registry_reader.h"

#include "net/unicode.h"
#include "platform/win32/win32_handles.h"

namespace ov {
namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM ViewFlag(RegistryView view) {
  return view == RegistryView::View64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

bool OpenForReading(RegistryRoot root, const std::string& path, RegistryView view,
                    win32::RegKey& key) {
  return RegOpenKeyExW(RootKey(root), Widen(path).c_str(), 0, KEY_READ | ViewFlag(view),
                       key.Out()) == ERROR_SUCCESS;
}

}  // namespace

std::optional<std::vector<std::string>> Win32RegistryReader::SubKeyNames(RegistryRoot root,
                                                                         const std::string& path,
                                                                         RegistryView view) const {
  win32::RegKey key;
  if (!OpenForReading(root, path, view, key)) return std::nullopt;
  std::vector<std::string> names;
  wchar_t name[256];  // key names are at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    const LONG status =
        RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;  // the end of the list, or a key that changed under us
    names.push_back(Narrow(std::wstring_view(name, length)));
  }
  return names;
}

RegistryString Win32RegistryReader::ReadString(RegistryRoot root, const std::string& path,
                                               const std::string& name, RegistryView view) const {
  win32::RegKey key;
  if (!OpenForReading(root, path, view, key)) return {RegistryString::Status::KeyNotOpened, "", ""};
  const std::wstring wide_name = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), wide_name.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {RegistryString::Status::Missing, "", ""};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    return {RegistryString::Status::NotString, "", "Invalid data type for '" + name + "'"};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.Get(), wide_name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(value.data()), &read) != ERROR_SUCCESS) {
    return {RegistryString::Status::Missing, "", ""};
  }
  value.resize(read / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();  // stored terminators
  return {RegistryString::Status::Ok, Narrow(value), ""};
}

bool Win32RegistryReader::EnsureKey(RegistryRoot root, const std::string& path) {
  win32::RegKey key;
  return RegCreateKeyExW(RootKey(root), Widen(path).c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                         key.Out(), nullptr) == ERROR_SUCCESS;
}

}  // namespace ov

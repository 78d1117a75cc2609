// Firebird 3.0 setup stand-in: records its command line beside itself and, when started with
// /SILENT, leaves what a real silent setup leaves for the installer to detect: a server folder,
// the service "FirebirdServerDefaultInstance" and an Uninstall entry. Exit 0 when done, 2 when
// a switch the installer always passes is missing, 3 when the folder cannot be made.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/rar_standin/standin_log.h"

namespace {

constexpr wchar_t kServerFolder[] = L"C:\\Program Files\\Firebird\\Firebird_3_0\\";
constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FBDBServer_3_is1";

bool HasSwitch(const std::wstring& wanted) {
  for (const auto& arg : ov::standin::Arguments()) {
    if (_wcsnicmp(arg.c_str(), wanted.c_str(), wanted.size()) == 0) return true;
  }
  return false;
}

bool MakeFolder() {
  CreateDirectoryW(L"C:\\Program Files\\Firebird", nullptr);
  CreateDirectoryW(kServerFolder, nullptr);
  for (const wchar_t* name : {L"firebird.exe", L"fbclient.dll", L"unins000.exe"}) {
    const std::wstring path = std::wstring(kServerFolder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
  }
  return true;
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegisterUninstall() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  SetText(key, L"DisplayName", L"Firebird 3.0.10.33601 (Win32)");
  SetText(key, L"UninstallString", std::wstring(L"\"") + kServerFolder + L"unins000.exe\"");
  RegCloseKey(key);
}

void RegisterService() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) return;
  const std::wstring binary = std::wstring(L"\"") + kServerFolder + L"firebird.exe\" -s DefaultInstance";
  SC_HANDLE service = CreateServiceW(
      manager, L"FirebirdServerDefaultInstance", L"Firebird Server - DefaultInstance",
      SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
      binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
}

}  // namespace

int main() {
  ov::standin::RecordCall(L"Firebird3.0");
  if (!HasSwitch(L"/SILENT") || !HasSwitch(L"/PASSWORD=")) {
    std::fprintf(stderr, "Firebird3.0: expected /SILENT and /PASSWORD=\n");
    return 2;
  }
  if (!MakeFolder()) return 3;
  RegisterUninstall();
  RegisterService();
  return 0;
}

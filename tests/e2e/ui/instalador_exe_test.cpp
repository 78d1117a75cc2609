// The shipped Instalador.exe under Wine: its embedded manifest, and a start and an orderly end
// of the whole program driven from outside through its window.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/win32/principal_window.h"

namespace ov::win32 {
namespace {

std::wstring InstaladorPath() {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  path = path.substr(0, path.find_last_of(L"\\/"));  // build/win32/tests
  path = path.substr(0, path.find_last_of(L"\\/"));  // build/win32
  return path + L"\\app\\Instalador.exe";
}

std::string Manifest(const std::wstring& exe) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  if (HRSRC found =
          FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */)) {
    if (HGLOBAL loaded = LoadResource(module, found)) {
      text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    }
  }
  FreeLibrary(module);
  return text;
}

TEST(InstaladorExe, ManifestAsksForAdministratorThemesDpiAndSystems) {
  const std::string manifest = Manifest(InstaladorPath());
  ASSERT_FALSE(manifest.empty()) << "no manifest in Instalador.exe";
  for (const char* part : {
           "level=\"requireAdministrator\"", "uiAccess=\"false\"",
           "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", ">true/pm<", ">PerMonitor<",
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
       }) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

HWND WaitForWindow(DWORD process_id) {
  for (int i = 0; i < 300; ++i) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, kWindowClassName, L"Instalador")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(found, &owner);
      if (owner == process_id && IsWindowVisible(found)) return found;
    }
    Sleep(100);
  }
  return nullptr;
}

std::wstring Text(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return text;
}

TEST(InstaladorExe, StartsWithTheEditionWindowAndEndsWhenClosed) {
  std::wstring command = L"\"" + InstaladorPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process))
      << GetLastError();
  HWND window = WaitForWindow(process.dwProcessId);
  EXPECT_NE(window, nullptr) << "the installer window did not appear";
  if (window) {
    HWND panel = GetDlgItem(window, ControlId(Control::PTipo));
    EXPECT_EQ(Text(GetDlgItem(panel, ControlId(Control::LblSistema))),
              L"Demonstrativo \r\nOvilar - Conserto");
    HWND top = GetDlgItem(window, ControlId(Control::PPasso1));
    const std::wstring licence = Text(GetDlgItem(top, ControlId(Control::MMLicencaUsoDemo)));
    EXPECT_EQ(licence.rfind(L"Termo de Licen\u00E7a de uso do Sistema Ovilar", 0), 0u)
        << "licence resource not shown";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, ControlId(Control::BtnInstalar))));
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  DWORD exit_code = 1;
  GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "closing the window did not end the program";
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
}  // namespace ov::win32
#endif

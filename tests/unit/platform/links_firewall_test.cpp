#ifdef _WIN32

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

#include "installer/desktop_integration.h"
#include "net/unicode.h"
#include "platform/win32/win32_firewall.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry_reader.h"
#include "platform/win32/win32_shell_runner.h"
#include "platform/win32/win32_shortcut_maker.h"
#include "platform/win32/win32_system_info.h"
#include "unit/platform/wine_helpers.h"

namespace ov {
namespace {

// COM in a single-threaded apartment for the test's thread, as the program entry sets it up.
class ComApartment : public ::testing::Test {
 protected:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() override { CoUninitialize(); }
};

struct LinkFields {
  std::string Path, Arguments, WorkingDir;
};

LinkFields ReadLink(const std::string& link_path) {
  win32::ComPtr<IShellLinkW> link;
  win32::ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.OutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())) ||
      FAILED(file->Load(Widen(link_path).c_str(), STGM_READ))) {
    return {};
  }
  wchar_t buffer[MAX_PATH * 2] = {};
  LinkFields fields;
  link->GetPath(buffer, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
  fields.Path = Narrow(buffer);
  buffer[0] = 0;
  link->GetArguments(buffer, MAX_PATH * 2);
  fields.Arguments = Narrow(buffer);
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, MAX_PATH * 2);
  fields.WorkingDir = Narrow(buffer);
  return fields;
}

using ShellLinks = ComApartment;

TEST_F(ShellLinks, SavedLinkReadsBackWithPathArgumentsAndFolder) {
  const std::string folder = test::MakeTempFolder();
  test::WriteWholeFile(folder + "Ovilar.exe", "MZ");
  Win32ShortcutMaker maker;
  const ShortcutResult result =
      maker.SaveLink(folder + "Ovilar.exe.lnk", folder + "Ovilar.exe", "/banco", folder);
  ASSERT_EQ(result.State, ShortcutResult::Status::Saved) << result.Error;
  const LinkFields fields = ReadLink(folder + "Ovilar.exe.lnk");
  EXPECT_EQ(fields.Path, folder + "Ovilar.exe");
  EXPECT_EQ(fields.Arguments, "/banco");
  EXPECT_EQ(fields.WorkingDir, folder);
}

TEST_F(ShellLinks, DesktopShortcutLandsOnTheUsersDesktop) {
  const std::string folder = test::MakeTempFolder();
  const std::string name = test::UniqueName("teamviewer") + ".exe";
  test::WriteWholeFile(folder + name, "MZ");
  Win32ShortcutMaker maker;
  Win32RegistryReader registry;
  Win32SystemInfo system;
  const std::string desktop = DesktopFolder(registry, system);
  ASSERT_FALSE(desktop.empty());
  EXPECT_EQ(CreateDesktopShortcut(maker, registry, system, folder + name, "", folder, name).State,
            ShortcutResult::Status::Saved);
  const std::string link = desktop + "\\" + name + ".lnk";
  EXPECT_EQ(ReadLink(link).Path, folder + name);
  DeleteFileW(Widen(link).c_str());
}

// Records what the installer asked of the real firewall and shell, passing every call on.
class RecordingFirewall : public Firewall {
 public:
  std::string AddGloballyOpenPort(const std::string& name, int port) override {
    ++calls;
    return real.AddGloballyOpenPort(name, port);
  }
  Win32Firewall real;
  int calls = 0;
};

class RecordingShell : public ShellRunner {
 public:
  bool RunAndWait(const std::string& f, const std::string& d,
                  const std::function<void()>& p) override {
    return real.RunAndWait(f, d, p);
  }
  bool StartHidden(const std::string& file, const std::string& parameters) override {
    started = real.StartHidden(file, parameters);
    command = file + " " + parameters;
    return started;
  }
  Win32ShellRunner real;
  std::string command;
  bool started = false;
};

// In a copy of this program whose Windows version Wine is told to report (OV_FIREWALL_PROBE
// names the report file): adds the port as the installer does, writes what happened and exits
// before any test runs.
void RunFirewallProbe(const char* report) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  RecordingFirewall firewall;
  RecordingShell shell;
  const OsVersion version = Win32SystemInfo().Version();
  const int code = WindowsVersionCode(version);
  const std::string error = AddFirewallPort(firewall, shell, "Firebird", 3050, code);
  test::WriteWholeFile(
      report, "version=" + std::to_string(version.MajorVersion) + "." +
                  std::to_string(version.MinorVersion) + "\ncode=" + std::to_string(code) +
                  "\nautomation=" + std::to_string(firewall.calls) + "\nerror=" + error +
                  "\nnetsh=" + shell.command + "\nstarted=" + (shell.started ? "1" : "0") + "\n");
  CoUninitialize();
}

class FirewallProbeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (const char* report = std::getenv("OV_FIREWALL_PROBE")) {
      RunFirewallProbe(report);
      std::exit(0);
    }
  }
};
[[maybe_unused]] ::testing::Environment* const kFirewallProbe =
    ::testing::AddGlobalTestEnvironment(new FirewallProbeEnvironment);

// Copies this test program under a unique name, makes Wine report `wine_version` to it, runs the
// probe in it and returns the probe's report.
std::string ProbeUnder(const std::string& wine_version) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string folder = test::MakeTempFolder();
  const std::string exe_name = test::UniqueName("ovprobe") + ".exe";
  const std::string exe = folder + exe_name;
  if (!CopyFileW(self, Widen(exe).c_str(), FALSE)) return "copy failed";
  const std::string key = "HKCU\\Software\\Wine\\AppDefaults\\" + exe_name;
  test::RunCommand("reg add \"" + key + "\" /v Version /d " + wine_version + " /f");
  const std::string report = folder + "report.txt";
  test::RunCommand("\"" + exe + "\"", "OV_FIREWALL_PROBE=" + report);
  test::RunCommand("reg delete \"" + key + "\" /f");
  DeleteFileW(Widen(exe).c_str());
  return test::ReadWholeFile(report);
}

TEST(FirewallByVersion, WindowsTenUsesTheAutomationObjects) {
  const std::string report = ProbeUnder("win10");
  EXPECT_NE(report.find("version=10.0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("code=2\nautomation=1\nerror=\nnetsh=\n"), std::string::npos) << report;
}

TEST(FirewallByVersion, WindowsSevenRunsNetsh) {
  const std::string report = ProbeUnder("win7");
  EXPECT_NE(report.find("version=6.1\n"), std::string::npos) << report;
  EXPECT_NE(report.find("code=3\nautomation=0\nerror=\n"
                        "netsh=netsh.exe advfirewall firewall add rule name = \"Firebird\" dir = "
                        "in action = allow "
                        "protocol = TCP localport = 3050\nstarted=1\n"),
            std::string::npos)
      << report;
}

}  // namespace
}  // namespace ov

#endif

#include <gtest/gtest.h>

#include "installer/desktop_integration.h"
#include "support/fake_platform.h"

namespace ov {
namespace {

TEST(WindowsVersionCode, ByPlatformThenMajorVersion) {
  struct Case {
    OsVersion Version;
    int Code;
  } cases[] = {
      {{1, 4, 10}, 1}, {{1, 9, 0}, 1},                   // 95/98/ME
      {{2, 3, 51}, 4}, {{2, 4, 0}, 4},                   // NT 3.x, 4.0
      {{2, 5, 0}, 2},  {{2, 5, 1}, 2},  {{2, 5, 2}, 2},  // 2000, XP, 2003
      {{2, 6, 0}, 3},  {{2, 6, 1}, 3},  {{2, 6, 3}, 3},  // Vista to 8.1
      {{2, 10, 0}, 2}, {{2, 0, 0}, 2},  {{2, 7, 0}, 2},  // 10/11 and the rest
      {{0, 6, 1}, 0},  {{3, 10, 0}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsVersionCode(c.Version), c.Code)
        << c.Version.PlatformId << " " << c.Version.MajorVersion << "." << c.Version.MinorVersion;
  }
}

TEST(AddFirewallPort, MethodFollowsTheVersionCode) {
  for (int code : {0, 1, 2, 3, 4}) {
    SCOPED_TRACE(code);
    test::FakeFirewall firewall;
    test::FakeShellRunner shell;
    EXPECT_EQ(AddFirewallPort(firewall, shell, "Firebird", 3050, code), "");
    EXPECT_EQ(firewall.Ports.size(), code == 2 ? 1u : 0u);
    EXPECT_EQ(shell.Hidden.size(), code == 3 ? 1u : 0u);
    if (code == 2) {
      EXPECT_EQ(firewall.Ports[0], std::make_pair(std::string("Firebird"), 3050));
    }
    if (code == 3) {
      EXPECT_EQ(shell.Hidden[0].first, "netsh.exe");
      EXPECT_EQ(shell.Hidden[0].second,
                "advfirewall firewall add rule name = \"Firebird\" dir = in action = allow "
                "protocol = TCP "
                "localport = 3050");
    }
  }
}

TEST(AddFirewallPort, AutomationErrorIsReported) {
  test::FakeFirewall firewall;
  firewall.Error = "Add refused";
  test::FakeShellRunner shell;
  EXPECT_EQ(AddFirewallPort(firewall, shell, "Firebird", 3050, 2), "Add refused");
}

TEST(CreateDesktopShortcut, LinkGoesIntoTheRegisteredDesktopFolder) {
  test::FakeShortcutMaker shortcuts;
  test::FakeRegistry registry;
  test::FakeSystemInfo system;
  registry.At(RegistryRoot::CurrentUser, std::string(kExplorerKeyPath) + "\\Shell Folders")
      .Values["Desktop"] = "C:\\Users\\ana\\\u00c1rea de Trabalho";
  CreateDesktopShortcut(shortcuts, registry, system, "C:\\Ovilar_Conserto\\teamviewer.exe", "",
                        "C:\\Ovilar_Conserto\\", "teamviewer.exe");
  ASSERT_EQ(shortcuts.Links.size(), 1u);
  EXPECT_EQ(shortcuts.Links[0].Path, "C:\\Users\\ana\\\u00c1rea de Trabalho\\teamviewer.exe.lnk");
  EXPECT_EQ(shortcuts.Links[0].Target, "C:\\Ovilar_Conserto\\teamviewer.exe");
  EXPECT_EQ(shortcuts.Links[0].Arguments, "");
  EXPECT_EQ(shortcuts.Links[0].WorkingDir, "C:\\Ovilar_Conserto\\");
  EXPECT_EQ(registry.EnsuredKeys, std::vector<std::string>{kExplorerKeyPath});
}

// Without the old "Shell Folders" copy the link must still land on the desktop, not in C:\.
TEST(CreateDesktopShortcut, MissingOrNonStringDesktopValueUsesTheShellDesktop) {
  for (bool non_string : {false, true}) {
    test::FakeShortcutMaker shortcuts;
    test::FakeRegistry registry;
    test::FakeSystemInfo system;
    if (non_string) {
      registry.At(RegistryRoot::CurrentUser, std::string(kExplorerKeyPath) + "\\Shell Folders")
          .Values["Desktop"] = std::nullopt;
    }
    system.Desktop = "C:\\Users\\ana\\Desktop";
    CreateDesktopShortcut(shortcuts, registry, system, "C:\\O\\Ovilar.exe", "", "C:\\O\\",
                          "Ovilar.exe");
    ASSERT_EQ(shortcuts.Links.size(), 1u);
    EXPECT_EQ(shortcuts.Links[0].Path, "C:\\Users\\ana\\Desktop\\Ovilar.exe.lnk");
  }
}

}  // namespace
}  // namespace ov

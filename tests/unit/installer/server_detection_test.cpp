#include <gtest/gtest.h>

#include "installer/server_detection.h"
#include "support/fake_platform.h"

namespace ov {
namespace {

using test::FakeRegistry;
using test::FakeServiceList;

TEST(ServiceExists, ComparesKeyNamesIgnoringAsciiCase) {
  FakeServiceList services;
  services.Names = std::vector<std::string>{"Spooler", "firebird", "W32Time"};
  EXPECT_TRUE(ServiceExists(services, "Firebird", "", kServiceStateAll, kServiceTypeWin32));
  EXPECT_TRUE(ServiceExists(services, "FIREBIRD", "", kServiceStateAll, kServiceTypeWin32));
  EXPECT_FALSE(ServiceExists(services, "FirebirdServerDefaultInstance", "", kServiceStateAll,
                             kServiceTypeWin32));
  ASSERT_FALSE(services.Calls.empty());
  EXPECT_EQ(services.Calls[0].Machine, "");
  EXPECT_EQ(services.Calls[0].State, 3u);
  EXPECT_EQ(services.Calls[0].Type, 0x30u);
}

TEST(ServiceExists, UnopenableManagerMeansAbsent) {
  FakeServiceList services;
  services.Names = std::nullopt;
  EXPECT_FALSE(ServiceExists(services, "Firebird", "", kServiceStateAll, kServiceTypeWin32));
}

TEST(FirebirdServicePresent, LooksUpTheDefaultInstanceFirstAndFirebirdOnlyWithoutIt) {
  FakeServiceList services;
  services.Names = std::vector<std::string>{"FirebirdServerDefaultInstance"};
  EXPECT_TRUE(FirebirdServicePresent(services));
  EXPECT_EQ(services.Calls.size(), 1u);

  services.Calls.clear();
  services.Names = std::vector<std::string>{"Firebird"};
  EXPECT_TRUE(FirebirdServicePresent(services));
  EXPECT_EQ(services.Calls.size(), 2u);

  services.Names = std::vector<std::string>{"FirebirdGuardianDefaultInstance"};
  EXPECT_FALSE(FirebirdServicePresent(services));
}

TEST(FindUninstallString, LastMatchingEntryWinsEvenWithAnEmptyUninstallString) {
  FakeRegistry registry;
  registry.AddUninstallEntry("FBServer", "Firebird 2.5.9 (Win32)",
                             "C:\\Program Files\\Firebird\\Firebird_2_5\\unins000.exe");
  registry.AddUninstallEntry("Other", "Notepad++", "C:\\npp\\uninstall.exe");
  registry.AddUninstallEntry("FBDriver", "Firebird ODBC driver", "");
  EXPECT_EQ(FindUninstallString(registry, "FIREBIRD"), "");
  EXPECT_EQ(FirebirdVersionTag(registry), "");
}

TEST(FindUninstallString, ComparesTheFirstEightCharactersWithWindowsUpperCasing) {
  struct Case {
    const char* Display;
    const char* Prefix;
    bool Matches;
  } cases[] = {
      {"firebird 3.0", "FIREBIRD", true},
      {"FireBird", "Firebird", true},
      {"Firebir", "FIREBIRD", false},                  // shorter than the prefix
      {"\u00e9cole firebird", "\u00c9COLE FI", true},  // accented letters are upper-cased too
      {"Fire bird", "FIREBIRD", false},
  };
  for (const Case& c : cases) {
    FakeRegistry registry;
    registry.AddUninstallEntry("E", c.Display, "X:\\u.exe");
    EXPECT_EQ(FindUninstallString(registry, c.Prefix), c.Matches ? "X:\\u.exe" : "") << c.Display;
  }
}

TEST(FindUninstallString, SearchesThe64BitViewOnlyWhenThe32BitViewHasNoMatch) {
  FakeRegistry registry;
  registry.AddUninstallEntry("Other", "Notepad++", "C:\\npp\\u.exe", RegistryView::View32);
  registry.AddUninstallEntry("FB64", "Firebird 3.0.7 (x64)",
                             "C:\\Program Files\\Firebird\\Firebird_3_0\\unins000.exe",
                             RegistryView::View64);
  EXPECT_EQ(FirebirdVersionTag(registry), "3_0");

  registry.AddUninstallEntry("FB32", "Firebird 2.1", "C:\\Arquivos\\Firebird_2_1\\unins000.exe",
                             RegistryView::View32);
  EXPECT_EQ(FirebirdVersionTag(registry), "2_1");
}

TEST(FindUninstallString, NonStringValueInAnotherEntryIsSkipped) {
  FakeRegistry registry;
  registry.AddUninstallEntry("Broken1", std::nullopt, "C:\\x\\u.exe");
  registry.AddUninstallEntry("FB", "Firebird 1.5", "C:\\Firebird\\Firebird_1_5\\unins000.exe");
  registry.AddUninstallEntry("Broken2", "Some tool", std::nullopt);
  EXPECT_EQ(FirebirdVersionTag(registry), "1_5");
}

TEST(FindUninstallString, MissingKeyOrValuesGiveEmpty) {
  FakeRegistry registry;
  EXPECT_EQ(FindUninstallString(registry, "Firebird"), "");
  registry.At(RegistryRoot::LocalMachine, kUninstallKeyPath)
      .SubKeys.push_back("Gone");  // listed, not openable
  registry.AddUninstallEntry("NoDisplay", "", "C:\\a\\u.exe");
  EXPECT_EQ(FindUninstallString(registry, "Firebird"), "");
}

TEST(VersionTag, FolderAndTagOfUninstallStrings) {
  struct Case {
    const char* Uninstall;
    const char* Folder;
    const char* Tag;
  } cases[] = {
      {"C:\\Program Files\\Firebird\\Firebird_2_5\\unins000.exe",
       "C:\\Program Files\\Firebird\\Firebird_2_5\\", "2_5"},
      {"\"C:\\Program Files\\Firebird\\Firebird_3_0\\unins000.exe\"",
       "\"C:\\Program Files\\Firebird\\Firebird_3_0\\", "3_0"},
      {"C:\\Firebird\\cFb\\unins.exe", "C:\\Firebird\\cFb\\", "cFb"},
      {"unins000.exe", "", ""},
      {"", "", ""},
      {"C:unins.exe", "C:", "C"},  // shorter than four characters: what exists
      {"C:\\unins.exe", "C:\\", "C:"},
      {"\\u.exe", "\\", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UninstallFolder(c.Uninstall), c.Folder) << c.Uninstall;
    EXPECT_EQ(VersionTagOfFolder(c.Folder), c.Tag) << c.Uninstall;
  }
}

}  // namespace
}  // namespace ov

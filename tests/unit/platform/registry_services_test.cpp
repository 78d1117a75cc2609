#ifdef _WIN32

#include <gtest/gtest.h>

#include "installer/server_detection.h"
#include "platform/win32/win32_registry_reader.h"
#include "platform/win32/win32_service_list.h"
#include "unit/platform/wine_helpers.h"

namespace ov {
namespace {

const std::string kUninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Uninstall entries written with reg.exe, removed again when the test ends.
class UninstallEntries : public ::testing::Test {
 protected:
  void Add(const std::string& key, const std::string& value, const std::string& type,
           const std::string& data) {
    keys_.push_back(key);
    ASSERT_EQ(test::RunCommand("reg add \"" + kUninstall + key + "\" /v " + value + " /t " + type +
                               " /d \"" + data + "\" /f /reg:32"),
              0);
  }
  ~UninstallEntries() override {
    for (const std::string& key : keys_)
      test::RunCommand("reg delete \"" + kUninstall + key + "\" /f /reg:32");
  }
  Win32RegistryReader registry;
  // Eight characters unique to this run, so parallel tests never see each other's entries.
  const std::string prefix = [] {
    std::string p = test::UniqueName("F");
    p.resize(8, 'x');
    return p;
  }();

 private:
  std::vector<std::string> keys_;
};

TEST_F(UninstallEntries, LastMatchingEntryInListingOrderWins) {
  const std::string a = test::UniqueName("A_"), b = test::UniqueName("B_");
  Add(a, "DisplayName", "REG_SZ", prefix + " Server");
  Add(a, "UninstallString", "REG_SZ", "C:\\Program Files\\Firebird\\Firebird_2_5\\unins000.exe");
  Add(b, "DisplayName", "REG_SZ", prefix + " ODBC");
  Add(b, "UninstallString", "REG_SZ", "C:\\Program Files\\Firebird\\Firebird_ODBC\\unins001.exe");
  const auto names =
      registry.SubKeyNames(RegistryRoot::LocalMachine, kUninstallKeyPath, RegistryView::View32);
  ASSERT_TRUE(names.has_value());
  const auto pos_a = std::find(names->begin(), names->end(), a),
             pos_b = std::find(names->begin(), names->end(), b);
  ASSERT_TRUE(pos_a != names->end() && pos_b != names->end());
  const std::string last =
      pos_a < pos_b ? "Firebird_ODBC\\unins001.exe" : "Firebird_2_5\\unins000.exe";
  EXPECT_EQ(FindUninstallString(registry, prefix), "C:\\Program Files\\Firebird\\" + last);
}

TEST_F(UninstallEntries, NonStringValueIsReportedByTheReaderAndSkippedByTheLookup) {
  const std::string broken = test::UniqueName("A_"), good = test::UniqueName("B_");
  Add(broken, "DisplayName", "REG_SZ", prefix + " tool");
  Add(broken, "UninstallString", "REG_DWORD", "5");
  Add(good, "DisplayName", "REG_SZ", prefix + " Server");
  Add(good, "UninstallString", "REG_EXPAND_SZ", "C:\\Fb\\Firebird_3_0\\unins000.exe");
  const RegistryString value = registry.ReadString(RegistryRoot::LocalMachine,
                                                   std::string(kUninstallKeyPath) + "\\" + broken,
                                                   "UninstallString", RegistryView::View32);
  EXPECT_EQ(value.State, RegistryString::Status::NotString);
  EXPECT_EQ(value.Error, "Invalid data type for 'UninstallString'");
  EXPECT_EQ(FindUninstallString(registry, prefix), "C:\\Fb\\Firebird_3_0\\unins000.exe");
  EXPECT_EQ(VersionTagOfFolder(UninstallFolder(FindUninstallString(registry, prefix))), "3_0");
}

TEST_F(UninstallEntries, MissingValueReadsEmptyAndMissingKeyDoesNotOpen) {
  const std::string entry = test::UniqueName("C_");
  Add(entry, "DisplayName", "REG_SZ", prefix + " Ol\u00e1");
  const std::string path = std::string(kUninstallKeyPath) + "\\" + entry;
  EXPECT_EQ(
      registry.ReadString(RegistryRoot::LocalMachine, path, "DisplayName", RegistryView::View32)
          .Value,
      prefix + " Ol\u00e1");
  EXPECT_EQ(
      registry.ReadString(RegistryRoot::LocalMachine, path, "UninstallString", RegistryView::View32)
          .State,
      RegistryString::Status::Missing);
  EXPECT_EQ(
      registry.ReadString(RegistryRoot::LocalMachine, path + "_gone", "X", RegistryView::View32)
          .State,
      RegistryString::Status::KeyNotOpened);
  EXPECT_FALSE(
      registry.SubKeyNames(RegistryRoot::LocalMachine, path + "_gone", RegistryView::View32)
          .has_value());
}

TEST(Win32Registry, ExplorerKeyIsCreatedAndTheDesktopIsKnown) {
  Win32RegistryReader registry;
  const std::string key = "Software\\OvilarTests\\" + test::UniqueName("K");
  EXPECT_TRUE(registry.EnsureKey(RegistryRoot::CurrentUser, key));
  EXPECT_TRUE(
      registry.SubKeyNames(RegistryRoot::CurrentUser, key, RegistryView::View32).has_value());
  test::RunCommand("reg delete \"HKCU\\" + key + "\" /f");
}

// Services are created with sc.exe; names that the lookup needs are fixed, so one test owns them.
class Services : public ::testing::Test {
 protected:
  void Create(const std::string& name) {
    created_.push_back(name);
    ASSERT_EQ(
        test::RunCommand("sc create " + name + " binPath= C:\\windows\\system32\\notepad.exe"), 0);
  }
  void Delete(const std::string& name) { test::RunCommand("sc delete " + name); }
  ~Services() override {
    for (const std::string& name : created_) Delete(name);
  }
  Win32ServiceList services;

 private:
  std::vector<std::string> created_;
};

TEST_F(Services, KeyNamesCompareIgnoringAsciiCase) {
  const std::string name = test::UniqueName("ovsvc");  // lower case, as registered
  Create(name);
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  EXPECT_TRUE(ServiceExists(services, upper, "", kServiceStateAll, kServiceTypeWin32));
  EXPECT_FALSE(ServiceExists(services, upper + "X", "", kServiceStateAll, kServiceTypeWin32));
  const auto all = services.ServiceNames("", kServiceStateAll, kServiceTypeWin32);
  ASSERT_TRUE(all.has_value());
  EXPECT_GT(all->size(), 1u);
}

// A page too small for even one record forces the resume loop through the whole list.
TEST_F(Services, SmallPagesStillSeeEveryService) {
  const std::string name = test::UniqueName("ovpage");
  Create(name);
  const auto whole = services.ServiceNames("", kServiceStateAll, kServiceTypeWin32);
  const auto paged = Win32ServiceList(16).ServiceNames("", kServiceStateAll, kServiceTypeWin32);
  ASSERT_TRUE(whole.has_value() && paged.has_value());
  EXPECT_EQ(*paged, *whole);
  EXPECT_TRUE(std::find(paged->begin(), paged->end(), name) != paged->end());
}

TEST_F(Services, FirebirdIsFoundUnderEitherServiceName) {
  Create("Firebird");
  EXPECT_TRUE(FirebirdServicePresent(services));
  Delete("Firebird");
  Create("FirebirdServerDefaultInstance");
  EXPECT_TRUE(FirebirdServicePresent(services));
  Delete("FirebirdServerDefaultInstance");
  EXPECT_FALSE(FirebirdServicePresent(services));
}

}  // namespace
}  // namespace ov

#endif

#include <gtest/gtest.h>

#include "installer/install_context.h"
#include "support/fake_platform.h"

namespace ov {
namespace {

struct EditionRow {
  int Selector;
  const char* Title;
  const char* Exe;
  const char* Subfolder;
  const char* Folder;
  LicenceKind Licence;
  PanelRgb Colour;
};

TEST(EditionTable, HoldsTheSevenEditionsExactly) {
  const EditionRow expected[] = {
      {-1, "Sistema OVILAR COM\u00c9RCIO\r\n Para Representantes", "Ovilar.exe", "Representante/",
       "Ovilar\\", LicenceKind::Free, kPanelRed},
      {0, "Emissor Gratuito de \r\nNota Fiscal Eletr\u00f4nica", "Ovilar.NotaFiscal.exe", "NFe/",
       "Ovilar\\", LicenceKind::Free, PanelRgb{0, 128, 0}},
      {1, "Demonstrativo \r\nOvilar", "Ovilar.exe", "Ovilar/", "Ovilar_Completo\\",
       LicenceKind::Demo, kPanelRed},
      {2, "Demonstrativo \r\nOvilar - Ind\u00fastria", "Ovilar.exe", "Ovilar.Ind/",
       "Ovilar_Industria\\", LicenceKind::Demo, kPanelRed},
      {3, "Demonstrativo \r\nOvilar - Conserto", "Ovilar.exe", "Ovilar.Conserto/",
       "Ovilar_Conserto\\", LicenceKind::Demo, kPanelRed},
      {4, "Demonstrativo \r\nOvilar - Auto Center", "Ovilar.exe", "Ovilar.AC/",
       "Ovilar_Auto_Center\\", LicenceKind::Demo, kPanelRed},
      {5, "Demonstrativo \r\nOvilar - Com\u00e9rcio", "Ovilar.exe", "Ovilar.COM/",
       "Ovilar_Comercio\\", LicenceKind::Demo, PanelRgb{255, 0, 0}},
  };
  ASSERT_EQ(EditionTable().size(), std::size(expected));
  for (const EditionRow& row : expected) {
    SCOPED_TRACE(row.Selector);
    const auto profile = FindEditionProfile(row.Selector);
    ASSERT_TRUE(profile.has_value());
    EXPECT_EQ(profile->Title, row.Title);
    EXPECT_EQ(profile->MainExecutable, row.Exe);
    EXPECT_EQ(profile->DownloadSubfolder, row.Subfolder);
    EXPECT_EQ(profile->InstallFolder, row.Folder);
    EXPECT_EQ(profile->DatabaseFile, "DBOVILAR_KOVRA.FDB");
    EXPECT_EQ(profile->Licence, row.Licence);
    EXPECT_EQ(profile->PanelColour, row.Colour);
  }
}

TEST(EditionTable, SelectorOutsideTheTableGivesABlankRedRowWithoutLicence) {
  for (int selector : {-2, 6, 100}) {
    EXPECT_FALSE(FindEditionProfile(selector).has_value());
    const EditionProfile blank = EditionProfileOrBlank(selector);
    EXPECT_EQ(blank.Selector, selector);
    EXPECT_TRUE(blank.Title.empty() && blank.MainExecutable.empty() &&
                blank.DownloadSubfolder.empty() && blank.InstallFolder.empty() &&
                blank.DatabaseFile.empty());
    EXPECT_EQ(blank.Licence, LicenceKind::None);
    EXPECT_EQ(blank.PanelColour, kPanelRed);
  }
}

TEST(InstallContext, InstallPathFollowsTheWindowsDriveNotTheCurrentFolder) {
  test::FakeSystemInfo system;
  system.Windows = "D:\\WINDOWS";
  system.SystemDrive = "C:";
  const InstallContext context = MakeInstallContext(3, "http://example.test/instalador/", system);
  EXPECT_EQ(context.InstallPath, "D:\\Ovilar_Conserto\\");
  EXPECT_EQ(context.BaseUrl, "http://example.test/instalador/");
  EXPECT_EQ(context.Profile.Selector, 3);
}

TEST(InstallContext, UnknownSelectorInstallsIntoTheBareDriveRoot) {
  test::FakeSystemInfo system;
  EXPECT_EQ(MakeInstallContext(9, "http://example.test/instalador/", system).InstallPath, "C:\\");
}

TEST(InstallContext, BaseUrlAlwaysEndsWithSlash) {
  test::FakeSystemInfo system;
  EXPECT_EQ(MakeInstallContext(3, "http://example.test/instalador", system).BaseUrl,
            "http://example.test/instalador/");
}

TEST(InstallContext, BuildContextUsesTheCompiledInEditionAndServer) {
  test::FakeSystemInfo system;
  const InstallContext context = MakeBuildInstallContext(system);
  EXPECT_EQ(context.BaseUrl.substr(0, 7), "http://");
  EXPECT_EQ(context.BaseUrl.substr(context.BaseUrl.size() - 12), "/instalador/");
  EXPECT_EQ(context.InstallPath, "C:\\" + context.Profile.InstallFolder);
}

// Without a Windows folder the drive comes from SystemDrive, and is C when that is missing too.
TEST(WindowsDriveLetter, FallsBackToSystemDriveThenC) {
  struct Case {
    const char* Windows;
    const char* SystemDrive;
    char Expected;
  } cases[] = {
      {"E:\\Windows", "C:", 'E'}, {"", "F:", 'F'}, {"", "", 'C'}, {"", "%SystemDrive%", 'C'}};
  for (const Case& c : cases) {
    test::FakeSystemInfo system;
    system.Windows = c.Windows;
    system.SystemDrive = c.SystemDrive;
    EXPECT_EQ(WindowsDriveLetter(system), c.Expected) << c.Windows << " / " << c.SystemDrive;
  }
  test::FakeSystemInfo none;
  none.Windows.clear();
  none.SystemDrive.clear();
  EXPECT_EQ(MakeInstallContext(3, "http://x/instalador/", none).InstallPath,
            "C:\\Ovilar_Conserto\\");
}

}  // namespace
}  // namespace ov

#include <gtest/gtest.h>

#include "installer/batch_script.h"
#include "support/fake_platform.h"

namespace ov {
namespace {

TEST(BatchScripts, ExtractionScriptBytesInAnsiWithCrLf) {
  test::FakeFileSystem files;
  files.CreateDirectories("C:\\Ovilar_Conserto");
  ASSERT_EQ(
      WriteScript(files, "C:\\Ovilar_Conserto\\desc.bat",
                  ExtractionScript("C:\\Ovilar_Conserto\\", "C:\\Ovilar_Conserto\\executavel.rar")),
      0);
  EXPECT_EQ(files.Content("C:\\Ovilar_Conserto\\desc.bat"),
            "@echo Descompactando execut\xE1vel\r\n"
            "@echo off\r\n"
            "\"C:\\Ovilar_Conserto\\RAR\" x \"C:\\Ovilar_Conserto\\executavel.rar\"  "
            "\"C:\\Ovilar_Conserto\\\" /y\r\n"
            "@echo on\r\n");
}

TEST(BatchScripts, UninstallScriptKeepsTheCommandAsStored) {
  EXPECT_EQ(
      ScriptBytes(UninstallScript("\"C:\\Program Files\\Firebird\\Firebird_1_5\\unins000.exe\"")),
      "@echo Desinstalando a versao antiga\r\n@echo off\r\n"
      "\"C:\\Program Files\\Firebird\\Firebird_1_5\\unins000.exe\" /SP /SILENT /CLEAN\r\n@echo "
      "on\r\n");
  EXPECT_EQ(
      ScriptBytes(UninstallScript("")),
      "@echo Desinstalando a versao antiga\r\n@echo off\r\n /SP /SILENT /CLEAN\r\n@echo on\r\n");
}

TEST(BatchScripts, ServerSetupScript) {
  EXPECT_EQ(ScriptBytes(ServerSetupScript("D:\\Ovilar\\", "3.0")),
            "@echo Instalando a versao 3.0\r\n@echo off\r\n"
            "\"D:\\Ovilar\\Programas\\Firebird3.0.exe\" /SP- /SILENT "
            "/MERGETASKS=\"CopyFbClientAsGds32Task\" "
            "/PASSWORD=pinebrook\r\n@echo on\r\n");
}

TEST(BatchScripts, WriteErrorsComeBackAsCodesWithTheirTexts) {
  test::FakeFileSystem files;
  EXPECT_EQ(WriteScript(files, "Z:\\missing\\desc.bat", {"x"}), 3);  // folder missing
  files.CreateDirectories("C:\\a");
  EXPECT_EQ(WriteScript(files, "C:\\a\\" + std::string(260, 'x'), {"x"}), 3);
  EXPECT_EQ(WriteScript(files, "C:\\a\\" + std::string(259 - 5, 'x'), {"x"}),
            0);  // exactly 259 characters
  files.WriteErrors["C:\\a\\full.bat"] = 101;
  EXPECT_EQ(WriteScript(files, "C:\\a\\full.bat", {"x"}), 101);

  const std::pair<int, const char*> texts[] = {{2, "File not found"},
                                               {3, "Invalid filename"},
                                               {4, "Too many open files"},
                                               {5, "File access denied"},
                                               {100, "Read beyond end of file"},
                                               {101, "Disk full"},
                                               {106, "Invalid numeric input"},
                                               {32, "I/O error 32"}};
  for (const auto& [code, text] : texts) EXPECT_EQ(IoErrorText(code), text);
}

}  // namespace
}  // namespace ov

#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include "installer/batch_script.h"
#include "installer/install_context.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_ini_writer.h"
#include "platform/win32/win32_shell_runner.h"
#include "platform/win32/win32_system_info.h"
#include "unit/platform/wine_helpers.h"

namespace ov {
namespace {

// The script runs to its end in the given working folder, and messages posted meanwhile reach
// the pump instead of being left waiting.
TEST(Win32ShellRunner, RunsABatchFileToItsEndInTheWorkingFolderWhileMessagesFlow) {
  const std::string folder = test::MakeTempFolder();
  const std::string script = folder + "passo.bat";
  Win32FileSystem files;
  ASSERT_EQ(WriteScript(files, script,
                        {"@echo off", "for /L %%i in (1,1,300) do echo %%i > contagem.txt",
                         "cd > onde.txt", "echo fim> fim.txt"}),
            0);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make sure this thread has a queue
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 7, 0, 0);
  int seen = 0;
  const auto pump = [&] {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) seen += msg.message == WM_APP + 7 ? 1 : 0;
  };
  Win32ShellRunner runner;
  ASSERT_TRUE(runner.RunAndWait(script, folder, pump));
  EXPECT_EQ(test::ReadWholeFile(folder + "fim.txt"), "fim\r\n");  // finished before returning
  std::string where = test::ReadWholeFile(folder + "onde.txt");
  while (!where.empty() && (where.back() == '\n' || where.back() == '\r' || where.back() == ' '))
    where.pop_back();
  EXPECT_EQ(where + "\\", folder);
  EXPECT_EQ(seen, 1);
}

TEST(Win32ShellRunner, NothingStartedReturnsFalseAtOnce) {
  Win32ShellRunner runner;
  EXPECT_FALSE(runner.RunAndWait(test::MakeTempFolder() + "naoexiste.bat", "", nullptr));
}

TEST(Win32FileSystem, ScriptBytesFoldersCopiesAndErrorCodes) {
  Win32FileSystem files;
  const std::string folder = test::MakeTempFolder();
  const std::string nested = folder + "a\\b\\c\\";
  EXPECT_FALSE(files.DirectoryExists(nested));
  EXPECT_TRUE(files.CreateDirectories(nested));
  EXPECT_TRUE(files.DirectoryExists(nested));

  const std::string script = nested + "desc.bat";
  ASSERT_EQ(WriteScript(files, script,
                        ExtractionScript("C:\\Ovilar_Conserto\\", "C:\\Ovilar_Conserto\\a.rar")),
            0);
  EXPECT_EQ(test::ReadWholeFile(script).substr(0, 33), "@echo Descompactando execut\xE1vel\r\n");
  EXPECT_EQ(WriteScript(files, folder + "falta\\desc.bat", {"x"}), 3);  // missing folder

  EXPECT_TRUE(files.FileExists(script));
  EXPECT_FALSE(files.FileExists(nested));
  EXPECT_TRUE(files.DuplicateFile(script, nested + "copia.bat", false));
  EXPECT_FALSE(files.DuplicateFile(script, nested + "copia.bat", false));
  EXPECT_TRUE(files.DuplicateFile(script, nested + "copia.bat", true));
  EXPECT_TRUE(files.RemoveFile(script));
  EXPECT_FALSE(files.FileExists(script));
  EXPECT_EQ(files.TimestampText().size(), 15u);
}

TEST(Win32IniWriter, SetsOneKeyAndKeepsTheRest) {
  const std::string folder = test::MakeTempFolder();
  const std::string ini = folder + "ConfRede.ini";
  test::WriteWholeFile(
      ini, "[Outra]\r\nchave=valor\r\n[Acesso]\r\nBancoDeDados=antigo\r\nUsuario=sysdba\r\n");
  Win32IniWriter writer;
  EXPECT_EQ(
      writer.WriteString(ini, "Acesso", "BancoDeDados", "C:\\Ovilar_Conserto\\DBOVILAR_KOVRA.FDB"),
      "");
  EXPECT_EQ(test::ReadWholeFile(ini),
            "[Outra]\r\nchave=valor\r\n[Acesso]\r\nBancoDeDados=C:\\Ovilar_Conserto\\DBOVILAR_"
            "KOVRA.FDB\r\n"
            "Usuario=sysdba\r\n");

  const std::string fresh = folder + "Novo.ini";
  EXPECT_EQ(writer.WriteString(fresh, "Acesso", "BancoDeDados", "X"), "");
  EXPECT_NE(test::ReadWholeFile(fresh).find("[Acesso]\r\nBancoDeDados=X"), std::string::npos);

  const std::string unwritable = folder + "falta\\ConfRede.ini";
  EXPECT_EQ(writer.WriteString(unwritable, "Acesso", "BancoDeDados", "X"),
            "Unable to write to " + unwritable);
}

TEST(Win32SystemInfo, WindowsFolderAndSystemDriveGiveTheDrive) {
  Win32SystemInfo system;
  const std::string windows = system.WindowsDirectory();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_EQ(windows.substr(1, 2), ":\\");
  EXPECT_EQ(system.SystemDriveValue().size(), 2u);
  EXPECT_EQ(WindowsDriveLetter(system), windows[0]);
  EXPECT_FALSE(system.ShellDesktopFolder().empty());
}

}  // namespace
}  // namespace ov

#endif

#include "installer/batch_script.h"

#include "net/ansi.h"

namespace ov {

std::string ScriptBytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += Utf8ToAnsi(line) + "\r\n";
  return bytes;
}

namespace {

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t CharacterCount(const std::string& utf8) {
  std::size_t count = 0;
  for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

}  // namespace

int WriteScript(FileSystem& files, const std::string& path, const std::vector<std::string>& lines) {
  if (CharacterCount(path) > kMaxScriptPath) return 3;
  return files.WriteFile(path, ScriptBytes(lines));
}

std::string IoErrorText(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

std::vector<std::string> ExtractionScript(const std::string& install_path,
                                          const std::string& archive_path) {
  return {"@echo Descompactando execut\u00e1vel", "@echo off",
          "\"" + install_path + "RAR\" x \"" + archive_path + "\"  \"" + install_path + "\" /y",
          "@echo on"};
}

std::vector<std::string> UninstallScript(const std::string& uninstall_string) {
  return {"@echo Desinstalando a versao antiga", "@echo off",
          uninstall_string + " /SP /SILENT /CLEAN", "@echo on"};
}

std::vector<std::string> ServerSetupScript(const std::string& install_path,
                                           const std::string& database_pack) {
  return {"@echo Instalando a versao " + database_pack, "@echo off",
          "\"" + install_path +
              "Programas\\Firebird3.0.exe\" /SP- /SILENT /MERGETASKS=\"CopyFbClientAsGds32Task\" "
              "/PASSWORD=" +
              kFirebirdAdminPassword,
          "@echo on"};
}

}  // namespace ov

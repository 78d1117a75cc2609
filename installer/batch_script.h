#pragma once
// The helper batch files: their lines, and writing them in the ANSI code page with CR LF after
// every line and no byte-order mark.

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace ov {

inline constexpr std::size_t kMaxScriptPath = 259;
inline constexpr const char* kFirebirdAdminPassword = "pinebrook";

// The file's bytes: each line converted to the ANSI code page and followed by CR LF.
std::string ScriptBytes(const std::vector<std::string>& lines);

// Creates or truncates `path` with the script. Returns 0 or the I/O error code (3 for a path
// longer than 259 characters).
int WriteScript(FileSystem& files, const std::string& path, const std::vector<std::string>& lines);

// The message of an I/O error code ("File not found", ..., "I/O error <code>").
std::string IoErrorText(int code);

// "desc.bat": unpack `archive_path` into `install_path` with the RAR.exe lying there.
std::vector<std::string> ExtractionScript(const std::string& install_path,
                                          const std::string& archive_path);
// "desinstalandobanco.bat": the old server's uninstall command, run silently.
std::vector<std::string> UninstallScript(const std::string& uninstall_string);
// "instalandoversao.bat": the silent Firebird 3.0 setup from install_path\Programas.
std::vector<std::string> ServerSetupScript(const std::string& install_path,
                                           const std::string& database_pack);

}  // namespace ov

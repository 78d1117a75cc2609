#ifdef _WIN32

#include "unit/platform/wine_helpers.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "net/unicode.h"

namespace ov::test {

std::string UniqueName(const std::string& stem) {
  static int counter = 0;
  return stem + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

std::string MakeTempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = Narrow(temp) + UniqueName("ovplat") + "\\";
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

int RunCommand(const std::string& command_line, const std::string& extra_environment) {
  std::wstring command = Widen(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!extra_environment.empty()) {
    const std::string name = extra_environment.substr(0, extra_environment.find('='));
    SetEnvironmentVariableW(Widen(name).c_str(),
                            Widen(extra_environment.substr(name.size() + 1)).c_str());
  }
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  if (!extra_environment.empty()) {
    SetEnvironmentVariableW(Widen(extra_environment.substr(0, extra_environment.find('='))).c_str(),
                            nullptr);
  }
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(Widen(path)), std::ios::binary);
  out << bytes;
}

}  // namespace ov::test

#endif

#include "tools/rar_standin/standin_log.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace ov::standin {

std::wstring ProgramFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void RecordCall(const std::wstring& program_name) {
  const std::wstring log = ProgramFolder() + L"stand-in-calls.log";
  std::unique_ptr<FILE, decltype(&std::fclose)> file(_wfopen(log.c_str(), L"ab"), &std::fclose);
  if (!file) return;
  const std::string line = ToUtf8(program_name) + ": " + ToUtf8(GetCommandLineW()) + "\r\n";
  std::fwrite(line.data(), 1, line.size(), file.get());
}

std::vector<std::wstring> Arguments() {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count),
                                                      &LocalFree);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < count; ++i) args.emplace_back(argv.get()[i]);
  return args;
}

}  // namespace ov::standin

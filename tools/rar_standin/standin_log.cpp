#include "tools/rar_standin/standin_log.h"

#include <windows.h>

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

// Split as the real programs do: blanks separate, double quotes group and are dropped, and a
// backslash is an ordinary character (so "C:\\X\\" ends with a backslash, not a quote).
std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  std::wstring current;
  bool quoted = false;
  bool any = false;
  for (const wchar_t* p = GetCommandLineW(); *p; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
      any = true;
    } else if ((*p == L' ' || *p == L'\t') && !quoted) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += *p;
      any = true;
    }
  }
  if (any) args.push_back(current);
  if (!args.empty()) args.erase(args.begin());  // the program itself
  return args;
}

}  // namespace ov::standin

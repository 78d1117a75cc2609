// RAR.exe stand-in: `RAR x <archive> <destination\> [/y]` unpacks a sample archive into the
// destination (overwriting only with /y) and records its command line beside itself.
// Exit codes: 0 done, 2 bad command line, 3 archive unreadable, 4 not a complete archive,
// 5 a file could not be written.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tools/rar_standin/sample_archive.h"
#include "tools/rar_standin/standin_log.h"

namespace {

using ov::standin::ToUtf8;

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
  std::unique_ptr<FILE, decltype(&std::fclose)> file(_wfopen(path.c_str(), L"rb"), &std::fclose);
  if (!file) return false;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  return std::ferror(file.get()) == 0;
}

void CreateParents(const std::wstring& path) {
  for (std::size_t pos = path.find(L'\\', 3); pos != std::wstring::npos;
       pos = path.find(L'\\', pos + 1)) {
    CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
  }
}

bool WriteWhole(const std::wstring& path, const std::string& data) {
  CreateParents(path);
  std::unique_ptr<FILE, decltype(&std::fclose)> file(_wfopen(path.c_str(), L"wb"), &std::fclose);
  if (!file) return false;
  return std::fwrite(data.data(), 1, data.size(), file.get()) == data.size();
}

int Extract(const std::wstring& archive, std::wstring destination, bool overwrite) {
  std::string bytes;
  if (!ReadWhole(archive, bytes)) {
    std::fprintf(stderr, "RAR: cannot open %s\n", ToUtf8(archive).c_str());
    return 3;
  }
  std::string error;
  const auto entries = ov::standin::ParseSampleArchive(bytes, error);
  if (!entries) {
    std::fprintf(stderr, "RAR: %s: %s\n", ToUtf8(archive).c_str(), error.c_str());
    return 4;
  }
  if (!destination.empty() && destination.back() != L'\\') destination += L'\\';
  for (const auto& entry : *entries) {
    const std::wstring target = destination + Widen(entry.Name);
    if (!overwrite && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::printf("RAR: kept existing %s\n", ToUtf8(target).c_str());
      continue;
    }
    if (!WriteWhole(target, entry.Data)) {
      std::fprintf(stderr, "RAR: cannot write %s\n", ToUtf8(target).c_str());
      return 5;
    }
    std::printf("Extracting  %s  OK\n", entry.Name.c_str());
  }
  return 0;
}

}  // namespace

int main() {
  ov::standin::RecordCall(L"RAR");
  const auto args = ov::standin::Arguments();
  if (args.size() < 3 || args.size() > 4 || args[0] != L"x" ||
      (args.size() == 4 && args[3] != L"/y")) {
    std::fprintf(stderr, "usage: RAR x <archive> <destination\\> [/y]\n");
    return 2;
  }
  return Extract(args[1], args[2], args.size() == 4);
}

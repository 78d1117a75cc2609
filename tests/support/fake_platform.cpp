#include "support/fake_platform.h"

namespace ov::test {
namespace {

std::string WithoutTrailingBackslash(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t last = path.find_last_of('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

}  // namespace

bool FakeFileSystem::FileExists(const std::string& path) const { return Files.count(path) != 0; }

bool FakeFileSystem::DirectoryExists(const std::string& path) const {
  return Folders.count(WithoutTrailingBackslash(path)) != 0;
}

bool FakeFileSystem::CreateDirectories(const std::string& path) {
  std::string folder = WithoutTrailingBackslash(path);
  while (!folder.empty() && folder.back() != ':') {
    Folders.insert(folder);
    folder = ParentFolder(folder);
  }
  return true;
}

bool FakeFileSystem::RemoveFile(const std::string& path) { return Files.erase(path) != 0; }

bool FakeFileSystem::DuplicateFile(const std::string& from, const std::string& to, bool overwrite) {
  if (!FileExists(from) || UncopyablePaths.count(to) || (!overwrite && FileExists(to)))
    return false;
  Files[to] = Files[from];
  return true;
}

int FakeFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  if (auto error = WriteErrors.find(path); error != WriteErrors.end()) return error->second;
  if (!DirectoryExists(ParentFolder(path))) return 3;
  Files[path] = bytes;
  return 0;
}

void FakeFileSystem::Put(const std::string& path, const std::string& bytes) {
  CreateDirectories(ParentFolder(path));
  Files[path] = bytes;
}

std::string FakeFileSystem::Content(const std::string& path) const {
  const auto it = Files.find(path);
  return it == Files.end() ? std::string() : it->second;
}

std::string FakeRegistry::Id(RegistryRoot root, const std::string& path, RegistryView view) {
  std::string id =
      std::to_string(static_cast<int>(root)) + std::to_string(static_cast<int>(view)) + "|";
  for (char c : path)
    id += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);  // keys ignore case
  return id;
}

FakeRegistry::Key& FakeRegistry::At(RegistryRoot root, const std::string& path, RegistryView view) {
  return keys_[Id(root, path, view)];
}

void FakeRegistry::AddUninstallEntry(const std::string& name, std::optional<std::string> display,
                                     std::optional<std::string> uninstall, RegistryView view) {
  const std::string parent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  At(RegistryRoot::LocalMachine, parent, view).SubKeys.push_back(name);
  Key& entry = At(RegistryRoot::LocalMachine, parent + "\\" + name, view);
  entry.Values["DisplayName"] = std::move(display);
  entry.Values["UninstallString"] = std::move(uninstall);
}

std::optional<std::vector<std::string>> FakeRegistry::SubKeyNames(RegistryRoot root,
                                                                  const std::string& path,
                                                                  RegistryView view) const {
  const auto it = keys_.find(Id(root, path, view));
  if (it == keys_.end()) return std::nullopt;
  return it->second.SubKeys;
}

RegistryString FakeRegistry::ReadString(RegistryRoot root, const std::string& path,
                                        const std::string& name, RegistryView view) const {
  const auto key = keys_.find(Id(root, path, view));
  if (key == keys_.end()) return {RegistryString::Status::KeyNotOpened, "", ""};
  const auto value = key->second.Values.find(name);
  if (value == key->second.Values.end()) return {RegistryString::Status::Missing, "", ""};
  if (!value->second)
    return {RegistryString::Status::NotString, "", "Invalid data type for '" + name + "'"};
  return {RegistryString::Status::Ok, *value->second, ""};
}

bool FakeRegistry::EnsureKey(RegistryRoot root, const std::string& path) {
  EnsuredKeys.push_back(path);
  At(root, path);
  return true;
}

std::optional<std::vector<std::string>> FakeServiceList::ServiceNames(const std::string& machine,
                                                                      std::uint32_t state,
                                                                      std::uint32_t type) const {
  Calls.push_back({machine, state, type});
  return Names;
}

bool FakeShellRunner::RunAndWait(const std::string& file, const std::string& working_dir,
                                 const std::function<void()>& pump) {
  if (Unstartable.count(file)) return false;
  Runs.push_back({file, working_dir});
  if (pump) pump();  // the window gets its messages while the program runs
  if (OnRun) OnRun(file);
  return true;
}

bool FakeShellRunner::StartHidden(const std::string& file, const std::string& parameters) {
  Hidden.emplace_back(file, parameters);
  return true;
}

ShortcutResult FakeShortcutMaker::SaveLink(const std::string& link_path, const std::string& target,
                                           const std::string& arguments,
                                           const std::string& working_dir) {
  Links.push_back({link_path, target, arguments, working_dir});
  return Result;
}

std::string FakeFirewall::AddGloballyOpenPort(const std::string& name, int port) {
  Ports.emplace_back(name, port);
  return Error;
}

std::string FakeIniWriter::WriteString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& value) {
  Writes.push_back({file, section, key, value});
  return Error;
}

}  // namespace ov::test

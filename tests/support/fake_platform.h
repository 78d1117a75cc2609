#pragma once
// In-memory stand-ins for the platform services, recording what the installer asks of them.

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform_services.h"

namespace ov::test {

// Files and folders keyed by their Windows path; folders are stored without trailing backslash.
class FakeFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  bool CreateDirectories(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool DuplicateFile(const std::string& from, const std::string& to, bool overwrite) override;
  int WriteFile(const std::string& path, const std::string& bytes) override;
  std::string TimestampText() const override { return Timestamp; }

  // Puts a file in place, creating its folder.
  void Put(const std::string& path, const std::string& bytes);
  std::string Content(const std::string& path) const;

  std::map<std::string, std::string> Files;
  std::set<std::string> Folders;
  std::map<std::string, int> WriteErrors;  // path -> I/O error code returned by WriteFile
  std::set<std::string> UncopyablePaths;   // copies to these fail
  std::string Timestamp = "20261210-031500";
};

class FakeRegistry : public RegistryReader {
 public:
  struct Key {
    std::vector<std::string> SubKeys;                          // in listing order
    std::map<std::string, std::optional<std::string>> Values;  // nullopt: a non-string value
  };
  std::optional<std::vector<std::string>> SubKeyNames(RegistryRoot root, const std::string& path,
                                                      RegistryView view) const override;
  RegistryString ReadString(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryView view) const override;
  bool EnsureKey(RegistryRoot root, const std::string& path) override;

  Key& At(RegistryRoot root, const std::string& path, RegistryView view = RegistryView::View32);
  // Adds a sub-key of the Uninstall key with the two values (nullopt: stored as a non-string).
  void AddUninstallEntry(const std::string& name, std::optional<std::string> display,
                         std::optional<std::string> uninstall,
                         RegistryView view = RegistryView::View32);

  std::vector<std::string> EnsuredKeys;

 private:
  static std::string Id(RegistryRoot root, const std::string& path, RegistryView view);
  std::map<std::string, Key> keys_;
};

class FakeServiceList : public ServiceList {
 public:
  std::optional<std::vector<std::string>> ServiceNames(const std::string& machine,
                                                       std::uint32_t state,
                                                       std::uint32_t type) const override;
  std::optional<std::vector<std::string>> Names = std::vector<std::string>{};
  struct Call {
    std::string Machine;
    std::uint32_t State, Type;
  };
  mutable std::vector<Call> Calls;
};

class FakeShellRunner : public ShellRunner {
 public:
  struct Run {
    std::string File, WorkingDir;
  };
  bool RunAndWait(const std::string& file, const std::string& working_dir,
                  const std::function<void()>& pump) override;
  bool StartHidden(const std::string& file, const std::string& parameters) override;

  std::vector<Run> Runs;
  std::vector<std::pair<std::string, std::string>> Hidden;  // file, parameters
  std::function<void(const std::string& file)> OnRun;       // what the started program does
  std::set<std::string> Unstartable;                        // files the shell cannot start
};

class FakeShortcutMaker : public ShortcutMaker {
 public:
  struct Link {
    std::string Path, Target, Arguments, WorkingDir;
  };
  ShortcutResult SaveLink(const std::string& link_path, const std::string& target,
                          const std::string& arguments, const std::string& working_dir) override;
  std::vector<Link> Links;
  ShortcutResult Result;  // returned for every call
};

class FakeFirewall : public Firewall {
 public:
  std::string AddGloballyOpenPort(const std::string& name, int port) override;
  std::vector<std::pair<std::string, int>> Ports;
  std::string Error;
};

class FakeSystemInfo : public SystemInfo {
 public:
  std::string WindowsDirectory() const override { return Windows; }
  std::string SystemDriveValue() const override { return SystemDrive; }
  OsVersion Version() const override { return Os; }
  std::string ShellDesktopFolder() const override { return Desktop; }
  std::string Windows = "C:\\Windows";
  std::string SystemDrive = "C:";
  OsVersion Os{2, 10, 0};
  std::string Desktop = "C:\\Users\\cliente\\Desktop";
};

class FakeIniWriter : public IniWriter {
 public:
  struct Write {
    std::string File, Section, Key, Value;
  };
  std::string WriteString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& value) override;
  std::vector<Write> Writes;
  std::string Error;
};

// One of each fake, bundled as the installer takes them.
struct FakePlatform {
  FakeRegistry Registry;
  FakeServiceList Services;
  FakeShellRunner Shell;
  FakeShortcutMaker Shortcuts;
  FakeFirewall FirewallRules;
  FakeSystemInfo System;
  FakeIniWriter Ini;
  FakeFileSystem Files;
  PlatformServices Bundle() {
    return PlatformServices{Registry,      Services, Shell, Shortcuts,
                            FirewallRules, System,   Ini,   Files};
  }
};

}  // namespace ov::test

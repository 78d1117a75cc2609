#pragma once
// The set of platform services the installer works with, passed by reference as one bundle.

#include "platform/file_system.h"
#include "platform/firewall.h"
#include "platform/ini_writer.h"
#include "platform/registry_reader.h"
#include "platform/service_list.h"
#include "platform/shell_runner.h"
#include "platform/shortcut_maker.h"
#include "platform/system_info.h"

namespace ov {

// Non-owning references; the owner (the program entry or a test) keeps them alive.
struct PlatformServices {
  RegistryReader& Registry;
  ServiceList& Services;
  ShellRunner& Shell;
  ShortcutMaker& Shortcuts;
  Firewall& FirewallRules;
  SystemInfo& System;
  IniWriter& Ini;
  FileSystem& Files;
};

}  // namespace ov

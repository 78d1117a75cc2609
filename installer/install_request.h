#pragma once
// The outcome of the database-server decision, handed to the installation sequence.

#include <string>

namespace ov {

struct InstallRequest {
  bool UninstallOld = false;   // run the old server's uninstaller first
  bool InstallServer = false;  // download (when needed) and install Firebird 3.0
  std::string DatabasePack;    // "3.0" (Banco30.rar) or "2.1" (Banco21.rar)
  friend bool operator==(const InstallRequest&, const InstallRequest&) = default;
};

}  // namespace ov

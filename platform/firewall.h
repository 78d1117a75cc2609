#pragma once
// Opening a TCP port through the Windows firewall's automation objects.

#include <string>

namespace ov {

class Firewall {
 public:
  virtual ~Firewall() = default;
  // Adds an enabled open TCP port for all addresses to the current profile's globally open
  // ports. Empty text on success, else what failed.
  virtual std::string AddGloballyOpenPort(const std::string& name, int port) = 0;
};

}  // namespace ov

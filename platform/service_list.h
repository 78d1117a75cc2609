#pragma once
// The key names of the services registered with the service control manager.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ov {

class ServiceList {
 public:
  virtual ~ServiceList() = default;
  // Every service key name (not display name) of the given type and state on the machine
  // (empty name = this computer). nullopt when the manager cannot be opened at all, not even
  // with enumeration rights only.
  virtual std::optional<std::vector<std::string>> ServiceNames(const std::string& machine,
                                                               std::uint32_t state,
                                                               std::uint32_t type) const = 0;
};

}  // namespace ov

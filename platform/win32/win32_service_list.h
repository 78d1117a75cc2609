#pragma once
// The service control manager's list of services.

#include "platform/service_list.h"

namespace ov {

class Win32ServiceList : public ServiceList {
 public:
  std::optional<std::vector<std::string>> ServiceNames(const std::string& machine,
                                                       std::uint32_t state,
                                                       std::uint32_t type) const override;
};

}  // namespace ov

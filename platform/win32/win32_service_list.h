#pragma once
// The service control manager's list of services.

#include <cstddef>

#include "platform/service_list.h"

namespace ov {

// Enumerates page by page with the resume handle until every record is seen.
class Win32ServiceList : public ServiceList {
 public:
  // `page_bytes`: the first buffer's size; a small one only means more calls.
  explicit Win32ServiceList(std::size_t page_bytes = 64 * 1024) : page_bytes_(page_bytes) {}
  std::optional<std::vector<std::string>> ServiceNames(const std::string& machine,
                                                       std::uint32_t state,
                                                       std::uint32_t type) const override;

 private:
  std::size_t page_bytes_;
};

}  // namespace ov

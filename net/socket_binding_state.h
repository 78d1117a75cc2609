// The process-wide state of the socket binding, shared by its source files only.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/socket_binding.h"
#include "net/socket_library.h"

namespace ov {

struct BindingState {
  std::mutex lock;  // loading, releasing and the classic lookups
  std::unique_ptr<SocketLibrary> library;
  std::unique_ptr<SocketLibrary> support_library;
  int use_count = 0;
  std::atomic<bool> addr_info_in_library{false};
  std::atomic<bool> addr_info_in_support{false};
  SocketEntries entries;
  TWSAData wsa_data{};
  int startup_result = -1;
  std::vector<std::string> hidden_names;
};

BindingState& Binding();

}  // namespace ov

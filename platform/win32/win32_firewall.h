#pragma once
// The Windows firewall's automation objects, driven late-bound through IDispatch (COM must be
// initialised on the thread).

#include "platform/firewall.h"

namespace ov {

class Win32Firewall : public Firewall {
 public:
  std::string AddGloballyOpenPort(const std::string& name, int port) override;
};

}  // namespace ov

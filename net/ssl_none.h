// The installed TLS plug-in: no TLS at all. Every attempt to start TLS fails with
// "SSL/TLS support is not compiled!".
#pragma once

#include <memory>
#include <string>

#include "net/ssl_custom.h"

namespace ov {

class TSSLNone : public TCustomSSL {
 public:
  using TCustomSSL::TCustomSSL;
  std::string LibVersion() override;
  std::string LibName() override;

  // The TSSLClass of this plug-in.
  static std::unique_ptr<TCustomSSL> Create(TTCPBlockSocket* owner);
};

}  // namespace ov

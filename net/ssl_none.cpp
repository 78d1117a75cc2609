#include "net/ssl_none.h"

namespace ov {

std::string TSSLNone::LibVersion() { return "Without SSL support"; }
std::string TSSLNone::LibName() { return "ssl_none"; }

std::unique_ptr<TCustomSSL> TSSLNone::Create(TTCPBlockSocket* owner) {
  return std::make_unique<TSSLNone>(owner);
}

}  // namespace ov

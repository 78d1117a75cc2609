#pragma once
// The registry through the Win32 API; the view flag picks the 32- or 64-bit view.

#include "platform/registry_reader.h"

namespace ov {

class Win32RegistryReader : public RegistryReader {
 public:
  std::optional<std::vector<std::string>> SubKeyNames(RegistryRoot root, const std::string& path,
                                                      RegistryView view) const override;
  RegistryString ReadString(RegistryRoot root, const std::string& path, const std::string& name,
                            RegistryView view) const override;
  bool EnsureKey(RegistryRoot root, const std::string& path) override;
};

}  // namespace ov

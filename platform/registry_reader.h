#pragma once
// Read access to the registry (plus creating a key when missing), in a chosen 32/64-bit view.

#include <optional>
#include <string>
#include <vector>

namespace ov {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Which view of the registry a key is opened in: the 32-bit view a 32-bit program sees by
// default, or the 64-bit view of a 64-bit Windows.
enum class RegistryView { View32, View64 };

// Outcome of reading one string value.
struct RegistryString {
  enum class Status { Ok, Missing, KeyNotOpened, NotString };
  Status State = Status::Missing;
  std::string Value;  // the text when Ok, empty otherwise
  std::string Error;  // "Invalid data type for '<name>'" when NotString
};

class RegistryReader {
 public:
  virtual ~RegistryReader() = default;
  // Names of the sub-keys of root\path in the order the registry lists them; nullopt when the
  // key does not open.
  virtual std::optional<std::vector<std::string>> SubKeyNames(RegistryRoot root,
                                                              const std::string& path,
                                                              RegistryView view) const = 0;
  // Reads a string value (REG_SZ / REG_EXPAND_SZ, unexpanded) of root\path.
  virtual RegistryString ReadString(RegistryRoot root, const std::string& path,
                                    const std::string& name, RegistryView view) const = 0;
  // Creates root\path when it does not exist (default view); false when it cannot.
  virtual bool EnsureKey(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace ov

// A loaded socket library and the lookup of its exported functions by name; one implementation
// per platform (Windows: the DLL itself; POSIX: the C library behind Winsock-style adapters).
#pragma once

#include <memory>
#include <string>

namespace ov {

inline constexpr char kSocketLibraryName[] = "ws2_32.dll";
inline constexpr char kIp6SupportLibraryName[] = "wship6.dll";

class SocketLibrary {
 public:
  using Proc = void (*)();

  virtual ~SocketLibrary() = default;
  // The exported function of that name, nullptr when the library lacks it.
  virtual Proc Find(const char* name) const = 0;

  // Loads a library by name; nullptr when it cannot be loaded.
  static std::unique_ptr<SocketLibrary> Open(const std::string& name);
};

}  // namespace ov

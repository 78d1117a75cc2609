// The platform's socket library on POSIX systems: "ws2_32.dll" (or no name) stands for the C
// library, whose functions are reached through Winsock-style adapters. Any other name is loaded
// as a shared library exporting the Winsock names itself. There is no IPv6 support library.
#include <dlfcn.h>
#include <strings.h>

#include <cstring>

#include "net/posix/winsock_adapters.h"
#include "net/socket_library.h"

namespace ov {
namespace {

constexpr char kCLibraryName[] = "libc.so.6";

class SharedObject : public SocketLibrary {
 public:
  SharedObject(void* handle, bool adapted) : handle_(handle), adapted_(adapted) {}
  ~SharedObject() override { dlclose(handle_); }
  SharedObject(const SharedObject&) = delete;
  SharedObject& operator=(const SharedObject&) = delete;

  Proc Find(const char* name) const override {
    if (adapted_) return posix::FindAdapter(name);
    return reinterpret_cast<Proc>(dlsym(handle_, name));
  }

 private:
  void* handle_;
  bool adapted_;
};

bool IsPlatformSocketLibrary(const std::string& name) {
  return name.empty() || strcasecmp(name.c_str(), kSocketLibraryName) == 0;
}

}  // namespace

std::unique_ptr<SocketLibrary> SocketLibrary::Open(const std::string& name) {
  if (strcasecmp(name.c_str(), kIp6SupportLibraryName) == 0) return nullptr;
  const bool adapted = IsPlatformSocketLibrary(name);
  void* handle = dlopen(adapted ? kCLibraryName : name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  if (adapted) posix::LoadLibcCalls(handle);
  return std::make_unique<SharedObject>(handle, adapted);
}

}  // namespace ov

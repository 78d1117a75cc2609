#include "platform/win32/win32_service_list.h"

#include <windows.h>
#include <winsvc.h>

#include <cstdint>
#include <memory>

#include "net/unicode.h"

namespace ov {
namespace {

struct ManagerCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using Manager = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, ManagerCloser>;

// Full access first, as an administrator has; without it, enumeration rights are enough.
Manager OpenManager(const std::string& machine) {
  const std::wstring name = Widen(machine);
  const wchar_t* machine_name = machine.empty() ? nullptr : name.c_str();
  SC_HANDLE handle = OpenSCManagerW(machine_name, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!handle)
    handle =
        OpenSCManagerW(machine_name, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE);
  return Manager(handle);
}

}  // namespace

std::optional<std::vector<std::string>> Win32ServiceList::ServiceNames(const std::string& machine,
                                                                       std::uint32_t state,
                                                                       std::uint32_t type) const {
  const Manager manager = OpenManager(machine);
  if (!manager) return std::nullopt;
  std::vector<std::string> names;
  std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));  // aligned for the records
  DWORD resume = 0;
  for (;;) {
    DWORD needed = 0;
    DWORD count = 0;
    auto* records = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    const BOOL done = EnumServicesStatusW(manager.get(), type, state, records,
                                          static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)),
                                          &needed, &count, &resume);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    for (DWORD i = 0; i < count; ++i) names.push_back(Narrow(records[i].lpServiceName));
    if (done || error != ERROR_MORE_DATA) break;
    if (count == 0) {
      if (needed <= buffer.size() * sizeof(std::uint64_t)) break;  // no progress possible
      buffer.resize(needed / sizeof(std::uint64_t) + 1);
    }
  }
  return names;
}

}  // namespace ov

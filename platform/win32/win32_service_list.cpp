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
  std::vector<std::uint64_t> buffer(page_bytes_ / sizeof(std::uint64_t) + 1);  // aligned records
  DWORD resume = 0;
  while (buffer.size() * sizeof(std::uint64_t) <= (64u << 20)) {
    const DWORD resume_before = resume;
    DWORD needed = 0;
    DWORD count = 0;
    auto* records = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    const BOOL done = EnumServicesStatusW(manager.get(), type, state, records,
                                          static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t)),
                                          &needed, &count, &resume);
    const bool more = !done && GetLastError() == ERROR_MORE_DATA;
    if (more && (count == 0 || resume == resume_before)) {
      // No room for one record, or a manager that does not advance the resume handle: start
      // over with room for everything that is left.
      names.clear();
      resume = 0;
      buffer.resize(buffer.size() * 2 + needed / sizeof(std::uint64_t) + 1);
      continue;
    }
    for (DWORD i = 0; i < count; ++i) names.push_back(Narrow(records[i].lpServiceName));
    if (!more) break;
  }
  return names;
}

}  // namespace ov

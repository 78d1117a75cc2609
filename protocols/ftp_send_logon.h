// Logon tables of the FTP client: six steps of three bytes (command code, next index after a
// 2xx reply, next index after a 3xx reply), the built-in table of each firewall mode, the
// command line of each code, and the walk through a table with its bounds checked.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace ov {

using TLogonActions = std::array<std::uint8_t, 18>;

inline constexpr std::uint8_t kLogonFailed = 254;
inline constexpr std::uint8_t kLogonSucceeded = 255;

// The built-in table of `mode` (1..8); mode 0 and any other value give the table of mode 0.
TLogonActions BuiltInLogonTable(std::int32_t mode);

// What the command codes fill in.
struct LogonCredentials {
  std::string UserName, Password, Account;
  std::string FWUsername, FWPassword;
  std::string TargetHost, TargetPort;
};

// The command line for `code`; an unknown code repeats `previous` (empty at the first step).
std::string LogonCommandLine(std::uint8_t code, const LogonCredentials& credentials,
                             const std::string& previous);

// Walks `table` from index 0, sending each step's line through `send` (which returns the
// reply code). True when a step leads to "succeeded". A reply other than 2xx/3xx, a step
// leading to "failed", an index beyond the table or a seventh step ends it with false.
bool RunLogonTable(const TLogonActions& table, const LogonCredentials& credentials,
                   const std::function<std::int32_t(const std::string&)>& send);

}  // namespace ov

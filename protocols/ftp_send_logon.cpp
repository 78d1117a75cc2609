#include "protocols/ftp_send_logon.h"

namespace ov {
namespace {

constexpr std::uint8_t OK = kLogonSucceeded;
constexpr std::uint8_t FAIL = kLogonFailed;

// Rows by mode 0..8; unlisted trailing bytes are 0.
constexpr std::array<TLogonActions, 9> kTables = {{
    {0, OK, 3, 1, OK, 6, 2, OK, FAIL},
    {3, 6, 3, 4, 6, FAIL, 5, FAIL, 9, 0, OK, 12, 1, OK, 15, 2, OK, FAIL},
    {3, 6, 3, 4, 6, FAIL, 6, OK, 9, 1, OK, 12, 2, OK, FAIL},
    {3, 6, 3, 4, 6, FAIL, 0, OK, 9, 1, OK, 12, 2, OK, FAIL},
    {7, 3, 3, 0, OK, 6, 1, OK, 9, 2, OK, FAIL},
    {6, OK, 3, 1, OK, 6, 2, OK, FAIL},
    {8, 6, 3, 4, 6, FAIL, 0, OK, 9, 1, OK, 12, 2, OK, FAIL},
    {9, FAIL, 3, 1, OK, 6, 2, OK, FAIL},
    {10, OK, 3, 11, OK, 6, 2, OK, FAIL},
}};

constexpr std::size_t kStepSize = 3;
constexpr int kMaxSteps = 6;

std::string TargetText(const LogonCredentials& c) {
  return c.TargetPort == "21" ? c.TargetHost : c.TargetHost + ":" + c.TargetPort;
}

}  // namespace

TLogonActions BuiltInLogonTable(std::int32_t mode) {
  if (mode < 0 || mode >= static_cast<std::int32_t>(kTables.size())) mode = 0;
  return kTables[static_cast<std::size_t>(mode)];
}

std::string LogonCommandLine(std::uint8_t code, const LogonCredentials& c,
                             const std::string& previous) {
  switch (code) {
    case 0:
      return "USER " + c.UserName;
    case 1:
      return "PASS " + c.Password;
    case 2:
      return "ACCT " + c.Account;
    case 3:
      return "USER " + c.FWUsername;
    case 4:
      return "PASS " + c.FWPassword;
    case 5:
      return "SITE " + TargetText(c);
    case 6:
      return "USER " + c.UserName + "@" + TargetText(c);
    case 7:
      return "OPEN " + TargetText(c);
    case 8:
      return "USER " + c.FWUsername + "@" + TargetText(c);
    case 9:
      return "USER " + c.UserName + "@" + TargetText(c) + " " + c.FWUsername;
    case 10:
      return "USER " + c.UserName + "@" + c.FWUsername + "@" + TargetText(c);
    case 11:
      return "PASS " + c.Password + "@" + c.FWPassword;
    default:
      return previous;
  }
}

bool RunLogonTable(const TLogonActions& table, const LogonCredentials& credentials,
                   const std::function<std::int32_t(const std::string&)>& send) {
  std::size_t index = 0;
  std::string line;
  // A caller's table may loop; six steps are all a table can hold.
  for (int step = 0; step < kMaxSteps; ++step) {
    if (index + kStepSize > table.size()) return false;
    line = LogonCommandLine(table[index], credentials, line);
    const std::int32_t reply_class = send(line) / 100;
    if (reply_class != 2 && reply_class != 3) return false;
    const std::uint8_t next = table[index + (reply_class == 2 ? 1 : 2)];
    if (next == kLogonSucceeded) return true;
    if (next == kLogonFailed) return false;
    index = next;
  }
  return false;
}

}  // namespace ov

// Start-up and shut-down of the process's socket interface.
#include <gtest/gtest.h>

#include "net/socket_binding.h"
#include "net/socket_errors.h"
#include "net/socket_interface.h"

namespace ov {
namespace {

TEST(SocketInterfaceStart, FailureRaisesTheStartupErrorAndAGuardBindsForItsLifetime) {
  if (Entries().socket != nullptr) {
    GTEST_SKIP() << "the interface is already bound in this process (run this test alone)";
  }
  const std::string text = "Error loading Socket interface (ws2_32.dll)!";
  SetHiddenEntriesForTesting({"socket"});  // the library then cannot be bound
  try {
    StartSocketInterface();
    ADD_FAILURE() << "no exception";
  } catch (const ESocketError& e) {
    EXPECT_EQ(e.ErrorCode, 0);
    EXPECT_EQ(e.ErrorMessage, text);
    EXPECT_EQ(std::string(e.what()), text);
  }
  SetHiddenEntriesForTesting({});
  EXPECT_EQ(Entries().socket, nullptr);
  {
    SocketInterfaceGuard guard;
    EXPECT_NE(Entries().socket, nullptr);
    EXPECT_EQ(StartupResult(), 0);
    EXPECT_EQ(WsaData().wVersion, 0x0202);
  }
  EXPECT_EQ(Entries().socket, nullptr);
}

}  // namespace
}  // namespace ov

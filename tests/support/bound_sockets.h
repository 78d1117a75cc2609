// Test helper: binds and starts the socket interface for the lifetime of the object.
#pragma once

#include <gtest/gtest.h>

#include "net/socket_binding.h"

namespace ov::testing {

class BoundSockets {
 public:
  BoundSockets() {
    bound_ = LoadSocketLibrary("");
    EXPECT_TRUE(bound_) << "the platform's socket library did not load";
    if (bound_) {
      EXPECT_EQ(StartupSocketInterface(), 0);
    }
  }
  ~BoundSockets() {
    if (!bound_) return;
    CleanupSocketInterface();
    ReleaseSocketLibrary();
  }
  BoundSockets(const BoundSockets&) = delete;
  BoundSockets& operator=(const BoundSockets&) = delete;

 private:
  bool bound_ = false;
};

}  // namespace ov::testing

// What a test needs from the machine (a server program, a tool). On a developer machine a
// missing one skips the test with the package to install; in CI (CI=true) it fails the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace ov::testing {

// True when the environment says this is a CI run.
bool RunningInCi();

// Path of the project's source tree (OV_SOURCE_DIR, set by CTest), or "." when unset.
std::string SourceDir();

// Full path of a program: an absolute or relative path is checked as given; a bare name is
// looked up in PATH and then in the project's unpacked packages (.deps/root/usr/sbin, usr/bin).
// Empty when not found.
std::string FindProgram(const std::string& name);

}  // namespace ov::testing

// Skips (developer machine) or fails (CI) the current test when `program` is missing, naming
// the Debian package that provides it. Leaves the full path in `var`.
#define OV_REQUIRE_PROGRAM(var, program, package)                                        \
  std::string var = ::ov::testing::FindProgram(program);                                 \
  if (var.empty()) {                                                                     \
    if (::ov::testing::RunningInCi()) {                                                  \
      FAIL() << (program) << " is missing (Debian package " << (package)                 \
             << "); scripts/setup installs it";                                          \
    }                                                                                    \
    GTEST_SKIP() << (program) << " is missing: run scripts/setup (Debian package "       \
                 << (package) << ")";                                                    \
  }

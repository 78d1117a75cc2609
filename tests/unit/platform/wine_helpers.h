#pragma once
// Helpers for the tests of the real Windows services: unique names, temporary folders and
// running system commands (reg, sc) to completion.

#ifdef _WIN32

#include <string>

namespace ov::test {

// A name unique to this process and call, e.g. "OvT1a2b_3".
std::string UniqueName(const std::string& stem);
// A fresh folder under the temporary folder, with a trailing backslash.
std::string MakeTempFolder();
// Runs a command line, waits for it and returns its exit code (-1 when it did not start).
int RunCommand(const std::string& command_line, const std::string& extra_environment = "");
// Reads a whole file; empty when missing.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace ov::test

#endif

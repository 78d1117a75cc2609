// Shared by the stand-ins: the raw command line, appended to "stand-in-calls.log" beside the
// running program, so tests can see exactly how each program was started.
#pragma once

#include <string>
#include <vector>

namespace ov::standin {

std::wstring ProgramFolder();  // with a trailing backslash
void RecordCall(const std::wstring& program_name);
std::vector<std::wstring> Arguments();  // argv without the program itself
std::string ToUtf8(const std::wstring& text);

}  // namespace ov::standin

// Text rules of the FTP client: reply codes, the arguments of PWD, SIZE, PASV, EPSV and PORT
// replies and commands, and the decoding of listing bytes into lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

// The three-character code of a reply line longer than three characters whose fourth
// character is a space or "-"; empty for any other line.
std::string FtpReplyCode(std::string_view line);

// Removes every character with a code of 32 or less from both ends.
std::string TrimControl(std::string_view value);

// The program's text-to-integer rule with a 64-bit range.
std::optional<std::int64_t> TextToInt64(std::string_view text);

// The directory named in a PWD reply: the text between the first pair of double quotes
// (or the whole line when it has none), trimmed.
std::string DirectoryFromPwdReply(std::string_view line);

// The size named in a SIZE reply ("213 1048576"); -1 when it is not a number.
std::int64_t SizeFromReply(std::string_view line);

struct FtpHostPort {
  std::string IP;
  std::string Port;
};

// The address and port of a PASV reply: the six fields between parentheses, or after the
// last space when the parentheses are missing.
FtpHostPort ParsePasvReply(std::string_view line);

// The port of an EPSV reply "(|||port|)"; empty when the text before the closing delimiter
// does not end in digits.
std::string ParseEpsvPort(std::string_view line);

// The argument of PORT for an IPv4 address and a port: "h1,h2,h3,h4,p1,p2".
std::string PortArgument(std::string_view ip4, std::int32_t port);

// Listing bytes as UTF-8 lines: a UTF-8 or UTF-16 byte-order mark selects that encoding,
// otherwise the bytes are in the ANSI code page. Lines end at CR LF, LF or CR.
std::vector<std::string> ListingLines(std::string_view bytes);

}  // namespace ov

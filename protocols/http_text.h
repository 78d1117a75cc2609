// Small text helpers of the HTTP client: the request target taken from a URL, ASCII case
// folding and the number formats of an HTTP head (decimal lengths, hexadecimal chunk sizes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ov {

struct HttpTarget {
  std::string Prot, Host, Port, URI;
  std::string User;         // text; empty when the request carries no credentials
  std::string Credentials;  // the bytes "user:password" for a Basic authorization
};

// Splits `url` (surrounding characters up to code 32 removed). Credentials come from the URL's
// percent-decoded user part, or from `user_name`/`password` when the URL has none.
HttpTarget SplitRequestUrl(std::string_view url, const std::string& user_name,
                           const std::string& password);

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);

// A Content-Length value: decimal digits only (spaces around allowed), 64-bit range.
std::optional<std::int64_t> ParseDecimalLength(std::string_view text);
// A chunk size: hexadecimal digits only, at most 15 of them after leading zeros.
std::optional<std::int64_t> ParseChunkSize(std::string_view text);

}  // namespace ov

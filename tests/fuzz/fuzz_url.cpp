// URLs and the redirect and header fields of an HTTP answer: splitting a URL, resolving a
// Location against it, and the download driver's header readers, over any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "download/http_response_head.h"
#include "download/url_reference.h"
#include "net/text_utils.h"
#include "protocols/http_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // First line: the URL asked for; the rest: the Location or header lines of the answer.
  const std::size_t cut = input.find('\n');
  const std::string base = input.substr(0, cut);
  const std::string rest = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  ov::SplitUrl(base);
  ov::SplitRequestUrl(base, "user", "pass");
  ov::UrlAuthority(base);
  const std::string resolved = ov::ResolveUrlReference(base, rest);
  ov::SplitUrl(resolved);
  ov::UrlAuthority(resolved);
  ov::LastPathSegment(rest);

  std::vector<std::string> headers;
  std::string remaining = rest;
  while (!remaining.empty()) headers.push_back(ov::CutToken(remaining, "\n"));
  ov::HeaderValue(headers, "Location");
  ov::ProbedFileName(headers);
  ov::ParseContentRange(rest);
  ov::ParseDecimalLength(rest);
  ov::ParseChunkSize(rest);
  return 0;
}

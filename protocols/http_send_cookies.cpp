// Cookie keeping of THTTPSend: Set-Cookie lines of the last response update the jar by name.
#include <algorithm>
#include <string>

#include "net/text_utils.h"
#include "protocols/http_send.h"
#include "protocols/http_text.h"

namespace ov {

void THTTPSend::CollectCookies() {
  for (const std::string& line : FHeaders) {
    if (!StartsWith(LowerAscii(line), "set-cookie:")) continue;
    const std::string cookie = TrimSpaces(TextBefore(TextAfter(line, ":"), ";"));
    const std::string name = TrimSpaces(TextBefore(cookie, "="));
    const std::string value = TrimSpaces(TextAfter(cookie, "="));
    const std::string key = LowerAscii(name);
    auto same_name = [&key](const std::string& entry) {
      return LowerAscii(TextBefore(entry, "=")) == key;
    };
    auto found = std::find_if(FCookies.begin(), FCookies.end(), same_name);
    if (value.empty()) {
      if (found != FCookies.end()) FCookies.erase(found);
    } else if (found != FCookies.end()) {
      *found = name + "=" + value;
    } else {
      FCookies.push_back(name + "=" + value);
    }
  }
}

}  // namespace ov

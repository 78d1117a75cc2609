// IP address texts from untrusted places (PASV/EPSV replies, SOCKS answers, URLs): the checks and
// conversions must take any bytes. Printing and re-reading is not asked to round-trip: an address
// ending in a zero group prints with a trailing "::" (e.g. "8::"), which the readers refuse.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/ip_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (ov::IsIP4Text(text) && ov::IP4ToBytes(text).size() != 4) std::abort();
  ov::IsIP6Text(text);
  ov::ExpandIP6Text(text);
  const std::string printed = ov::IP6BytesToText(ov::IP6TextToBytes(text));
  ov::IP6TextToBytes(printed);
  return 0;
}

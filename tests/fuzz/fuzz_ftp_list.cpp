// Directory listings from an FTP server, from the fuzzer, decoded into lines and parsed by
// TFTPList with its standard masks (LIST) or as a machine listing (MLSD, first byte odd).
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocols/ftp_list.h"
#include "protocols/ftp_send_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool machine = (data[0] & 1) != 0;
  ov::TFTPList list;
  list.CurrentTime = [] { return 46000.5; };  // a fixed "now" keeps runs reproducible
  list.Lines() = ov::ListingLines(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  if (machine) {
    list.ParseMLSDLines();
  } else {
    list.ParseLines();
  }
  for (std::size_t i = 0; i < list.Count(); ++i) list.Items(i);
  return 0;
}

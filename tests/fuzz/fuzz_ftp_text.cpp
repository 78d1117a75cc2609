// The FTP client's reply texts (reply codes, PWD, SIZE, PASV, EPSV) and listing decoding over
// any bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocols/ftp_send_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  ov::FtpReplyCode(line);
  ov::TrimControl(line);
  ov::TextToInt64(line);
  ov::DirectoryFromPwdReply(line);
  ov::SizeFromReply(line);
  ov::ParsePasvReply(line);
  ov::ParseEpsvPort(line);
  ov::ListingLines(line);
  return 0;
}

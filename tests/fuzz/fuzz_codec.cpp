// The escape decoders and Base64 encoders over any bytes: no overrun, and the sizes they promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char delim = static_cast<char>(data[0]);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // Decoding never makes a text longer.
  if (ov::DecodeEscapes(text, delim).size() > text.size()) std::abort();
  if (ov::DecodePercentEscapes(text).size() > text.size()) std::abort();
  if (ov::ToBase64(text).size() != (text.size() + 2) / 3 * 4) std::abort();
  // The input's tail as a (possibly short) encoding table.
  const std::string table = text.substr(text.size() / 2);
  ov::EncodeWithTable(text.substr(0, text.size() / 2), table);
  for (int i = -1; i <= static_cast<int>(text.size()) + 1; ++i) ov::UnpackWordBE(text, i);
  return 0;
}

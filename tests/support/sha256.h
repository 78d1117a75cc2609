// SHA-256 (FIPS 180-4) for checking large test downloads byte for byte without keeping them.
// Feed bytes with Update in any pieces; HexDigest gives the lower-case digest of all of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ov::testing {

class Sha256 {
 public:
  Sha256() { Reset(); }
  void Reset();
  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // Digest of everything fed since the last Reset; the state is left unusable until Reset.
  std::string HexDigest();

 private:
  void Compress(const unsigned char* block);

  std::array<std::uint32_t, 8> state_{};
  std::array<unsigned char, 64> block_{};
  std::size_t block_used_ = 0;
  std::uint64_t total_ = 0;
};

// Digest of a whole byte string.
std::string Sha256Hex(std::string_view bytes);
// Digest of a file's content; empty when it cannot be read.
std::string Sha256OfFile(const std::string& path);

}  // namespace ov::testing

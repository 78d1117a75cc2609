// The progress line ovfetch keeps on standard error: bytes, KiB/s and remaining time, redrawn
// a few times a second from the download component's events.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace ov::fetch {

class ProgressLine {
 public:
  void Total(std::int64_t bytes) { total_ = bytes; }
  void Update(std::int64_t done, double kib_per_second, std::uint16_t seconds_left);
  // Draws the last state (when anything was drawn) and ends the line.
  void Finish();
  // The text of one state, e.g. "  1048576 / 2097152 bytes  50%  1024.0 KiB/s  00:00:01 left".
  static std::string Format(std::int64_t done, std::int64_t total, double kib_per_second,
                            std::uint16_t seconds_left);

 private:
  void Draw();

  std::int64_t total_ = 0;
  std::int64_t done_ = 0;
  double speed_ = 0;
  std::uint16_t left_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace ov::fetch

#include "tools/ovfetch/ovfetch_progress.h"

#include <cstdio>

namespace ov::fetch {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

}  // namespace

std::string ProgressLine::Format(std::int64_t done, std::int64_t total, double kib_per_second,
                                 std::uint16_t seconds_left) {
  char text[160];
  if (total <= 0) {  // the reply's size is not known (yet)
    std::snprintf(text, sizeof text, "%12lld bytes  %.1f KiB/s", static_cast<long long>(done),
                  kib_per_second);
    return text;
  }
  const int percent = static_cast<int>(done * 100 / total);
  std::snprintf(text, sizeof text, "%12lld / %lld bytes %3d%%  %.1f KiB/s  %02u:%02u:%02u left",
                static_cast<long long>(done), static_cast<long long>(total), percent,
                kib_per_second, seconds_left / 3600u, seconds_left / 60u % 60u,
                seconds_left % 60u);
  return text;
}

void ProgressLine::Update(std::int64_t done, double kib_per_second, std::uint16_t seconds_left) {
  done_ = done;
  speed_ = kib_per_second;
  left_ = seconds_left;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_ < kRedrawInterval) return;
  last_ = now;
  Draw();
}

void ProgressLine::Draw() {
  drawn_ = true;
  std::fprintf(stderr, "\r%s", Format(done_, total_, speed_, left_).c_str());
  std::fflush(stderr);
}

void ProgressLine::Finish() {
  if (!drawn_) return;
  Draw();
  std::fputc('\n', stderr);
}

}  // namespace ov::fetch

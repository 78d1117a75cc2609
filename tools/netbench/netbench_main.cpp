// netbench [MiB [runs]]: fetches MiB mebibytes from a loopback server through THTTPSend into a
// discarding stream and into a file, then with curl the same way; prints the median wall time,
// MB/s and the client's CPU time of each.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "net/stream.h"
#include "protocols/http_send.h"
#include "tools/netbench/netbench_server.h"

namespace {

// Accepts and forgets everything written to it.
class DiscardStream : public ov::Stream {
 public:
  std::int64_t Size() const override { return size_; }
  std::int64_t Position() const override { return position_; }
  void Seek(std::int64_t position) override { position_ = position; }
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void*, std::size_t count) override {
    position_ += static_cast<std::int64_t>(count);
    size_ = std::max(size_, position_);
    return count;
  }
  void SetSize(std::int64_t size) override { size_ = size; }

 private:
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Sample {
  double wall = 0;
  double cpu = 0;
};

// Runs `fetch` `runs` times; `cpu` reads the CPU clock that belongs to the fetcher.
Sample Median(int runs, const std::function<bool()>& fetch, double (*cpu)()) {
  std::vector<Sample> samples;
  for (int i = 0; i < runs; ++i) {
    const double cpu0 = cpu();
    const auto t0 = std::chrono::steady_clock::now();
    if (!fetch()) std::fprintf(stderr, "fetch failed\n");
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - t0;
    samples.push_back({wall.count(), cpu() - cpu0});
  }
  std::sort(samples.begin(), samples.end(),
            [](const Sample& a, const Sample& b) { return a.wall < b.wall; });
  return samples[samples.size() / 2];
}

void Print(const char* name, std::int64_t bytes, const Sample& s) {
  std::printf("%-22s %7.3f s %8.1f MB/s  cpu %6.3f s\n", name, s.wall,
              static_cast<double>(bytes) / 1e6 / s.wall, s.cpu);
  std::fflush(stdout);
}

bool FetchHttp(const std::string& url, ov::Stream& out, std::int64_t bytes) {
  ov::THTTPSend http;
  http.OutputStream = &out;
  return http.HTTPMethod("GET", url) && http.ResultCode() == 200 && out.Size() == bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 256;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::int64_t bytes = mib << 20;
  const std::string file = "/tmp/netbench_" + std::to_string(::getpid()) + ".bin";
  ov::netbench::BodyServer server;
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/" +
                          std::to_string(bytes);
  std::printf("%lld MiB, median of %d runs\n", static_cast<long long>(mib), runs);

  Print("THTTPSend -> discard", bytes, Median(runs, [&] {
          DiscardStream out;
          return FetchHttp(url, out, bytes);
        }, ThreadCpuSeconds));
  Print("THTTPSend -> file", bytes, Median(runs, [&] {
          auto out = ov::FileStream::Open(file, ov::FileStream::Mode::Create, nullptr);
          return out && FetchHttp(url, *out, bytes);
        }, ThreadCpuSeconds));
  const std::string curl = "curl -s -o ";
  Print("curl -> /dev/null", bytes, Median(runs, [&] {
          return std::system((curl + "/dev/null " + url).c_str()) == 0;
        }, ChildrenCpuSeconds));
  Print("curl -> file", bytes, Median(runs, [&] {
          return std::system((curl + file + " " + url).c_str()) == 0;
        }, ChildrenCpuSeconds));
  std::remove(file.c_str());
  return 0;
}

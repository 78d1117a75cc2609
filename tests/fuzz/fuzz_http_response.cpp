// An HTTP server's answer, from the fuzzer, read by THTTPSend over a loopback connection: status
// line, header lines with folding, sized, chunked (with trailers) and read-to-close bodies. The
// first byte picks the protocol version, the method and a range request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/loopback_feeder.h"
#include "protocols/http_send.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);
  ov::fuzzing::LoopbackFeeder& feeder = ov::fuzzing::SharedFeeder();
  feeder.Serve(answer);
  {
    ov::THTTPSend http;
    http.Timeout = 1000;
    http.Protocol = (choice & 1) ? "1.1" : "1.0";
    if (choice & 4) http.RangeStart = 10;
    http.HTTPMethod((choice & 2) ? "HEAD" : "GET", "http://127.0.0.1:" + feeder.PortText() + "/f");
    // The body is made of bytes the server sent: never larger than all of them, give or take
    // the line end written after a first line that was not a status line.
    if (http.Document().Size() > static_cast<std::int64_t>(answer.size()) + 2) std::abort();
  }
  feeder.Finish();
  return 0;
}

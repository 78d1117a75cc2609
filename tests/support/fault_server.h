// A loopback HTTP/1.1 server for download fault tests. It serves one file (at any path) with
// ranges, and can spoil each answer with a chosen fault: close or reset the connection after
// file byte N, stall after byte N, announce a wrong Content-Length, answer a Range request with
// a 200 and the whole file, send a 206 whose Content-Range is wrong, send garbage in place of a
// status line, or send a header line that never ends. One connection is served at a time, on a
// thread of its own; destroying the server ends any stall or endless line at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace ov::testing {

enum class HttpFault {
  None,               // a correct answer: 200, or 206 for a satisfiable range, 416 beyond the end
  CloseAfter,         // the correct answer, closed after file byte N (exclusive offset)
  ResetAfter,         // the same, with a reset instead of an orderly close
  StallAfter,         // the same, then nothing more until the server is destroyed
  LongerLength,       // Content-Length N bytes larger than the body, then an orderly close
  WholeForRange,      // 200 with the whole file, whatever range was asked for
  WrongContentRange,  // 206 whose Content-Range starts N bytes after the range asked for
  GarbageStatus,      // bytes that are no status line, then an orderly close
  EndlessHeader,      // a status line, then one header line that never ends
};

const char* HttpFaultName(HttpFault fault);

class FaultServer {
 public:
  explicit FaultServer(std::string content);
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  // The file served to the connections accepted from now on.
  void SetContent(std::string content);
  // The fault of the connections accepted from now on, and its byte count N.
  void SetFault(HttpFault fault, std::int64_t n = 0);
  std::string Url(const std::string& path) const;  // "http://127.0.0.1:<port>" + path
  int Connections() const { return connections_; }
  // Bytes of the last request head received (for checking the Range the client sent).
  std::string LastRequest() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  std::atomic<int> connections_{0};
};

}  // namespace ov::testing

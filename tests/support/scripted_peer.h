// Scripted loopback peers for tests that must stage exact bytes or faults.
//
// ScriptedPeer listens on 127.0.0.1 or ::1 on a free port and, on a thread of its own, plays a
// fixed script against the TCP connections it accepts (or the UDP datagrams it gets), recording
// every byte received. It talks through the platform's plain socket calls, never through the
// project's socket layer. Build the script, Start(), run the client, then WaitDone() and look at
// Received()/Failures(). Every receive step gives up after its own limit, and destroying the
// peer interrupts any step, so a test can never hang on it.
//
// UnansweredListener is a listening socket whose accept queue is full: connection attempts to
// it get no answer, which lets a test stage a connect timeout on loopback.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ov::testing {

class ScriptedPeer {
 public:
  enum class Protocol { Tcp, Udp };

  // Binds `host` (a loopback literal) on a free port; listens at once for TCP.
  explicit ScriptedPeer(Protocol protocol = Protocol::Tcp, std::string host = "127.0.0.1");
  ~ScriptedPeer();  // interrupts the script, closes every socket, joins the thread
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  const std::string& Host() const { return host_; }
  int Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }

  // Script steps, played in order. TCP steps that need a connection accept one first when
  // none is open (the first one, or the next one after Close/Reset).
  ScriptedPeer& Accept();                 // waits for the next connection
  ScriptedPeer& Send(std::string bytes);  // TCP: on the connection; UDP: one datagram back
                                          // to the last sender
  ScriptedPeer& SendRepeatedly(std::string chunk, int times, int interval_ms);
  ScriptedPeer& Expect(std::string bytes);   // TCP: exactly that many bytes, compared;
                                             // UDP: one datagram, compared
  ScriptedPeer& Receive(std::size_t count);  // TCP: exactly `count` bytes; UDP: one datagram
  ScriptedPeer& ReceiveUntil(std::string terminator);  // TCP: up to and including `terminator`
                                                      // (e.g. "\r\n" or "\r\n\r\n")
  ScriptedPeer& ReceiveUntilClose();         // TCP: everything until the client closes
  ScriptedPeer& Wait(int ms);
  ScriptedPeer& Close();  // graceful close of the connection
  ScriptedPeer& Reset();  // abortive close (linger 0): the client sees a reset
  ScriptedPeer& Stall();  // keeps the connection open, reading nothing,
                          // until the peer is destroyed
  // Limit of each later receive or accept step (default 10 s).
  ScriptedPeer& StepLimit(int ms);

  void Start();
  // Waits until the script has run to its end; false when it is still running after `ms`.
  bool WaitDone(int ms = 10000);

  std::string Received() const;                // TCP bytes received so far, in order
  std::vector<std::string> Datagrams() const;  // UDP datagrams received, in order
  std::vector<std::string> Failures() const;   // unmet expectations and socket errors
  int Connections() const;                     // connections accepted so far

  struct Impl;

 private:
  std::string host_;
  int port_ = 0;
  std::unique_ptr<Impl> impl_;
};

class UnansweredListener {
 public:
  explicit UnansweredListener(std::string host = "127.0.0.1");
  ~UnansweredListener();
  UnansweredListener(const UnansweredListener&) = delete;
  UnansweredListener& operator=(const UnansweredListener&) = delete;

  const std::string& Host() const { return host_; }
  int Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }
  // False when the platform answered every filler, so the queue could not be filled.
  bool Full() const { return full_; }

  struct Impl;

 private:
  std::string host_;
  int port_ = 0;
  bool full_ = false;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ov::testing

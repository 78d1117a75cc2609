// An FTP server's control connection, from the fuzzer, read by TFTPSend over loopback: replies
// (single and multi-line) one after another, each PASV/EPSV-parsed as the client would.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/loopback_feeder.h"
#include "protocols/ftp_send.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ov::fuzzing::LoopbackFeeder& feeder = ov::fuzzing::SharedFeeder();
  feeder.Serve(std::string(reinterpret_cast<const char*>(data), size));
  {
    ov::TFTPSend ftp;
    ftp.Timeout = 1000;
    ftp.Sock().Connect("127.0.0.1", feeder.PortText());
    // A bounded number of replies: each one consumes at least a line or ends on the close.
    for (int i = 0; i < 64 && ftp.Sock().LastError() == 0; ++i) {
      ftp.ReadResult();
      if (ftp.FullResult().empty()) break;
      ftp.ParseRemote(ftp.ResultString());
      ftp.ParseRemoteEPSV(ftp.ResultString());
    }
    ftp.Sock().CloseSocket();
  }
  feeder.Finish();
  return 0;
}

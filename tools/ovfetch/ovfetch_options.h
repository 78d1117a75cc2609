// Command line of ovfetch:
//   ovfetch [--ftp HOST:PORT --user U --pass P] URL DEST-FOLDER [NAME]
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ov::fetch {

struct Options {
  std::string url;
  std::string folder;
  std::string name;      // empty: taken from the URL (or the server) by the component
  std::string ftp_host;  // FTP server; from the URL when --ftp is not given
  std::string ftp_port;
  std::string user;
  std::string pass;
  bool quiet = false;    // no progress line
};

// nullopt with the reason in `error` when the arguments do not fit.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);
const char* Usage();

}  // namespace ov::fetch

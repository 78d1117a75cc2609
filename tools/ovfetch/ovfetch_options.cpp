#include "tools/ovfetch/ovfetch_options.h"

#include "net/text_utils.h"

namespace ov::fetch {

const char* Usage() {
  return "usage: ovfetch [--quiet] [--ftp HOST:PORT --user U --pass P] URL DEST-FOLDER [NAME]\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_value = arg == "--ftp" || arg == "--user" || arg == "--pass";
    if (takes_value && i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    if (arg == "--ftp") {
      const std::string value = args[++i];
      const std::size_t colon = value.rfind(':');
      options.ftp_host = colon == std::string::npos ? value : value.substr(0, colon);
      options.ftp_port = colon == std::string::npos ? "21" : value.substr(colon + 1);
      if (options.ftp_host.size() > 1 && options.ftp_host.front() == '[') {
        options.ftp_host = options.ftp_host.substr(1, options.ftp_host.size() - 2);
      }
    } else if (arg == "--user") {
      options.user = args[++i];
    } else if (arg == "--pass") {
      options.pass = args[++i];
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() < 2 || positional.size() > 3) {
    error = "expected URL, DEST-FOLDER and an optional NAME";
    return std::nullopt;
  }
  options.url = positional[0];
  options.folder = positional[1];
  if (positional.size() == 3) options.name = positional[2];
  if (options.ftp_host.empty()) {
    const UrlParts parts = SplitUrl(options.url);
    options.ftp_host = parts.Host;
    options.ftp_port = parts.Port;
    if (options.user.empty()) options.user = parts.User.empty() ? "anonymous" : parts.User;
    if (options.pass.empty()) options.pass = parts.Pass.empty() ? "ovfetch@" : parts.Pass;
  }
  return options;
}

}  // namespace ov::fetch

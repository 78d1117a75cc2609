#include "support/fake_downloader.h"

namespace ov::test {

std::string FakeDownloader::Download(const std::string& url, const std::string& folder,
                                     const std::string& name) {
  Requests.push_back({url, folder, name});
  paused_ = false;
  if (!RaisedError.empty()) return RaisedError;
  const std::string part = folder + name + ".part";
  const auto body = Served.find(url);
  const std::string bytes = body == Served.end() ? std::string("partial") : body->second;
  files_.Put(part, bytes.substr(0, bytes.size() / 2));
  if (DuringTransfer) DuringTransfer();
  if (paused_ || body == Served.end()) return {};  // the ".part" stays for a later resume
  files_.Files.erase(part);
  files_.Put(folder + name, bytes);
  return {};
}

}  // namespace ov::test

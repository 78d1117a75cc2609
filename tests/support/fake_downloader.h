#pragma once
// A download component stand-in over the in-memory file system: known addresses arrive whole,
// unknown ones leave only a ".part" file, as a failed transfer does.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "installer/file_downloader.h"
#include "support/fake_platform.h"

namespace ov::test {

class FakeDownloader : public FileDownloader {
 public:
  explicit FakeDownloader(FakeFileSystem& files) : files_(files) {}
  std::string Download(const std::string& url, const std::string& folder,
                       const std::string& name) override;
  void Pause() override { paused_ = true; }

  std::map<std::string, std::string> Served;  // url -> body
  std::string RaisedError;                    // returned as the component's error when set
  std::function<void()> DuringTransfer;       // runs in the middle of each transfer
  struct Request {
    std::string Url, Folder, Name;
  };
  std::vector<Request> Requests;

 private:
  FakeFileSystem& files_;
  bool paused_ = false;
};

}  // namespace ov::test

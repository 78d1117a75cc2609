#pragma once
// What the installation sequence needs from the download component.

#include <string>

namespace ov {

class FileDownloader {
 public:
  virtual ~FileDownloader() = default;
  // Downloads `url` by HTTP, directly (no proxy), into folder + name, and returns when the
  // transfer has ended. While incomplete the data lies in folder + name + ".part"; the final
  // name appears only when the whole file arrived, and a later call resumes a ".part".
  // Returns an empty text, or the message of an error the component raised (settings or file
  // system); network failures raise nothing and only leave the ".part".
  virtual std::string Download(const std::string& url, const std::string& folder,
                               const std::string& name) = 0;
  // Pauses the running download (callable from the component's own events, i.e. from inside
  // Download); its ".part" stays for a later resume. Does nothing when no download runs.
  virtual void Pause() = 0;
};

}  // namespace ov

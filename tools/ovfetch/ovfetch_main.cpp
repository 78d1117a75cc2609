// ovfetch: one download through the download component, with a progress line on standard
// error. Exit status 0 only when the final file exists.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "download/downloader.h"
#include "download/part_file_ops.h"
#include "net/ansi.h"
#include "net/socket_interface.h"
#include "tools/ovfetch/ovfetch_options.h"
#include "tools/ovfetch/ovfetch_progress.h"

namespace {

using ov::fetch::Options;
using ov::fetch::ProgressLine;

// Size of the file at a UTF-8 path; 0 when it cannot be read.
std::uintmax_t FileSize(const std::string& utf8_path) {
  const std::filesystem::path path(std::u8string(utf8_path.begin(), utf8_path.end()));
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

std::string ArgumentText(const char* arg) {
#ifdef _WIN32
  return ov::AnsiToUtf8(arg);  // the C runtime hands arguments over in the ANSI code page
#else
  return arg;
#endif
}

bool IsFtpUrl(const std::string& url) {
  std::string scheme = url.substr(0, 6);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return scheme == "ftp://";
}

void Configure(ov::TDownloader& downloader, const Options& options, ProgressLine& progress) {
  downloader.SetProtocolo(IsFtpUrl(options.url) ? ov::protFTP : ov::protHTTP);
  downloader.SetDownloadDest(options.folder);
  downloader.SetDownloadUrl(options.url);
  downloader.SetDownloadNomeArq(options.name);
  ov::TDownloaderFTP ftp;
  ftp.FtpHost = options.ftp_host;
  ftp.FtpPort = options.ftp_port;
  ftp.FtpUser = options.user;
  ftp.FtpPass = options.pass;
  downloader.SetFTP(ftp);
  if (options.quiet) return;
  // The events carry 32-bit counts; the engine's own counters are read for large files.
  downloader.SetOnHookStatus([&downloader, &progress](ov::TBlockSocket&, ov::THookSocketReason reason,
                                                      std::int32_t, std::int32_t) {
    if (reason == ov::HR_ReadCount) progress.Total(downloader.Engine().BytesToDownload());
  });
  downloader.SetOnHookMonitor([&downloader, &progress](ov::TBlockSocket&, std::int32_t, std::int32_t,
                                                       double speed, std::uint16_t, std::uint16_t,
                                                       std::uint16_t sec) {
    progress.Update(downloader.Engine().BytesDownloaded(), speed, sec);
  });
}

int Fetch(const Options& options) {
  ov::SocketInterfaceGuard sockets;
  ov::TDownloader downloader;
  ProgressLine progress;
  Configure(downloader, options, progress);
  try {
    downloader.StartDownload();
  } catch (const std::exception& error) {
    progress.Finish();
    std::fprintf(stderr, "ovfetch: %s\n", error.what());
    return 1;
  }
  progress.Finish();
  std::string part = downloader.Engine().FilePart();
  const std::string final_name =
      part.size() > 5 && part.ends_with(".part") ? part.substr(0, part.size() - 5) : part;
  if (!final_name.empty() && ov::PathExists(final_name) && !ov::PathExists(part)) {
    if (!options.quiet) std::fprintf(stderr, "ovfetch: saved %s\n", final_name.c_str());
    return 0;
  }
  std::string kept;
  if (ov::PathExists(part)) {
    const std::uintmax_t size = FileSize(part);
    kept = size > 0 ? "; " + std::to_string(size) + " bytes kept in " + part + " for a resume"
                    : "; nothing received (" + part + " is empty)";
  }
  std::fprintf(stderr, "ovfetch: download of %s failed (reply %d)%s\n", options.url.c_str(),
               downloader.Engine().ResultCode(), kept.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ArgumentText(argv[i]));
  std::string error;
  const auto options = ov::fetch::ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "ovfetch: %s\n%s", error.c_str(), ov::fetch::Usage());
    return 2;
  }
  try {
    return Fetch(*options);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "ovfetch: %s\n", failure.what());
    return 1;
  }
}

// ftplist: reads FTP listing lines on standard input and prints how they are understood, one
// record per line: name, D/F, readable 1/0, size, time, permission, mask (tab-separated).
// Lines that nothing understands go to standard error, prefixed by "?".
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "protocols/ftp_list.h"
#include "protocols/ftp_list_datetime.h"
#include "tools/ftplist/ftplist_input.h"

namespace {

constexpr const char* kUsage =
    "Usage: ftplist [--mlsd] [--utf8] [--now \"YYYY-MM-DD hh:mm:ss\"] < listing.txt\n"
    "\n"
    "Reads the lines of an FTP directory listing on standard input and prints how the\n"
    "installer's listing parser reads them, one entry per line, fields separated by tabs:\n"
    "  name, D (directory) or F (file), readable 1/0, size in bytes,\n"
    "  time as YYYY-MM-DD hh:mm:ss, permission, and the mask that matched (EPLF for EPLF\n"
    "  lines, empty for machine listings).\n"
    "Lines that are not understood go to standard error, each prefixed by \"?\".\n"
    "\n"
    "Options:\n"
    "  --mlsd   the input is a machine listing (the answer to MLSD), not LIST\n"
    "  --utf8   the input is UTF-8 text; otherwise it is read like the FTP client reads it,\n"
    "           in the ANSI code page unless it starts with a UTF-8 byte-order mark\n"
    "  --now T  take T as the current local time (recent Unix entries show a time and\n"
    "           no year; their year is the latest one that does not lie after now)\n"
    "  --help   show this text\n";

struct Options {
  bool mlsd = false;
  bool utf8 = false;
  bool help = false;
  std::string now;
};

bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--mlsd") {
      options.mlsd = true;
    } else if (arg == "--utf8") {
      options.utf8 = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--now" && i + 1 < argc) {
      options.now = argv[++i];
    } else {
      error = "unknown or incomplete argument: " + std::string(arg);
      return false;
    }
  }
  return true;
}

void PrintRecord(const ov::TFTPListRec& rec) {
  std::cout << rec.FileName << '\t' << (rec.Directory ? 'D' : 'F') << '\t'
            << (rec.Readable ? '1' : '0') << '\t' << rec.FileSize << '\t'
            << ov::FormatListDateTime(rec.FileTime) << '\t' << rec.Permission << '\t' << rec.Mask
            << '\n';
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);  // listing bytes as they are, Ctrl-Z included
#endif
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    std::cerr << "ftplist: " << error << "\n\n" << kUsage;
    return 2;
  }
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
  ov::TFTPList list;
  if (!options.now.empty()) {
    const std::optional<double> now = ov::ParseListDateTime(options.now);
    if (!now) {
      std::cerr << "ftplist: --now needs a valid \"YYYY-MM-DD hh:mm:ss\"\n";
      return 2;
    }
    list.CurrentTime = [value = *now] { return value; };
  }
  list.Lines() = ov::ListingLinesFromBytes(ov::ReadAllBytes(std::cin), options.utf8);
  if (options.mlsd) {
    list.ParseMLSDLines();
  } else {
    list.ParseLines();
  }
  for (std::size_t i = 0; i < list.Count(); ++i) PrintRecord(*list.Items(i));
  for (const std::string& line : list.UnparsedLines()) std::cerr << '?' << line << '\n';
  return std::cout.flush() ? 0 : 1;
}

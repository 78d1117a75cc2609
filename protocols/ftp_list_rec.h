// One entry of a directory listing. A new record has empty texts, false flags, size 0 and
// time 0; FileTime is a listing date-time (see ftp_list_datetime.h), the server's local time.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

class TFTPListRec {
 public:
  virtual ~TFTPListRec() = default;

  // Copies everything except Permission.
  virtual void Assign(const TFTPListRec& Value);

  std::string FileName;
  bool Directory = false;
  bool Readable = false;
  std::int64_t FileSize = 0;
  double FileTime = 0.0;
  std::string OriginalLine;
  std::string Mask;  // the mask that matched, "EPLF", or empty for machine listings
  std::string Permission;
};

}  // namespace ov

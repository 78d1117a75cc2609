#include "protocols/ftp_list_rec.h"

namespace ov {

void TFTPListRec::Assign(const TFTPListRec& Value) {
  FileName = Value.FileName;
  Directory = Value.Directory;
  Readable = Value.Readable;
  FileSize = Value.FileSize;
  FileTime = Value.FileTime;
  OriginalLine = Value.OriginalLine;
  Mask = Value.Mask;
}

}  // namespace ov

// The download component's status as the window reads it; numbered as the component numbers
// its own status, so a value converts with a plain cast.
#pragma once

namespace ov {

enum class DownloaderState {
  stNone = 0,
  stStop = 1,
  stDownload = 2,
  stPause = 3,
  stResume = 4,
  stRedirect = 5
};

}  // namespace ov

// What the installer window shows from the program's resources: the two licence texts, the
// logo, the chat symbol and the icon.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/gdi_handles.h"

namespace ov::win32 {

struct WindowContent {
  std::wstring FreeLicence;  // CR LF line ends
  std::wstring DemoLicence;
  GdiBitmap Logo;        // 388 x 156
  GdiBitmap Chat;        // 16 x 16, 24 bits per pixel
  HICON Icon = nullptr;  // shared resource icon, not destroyed
};

// Loads the content from `module`'s resources; missing pieces stay empty.
WindowContent LoadWindowContent(HINSTANCE module);

}  // namespace ov::win32

// Owning wrappers for the GDI objects the window creates.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace ov::win32 {

struct GdiObjectDeleter {
  void operator()(void* object) const {
    if (object) DeleteObject(static_cast<HGDIOBJ>(object));
  }
};
using GdiFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using GdiBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using GdiBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;

}  // namespace ov::win32

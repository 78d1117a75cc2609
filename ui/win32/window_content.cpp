#include "ui/win32/window_content.h"

#include <string_view>

#include "net/unicode.h"
#include "ui/licence_text.h"
#include "ui/win32/resource_ids.h"

namespace ov::win32 {
namespace {

std::wstring LoadLicence(HINSTANCE module, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  const std::string_view utf8(static_cast<const char*>(data), SizeofResource(module, found));
  return Widen(LinesForTextBox(utf8));
}

GdiBitmap LoadBitmapResource(HINSTANCE module, int id) {
  return GdiBitmap(static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

}  // namespace

WindowContent LoadWindowContent(HINSTANCE module) {
  WindowContent content;
  content.FreeLicence = LoadLicence(module, OV_IDR_LICENCE_FREE);
  content.DemoLicence = LoadLicence(module, OV_IDR_LICENCE_DEMO);
  content.Logo = LoadBitmapResource(module, OV_IDB_LOGO);
  content.Chat = LoadBitmapResource(module, OV_IDB_CHAT);
  content.Icon = LoadIconW(module, MAKEINTRESOURCEW(OV_IDI_APPLICATION));
  return content;
}

}  // namespace ov::win32

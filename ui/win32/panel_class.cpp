#include "ui/win32/panel_class.h"

namespace ov::win32 {
namespace {

constexpr wchar_t kFontProperty[] = L"OvPanelFont";

void FillBackground(HWND hwnd, HDC dc) {
  RECT rect;
  GetClientRect(hwnd, &rect);
  auto brush = reinterpret_cast<HBRUSH>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  FillRect(dc, &rect, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// A panel with a caption shows it as a group frame: an etched line around the panel, broken
// by the caption at the top left.
void PaintGroupFrame(HWND hwnd, HDC dc) {
  wchar_t text[256];
  const int length = GetWindowTextW(hwnd, text, 256);
  if (length <= 0) return;
  HGDIOBJ old_font = SelectObject(dc, static_cast<HGDIOBJ>(GetPropW(hwnd, kFontProperty)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, length, &extent);
  RECT frame;
  GetClientRect(hwnd, &frame);
  frame.top += extent.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  const int left = MulDiv(8, extent.cy, 13);
  RECT caption{left, 0, left + extent.cx, extent.cy};
  auto brush = reinterpret_cast<HBRUSH>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  FillRect(dc, &caption, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  TextOutW(dc, left, 0, text, length);
  SelectObject(dc, old_font);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      FillBackground(hwnd, reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_PRINTCLIENT:  // themed controls paint their parent's background through this
      FillBackground(hwnd, reinterpret_cast<HDC>(wparam));
      PaintGroupFrame(hwnd, reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      PaintGroupFrame(hwnd, dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_SETFONT:
      SetPropW(hwnd, kFontProperty, reinterpret_cast<HANDLE>(wparam));
      if (LOWORD(lparam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(GetPropW(hwnd, kFontProperty));
    case WM_NCDESTROY:
      RemovePropW(hwnd, kFontProperty);
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wparam, lparam);
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace

bool RegisterPanelClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, kPanelClassName, &existing)) return true;
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = PanelProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  cls.lpszClassName = kPanelClassName;
  return RegisterClassExW(&cls) != 0;
}

void SetPanelBrush(HWND panel, HBRUSH brush) {
  SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(brush));
  InvalidateRect(panel, nullptr, TRUE);
}

}  // namespace ov::win32

#include "ui/win32/principal_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>

#include "net/unicode.h"
#include "ov/build_config.h"
#include "ui/win32/panel_class.h"

namespace ov::win32 {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr UINT kWmDpiChanged = 0x02E0;

RECT Box(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

// Per-monitor DPI functions exist from Windows 10 on; older systems use the screen's DPI.
UINT WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi && hwnd) {
    const UINT dpi = get_dpi(hwnd);
    if (dpi) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi) {
  using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = reinterpret_cast<AdjustFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjust) {
    adjust(&rect, style, FALSE, ex_style, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
}

GdiFont MakeFont(int pixel_height, bool bold, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(pixel_height, static_cast<int>(dpi), 96);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
  return GdiFont(CreateFontIndirectW(&font));
}

std::wstring CrLf(const std::string& utf8) {
  std::wstring text;
  for (wchar_t c : Widen(utf8)) {
    if (c == L'\n' && (text.empty() || text.back() != L'\r')) text += L'\r';
    text += c;
  }
  return text;
}

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

}  // namespace

int ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }

NumberSeparators ReadLocaleSeparators() {
  NumberSeparators separators;
  wchar_t buffer[16];
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 16) > 0)
    separators.thousands = Narrow(buffer);
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 16) > 0)
    separators.decimal = Narrow(buffer);
  return separators;
}

PrincipalWindow::PrincipalWindow(WindowContent content)
    : content_(std::move(content)), white_(CreateSolidBrush(kWhite)) {}

PrincipalWindow::~PrincipalWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

std::unique_ptr<PrincipalWindow> PrincipalWindow::Create(HINSTANCE instance,
                                                         WindowContent content) {
  INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX),
                              ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  if (!RegisterPanelClass(instance)) throw std::runtime_error("cannot register the panel class");
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kWindowClassName, &existing)) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hIcon = content.Icon;
    cls.hIconSm = content.Icon;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = kWindowClassName;
    if (!RegisterClassExW(&cls)) throw std::runtime_error("cannot register the window class");
  }
  std::unique_ptr<PrincipalWindow> window(new PrincipalWindow(std::move(content)));
  HWND hwnd = CreateWindowExW(kMainExStyle, kWindowClassName, L"Instalador", kMainStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr,
                              nullptr, instance, window.get());
  if (!hwnd) throw std::runtime_error("cannot create the installer window");
  window->CreateControls();
  window->ApplyDpi(WindowDpi(hwnd));
  window->PlaceWindow(window->dpi_);
  return window;
}

HWND PrincipalWindow::Add(Control control, HWND parent, const wchar_t* cls,
                          const std::wstring& text, DWORD style, RECT design, DWORD ex_style) {
  HWND child = CreateWindowExW(ex_style, cls, text.c_str(), style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                               GetModuleHandleW(nullptr), nullptr);
  if (!child) throw std::runtime_error("cannot create a control of the installer window");
  controls_[Index(control)] = child;
  control_of_[child] = control;
  placements_.push_back({child, design});
  return child;
}

HWND PrincipalWindow::AddChild(int id, HWND parent, const wchar_t* cls, const std::wstring& text,
                               DWORD style, RECT design) {
  HWND child = CreateWindowExW(0, cls, text.c_str(), style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  if (!child) throw std::runtime_error("cannot create a control of the installer window");
  placements_.push_back({child, design});
  return child;
}

void PrincipalWindow::CreateControls() {
  const DWORD button = kChild | WS_TABSTOP | BS_PUSHBUTTON;
  const DWORD memo =
      kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
  const DWORD text = kChild | SS_LEFTNOWORDWRAP;
  const DWORD label = text | SS_NOTIFY;

  Add(Control::BtnCancelar, hwnd_, L"BUTTON", L"Cancelar", button, Box(374, 358, 75, 25));
  Add(Control::BtnInstalar, hwnd_, L"BUTTON", L"Instalar", button, Box(293, 358, 75, 25));
  HWND status = Add(Control::StatusBar, hwnd_, STATUSCLASSNAMEW, L"", kChild, Box(0, 413, 455, 19));
  int part = -1;
  SendMessageW(status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&part));

  HWND top = Add(Control::PPasso1, hwnd_, kPanelClassName, L"",
                 kChild | WS_BORDER | WS_CLIPCHILDREN, Box(3, 3, 449, 341), WS_EX_CONTROLPARENT);
  SetPanelBrush(top, white_.get());
  HWND free_box = Add(Control::MMLicencaUsoGratuito, top, L"EDIT", content_.FreeLicence, memo,
                      Box(12, 92, 429, 192));
  // The acceptance group: a panel that draws its own etched frame and caption.
  HWND group =
      Add(Control::RGAceite, top, kPanelClassName, L" Aceitar licen\u00E7a de uso do sistema? ",
          kChild | WS_CLIPCHILDREN, Box(12, 290, 429, 43), WS_EX_CONTROLPARENT);
  SetPanelBrush(group, white_.get());
  HWND no = AddChild(kRadioNaoAceitoId, group, L"BUTTON", L"N\u00E3o aceito",
                     kChild | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, Box(8, 17, 200, 18));
  HWND yes = AddChild(kRadioAceitoId, group, L"BUTTON", L"Aceito", kChild | BS_AUTORADIOBUTTON,
                      Box(217, 17, 200, 18));
  control_of_[no] = control_of_[yes] = Control::RGAceite;
  SendMessageW(no, BM_SETCHECK, BST_CHECKED, 0);
  HWND progress = Add(Control::ProgressBar, top, PROGRESS_CLASSW, L"", WS_CHILD | WS_CLIPSIBLINGS,
                      Box(12, 283, 429, 17));
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  HWND demo_box = Add(Control::MMLicencaUsoDemo, top, L"EDIT", content_.DemoLicence, memo,
                      Box(12, 92, 429, 192));
  for (HWND box : {free_box, demo_box}) SendMessageW(box, EM_SETLIMITTEXT, 0, 0);

  HWND edition = Add(Control::PTipo, hwnd_, kPanelClassName, L"", kChild | WS_CLIPCHILDREN,
                     Box(199, 37, 246, 53), WS_EX_CONTROLPARENT);
  SetPanelBrush(edition, PanelBrush(Control::PTipo));
  Add(Control::Image1, top, L"STATIC", L"", kChild | SS_OWNERDRAW, Box(12, 10, 181, 76));
  Add(Control::Label1, top, L"STATIC", L"Bem vindo ao instalador ", text,
      Box(197, 4, 238, 23));
  Add(Control::LblSistema, edition, L"STATIC", L"", kChild | SS_CENTER, Box(1, 1, 244, 51));
  Add(Control::Label2, hwnd_, L"STATIC", L"Site:", text, Box(8, 343, 30, 16));
  Add(Control::Label3, hwnd_, L"STATIC", L"E-Mail: " + Widen(build_config::kVendorEmail), label,
      Box(4, 360, 272, 16));
  Add(Control::Label4, hwnd_, L"STATIC", L"Telefone: " + Widen(build_config::kVendorPhone),
      text, Box(4, 376, 166, 16));
  Add(Control::Label5, hwnd_, L"STATIC", L"WhatsApp ", label, Box(8, 391, 72, 16));
  Add(Control::Image2, hwnd_, L"STATIC", L"", kChild | SS_OWNERDRAW, Box(76, 391, 19, 20));
  Add(Control::Label6, hwnd_, L"STATIC", Widen(build_config::kVendorWhatsAppShown) + L" ", label,
      Box(99, 391, 114, 16));
  Add(Control::Label7, hwnd_, L"STATIC", Widen(build_config::kVendorSite), label,
      Box(44, 343, 191, 16));

  // Stacking from the top: buttons first (tab order), the edition panel above the top panel.
  HWND after = HWND_TOP;
  for (Control c : {Control::BtnCancelar, Control::BtnInstalar, Control::StatusBar, Control::PTipo,
                    Control::PPasso1}) {
    SetWindowPos(controls_[Index(c)], after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = controls_[Index(c)];
  }
  HWND inner = HWND_TOP;
  for (Control c : {Control::MMLicencaUsoGratuito, Control::RGAceite, Control::ProgressBar,
                    Control::MMLicencaUsoDemo}) {
    SetWindowPos(controls_[Index(c)], inner, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    inner = controls_[Index(c)];
  }
}

void PrincipalWindow::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  fonts_.normal = MakeFont(11, false, dpi);
  fonts_.bold10 = MakeFont(13, true, dpi);
  fonts_.bold16 = MakeFont(16, true, dpi);
  fonts_.bold19 = MakeFont(19, true, dpi);
  for (const Placement& p : placements_) {
    const auto found = control_of_.find(p.hwnd);
    const bool known = found != control_of_.end();
    HFONT font = known ? FontOf(found->second) : fonts_.normal.get();
    SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int width = Scale(p.design.right) - Scale(p.design.left);
    if (known && IsOneLineLabel(found->second)) width = std::max(width, TextWidth(p.hwnd, font));
    MoveWindow(p.hwnd, Scale(p.design.left), Scale(p.design.top), width,
               Scale(p.design.bottom) - Scale(p.design.top), FALSE);
  }
  SendMessageW(ControlHandle(Control::StatusBar), WM_SIZE, 0, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

HFONT PrincipalWindow::FontOf(Control control) const {
  if (control == Control::Label1) return fonts_.bold19.get();
  if (control == Control::LblSistema) return fonts_.bold16.get();
  if (IsOneLineLabel(control)) return fonts_.bold10.get();  // Label2 to Label7
  return fonts_.normal.get();
}

bool PrincipalWindow::IsOneLineLabel(Control control) {
  switch (control) {
    case Control::Label1:
    case Control::Label2:
    case Control::Label3:
    case Control::Label4:
    case Control::Label5:
    case Control::Label6:
    case Control::Label7:
      return true;
    default:
      return false;
  }
}

// Width of a control's visible text (trailing blanks left out) in `font`: one-line labels grow
// to it, as the toolkit's self-sizing labels do, so a font wider than the designer's (another
// Tahoma) still shows the whole line; the blanks may overlap what stands to the right.
int PrincipalWindow::TextWidth(HWND control, HFONT font) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  while (!text.empty() && text.back() == L' ') text.pop_back();
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return size.cx;
}

void PrincipalWindow::PlaceWindow(UINT dpi) {
  RECT frame{0, 0, MulDiv(kClientWidth, static_cast<int>(dpi), 96),
             MulDiv(kClientHeight, static_cast<int>(dpi), 96)};
  AdjustForDpi(frame, kMainStyle, kMainExStyle, dpi);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  const int left = screen.left + (screen.right - screen.left - width) / 2;
  const int top = screen.top + (screen.bottom - screen.top - height) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH PrincipalWindow::PanelBrush(Control control) {
  auto found = panel_colours_.find(control);
  if (found == panel_colours_.end()) {
    found = panel_colours_
                .emplace(control,
                         std::make_pair(RGB(255, 0, 0), GdiBrush(CreateSolidBrush(RGB(255, 0, 0)))))
                .first;
  }
  return found->second.second.get();
}

LRESULT CALLBACK PrincipalWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<PrincipalWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PrincipalWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT PrincipalWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return OnColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wparam))) return TRUE;
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_SIZE:
      // The status bar keeps itself at the bottom edge of the client area.
      SendMessageW(ControlHandle(Control::StatusBar), WM_SIZE, 0, 0);
      break;
    case WM_CLOSE:
      // The window is destroyed only after the message loop has returned.
      RunSafely(events_.Close);
      return 0;
    case kWmDpiChanged: {
      ApplyDpi(LOWORD(wparam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT PrincipalWindow::OnColour(HDC dc, HWND child) {
  const auto found = control_of_.find(child);
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF back = kWhite;
  HBRUSH brush = white_.get();
  if (found != control_of_.end()) {
    if (found->second == Control::Label6 || found->second == Control::Label7) text = kBlue;
    if (found->second == Control::LblSistema) {
      text = kWhite;
      brush = PanelBrush(Control::PTipo);
      back = panel_colours_.at(Control::PTipo).first;
    }
  }
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(brush);
}

bool PrincipalWindow::OnSetCursor(HWND child) {
  const auto found = control_of_.find(child);
  if (found == control_of_.end()) return false;
  switch (found->second) {
    case Control::Label3:
    case Control::Label5:
    case Control::Label6:
    case Control::Label7:
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
      return true;
    default:
      return false;
  }
}

void PrincipalWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
  if (id == kRadioNaoAceitoId || id == kRadioAceitoId) {
    const int index = id == kRadioAceitoId ? 1 : 0;
    if (events_.RGAceiteClick) RunSafely([&] { events_.RGAceiteClick(index); });
  } else if (id == ControlId(Control::BtnCancelar)) {
    RunSafely(events_.BtnCancelarClick);
  } else if (id == ControlId(Control::BtnInstalar)) {
    // A disabled button can still be "clicked" by a message; the licence must be accepted.
    if (IsWindowEnabled(ControlHandle(Control::BtnInstalar))) RunSafely(events_.BtnInstalarClick);
  } else if (id == ControlId(Control::Label5) || id == ControlId(Control::Label6)) {
    RunSafely(events_.Label5Click);
  } else if (id == ControlId(Control::Label7)) {
    RunSafely(events_.Label7Click);
  }
}

void PrincipalWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& box = item.rcItem;
  FillRect(item.hDC, &box, white_.get());
  const bool logo = item.hwndItem == ControlHandle(Control::Image1);
  HBITMAP bitmap = logo ? content_.Logo.get() : content_.Chat.get();
  if (!bitmap) return;
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  HDC memory = CreateCompatibleDC(item.hDC);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  if (logo && info.bmWidth > 0 && info.bmHeight > 0) {
    // Stretched into the box, keeping the picture's proportions.
    const int box_width = box.right - box.left;
    const int box_height = box.bottom - box.top;
    int width = box_width;
    int height = MulDiv(info.bmHeight, box_width, info.bmWidth);
    if (height > box_height) {
      height = box_height;
      width = MulDiv(info.bmWidth, box_height, info.bmHeight);
    }
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, box.left, box.top, width, height, memory, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
  } else {
    BitBlt(item.hDC, box.left, box.top, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
}

void PrincipalWindow::RunSafely(const std::function<void()>& handler) {
  if (!handler) return;
  try {
    handler();
  } catch (const std::exception& error) {
    // A failed click leaves the window open, as the toolkit's standard error box does.
    ShowError(error_caption_, error.what());
  }
}

int PrincipalWindow::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

void PrincipalWindow::SetVisible(Control control, bool visible) {
  ShowWindow(ControlHandle(control), visible ? SW_SHOWNA : SW_HIDE);
}

void PrincipalWindow::SetEnabled(Control control, bool enabled) {
  EnableWindow(ControlHandle(control), enabled);
}

void PrincipalWindow::SetCaption(Control control, const std::string& text) {
  if (control == Control::StatusBar) {
    SetStatusText(text);
  } else if (control == Control::RGAceite) {
    SetWindowTextW(ControlHandle(control), Widen(text).c_str());
    InvalidateRect(ControlHandle(control), nullptr, TRUE);
  } else {
    SetWindowTextW(ControlHandle(control), CrLf(text).c_str());
  }
}

void PrincipalWindow::AppendLine(Control control, const std::string& line) {
  HWND box = ControlHandle(control);
  const int length = GetWindowTextLengthW(box);
  const std::wstring text = (length > 0 ? L"\r\n" : L"") + CrLf(line);
  SendMessageW(box, EM_SETSEL, length, length);
  SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void PrincipalWindow::SetColour(Control control, Rgb colour) {
  const COLORREF value = RGB(colour.r, colour.g, colour.b);
  auto& entry = panel_colours_[control];
  entry = std::make_pair(value, GdiBrush(CreateSolidBrush(value)));
  HWND hwnd = ControlHandle(control);
  if (control == Control::PTipo || control == Control::PPasso1)
    SetPanelBrush(hwnd, entry.second.get());
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void PrincipalWindow::SetProgressMax(int maximum) {
  SendMessageW(ControlHandle(Control::ProgressBar), PBM_SETRANGE32, 0, maximum);
}

void PrincipalWindow::SetProgressPosition(int position) {
  SendMessageW(ControlHandle(Control::ProgressBar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void PrincipalWindow::SetStatusText(const std::string& text) {
  const std::wstring wide = Widen(text);
  SendMessageW(ControlHandle(Control::StatusBar), SB_SETTEXTW, 0,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

void PrincipalWindow::ShowInformation(const std::string& caption, const std::string& text) {
  MessageBoxW(hwnd_, CrLf(text).c_str(), Widen(caption).c_str(), MB_OK);
}

bool PrincipalWindow::AskYesNo(const std::string& caption, const std::string& text,
                               MessageIcon icon) {
  const UINT style =
      MB_YESNO | (icon == MessageIcon::Question ? MB_ICONQUESTION : MB_ICONEXCLAMATION);
  return MessageBoxW(hwnd_, CrLf(text).c_str(), Widen(caption).c_str(), style) == IDYES;
}

void PrincipalWindow::ShowError(const std::string& caption, const std::string& text) {
  MessageBoxW(hwnd_, CrLf(text).c_str(), Widen(caption).c_str(), MB_OK | MB_ICONERROR);
}

void PrincipalWindow::ProcessMessages() {
  MSG msg;
  bool quit = false;
  WPARAM exit_code = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The end belongs to the outer message loop: keep it for that loop.
      quit = true;
      exit_code = msg.wParam;
      break;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(exit_code));
}

void PrincipalWindow::EndApplication() { PostQuitMessage(0); }

void PrincipalWindow::OpenUrl(const std::string& url) {
  ShellExecuteW(nullptr, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace ov::win32

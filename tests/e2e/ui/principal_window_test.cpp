// The real installer window under Wine: its controls, their places and start states, and what
// clicks and progress events do to it, read back through Win32 queries.
#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "installer/install_context.h"
#include "ui/principal.h"
#include "ui/win32/principal_window.h"
#include "ui/win32/window_content.h"

namespace ov::win32 {
namespace {

std::wstring Text(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Width of the control's text, without trailing blanks, in the font it draws with.
int TextWidth(HWND hwnd) {
  std::wstring text = Text(hwnd);
  while (!text.empty() && text.back() == L' ') text.pop_back();
  HDC dc = GetDC(hwnd);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

// The control's rectangle in its parent's client area.
RECT PlaceInParent(HWND hwnd) {
  RECT rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class PrincipalWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = PrincipalWindow::Create(GetModuleHandleW(nullptr),
                                     LoadWindowContent(GetModuleHandleW(nullptr)));
    PrincipalSettings settings;
    settings.ExecutablePath = "C:\\x\\Instalador.exe";
    form = std::make_unique<TFPrincipal>(*window, settings);
    InstallContext context;
    context.Profile = EditionProfileOrBlank(3);
    form->FormCreate(context);
    window->SetEvents({[this] { form->BtnCancelarClick(); }, [this] { form->BtnInstalarClick(); },
                       [this] { form->FormClose(); }, [this](int i) { form->RGAceiteClick(i); },
                       [this] { form->Label5Click(); }, [this] { form->Label7Click(); }});
    ShowWindow(window->Handle(), SW_SHOWNORMAL);
    UpdateWindow(window->Handle());
    window->ProcessMessages();
  }

  HWND Get(Control c) const { return window->ControlHandle(c); }

  std::unique_ptr<PrincipalWindow> window;
  std::unique_ptr<TFPrincipal> form;
};

TEST_F(PrincipalWindowTest, FrameIsAFixedDialogCentredOnTheScreen) {
  HWND hwnd = window->Handle();
  wchar_t cls[64];
  GetClassNameW(hwnd, cls, 64);
  EXPECT_STREQ(cls, L"TFPrincipal");
  EXPECT_EQ(Text(hwnd), L"Instalador");
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 455);
  EXPECT_EQ(client.bottom, 432);
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  RECT frame;
  GetWindowRect(hwnd, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_NEAR((frame.left + frame.right) / 2,
              (monitor.rcMonitor.left + monitor.rcMonitor.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2,
              (monitor.rcMonitor.top + monitor.rcMonitor.bottom) / 2, 1);
}

TEST_F(PrincipalWindowTest, ControlsHaveTheirIdsParentsPlacesAndTexts) {
  struct Case {
    Control control;
    Control parent;  // Control::StatusBar stands for the window itself here
    RECT place;
    std::wstring text;  // empty: not compared
    bool one_line_label = false;  // grows past its design width to show its whole text
  } cases[] = {
      {Control::BtnCancelar, Control::StatusBar, {374, 358, 449, 383}, L"Cancelar"},
      {Control::BtnInstalar, Control::StatusBar, {293, 358, 368, 383}, L"Instalar"},
      {Control::PPasso1, Control::StatusBar, {3, 3, 452, 344}, L""},
      {Control::MMLicencaUsoGratuito, Control::PPasso1, {12, 92, 441, 284}, L""},
      {Control::RGAceite,
       Control::PPasso1,
       {12, 290, 441, 333},
       L" Aceitar licen\u00E7a de uso do sistema? "},
      {Control::ProgressBar, Control::PPasso1, {12, 283, 441, 300}, L""},
      {Control::MMLicencaUsoDemo, Control::PPasso1, {12, 92, 441, 284}, L""},
      {Control::PTipo, Control::StatusBar, {199, 37, 445, 90}, L""},
      {Control::Image1, Control::PPasso1, {12, 10, 193, 86}, L""},
      {Control::Label1, Control::PPasso1, {197, 4, 435, 27}, L"Bem vindo ao instalador ", true},
      {Control::LblSistema,
       Control::PTipo,
       {1, 1, 245, 52},
       L"Demonstrativo \r\nOvilar - Conserto"},
      {Control::Label2, Control::StatusBar, {8, 343, 38, 359}, L"Site:", true},
      {Control::Label3, Control::StatusBar, {4, 360, 276, 376}, L"", true},
      {Control::Label4, Control::StatusBar, {4, 376, 170, 392}, L"", true},
      {Control::Label5, Control::StatusBar, {8, 391, 80, 407}, L"WhatsApp ", true},
      {Control::Image2, Control::StatusBar, {76, 391, 95, 411}, L""},
      {Control::Label6, Control::StatusBar, {99, 391, 213, 407}, L"", true},
      {Control::Label7, Control::StatusBar, {44, 343, 235, 359}, L"", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ControlId(c.control));
    HWND hwnd = Get(c.control);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetDlgCtrlID(hwnd), ControlId(c.control));
    HWND parent = c.parent == Control::StatusBar ? window->Handle() : Get(c.parent);
    EXPECT_EQ(GetParent(hwnd), parent);
    EXPECT_EQ(GetDlgItem(parent, ControlId(c.control)), hwnd);
    const RECT place = PlaceInParent(hwnd);
    EXPECT_EQ(place.left, c.place.left);
    EXPECT_EQ(place.top, c.place.top);
    EXPECT_EQ(place.right, c.one_line_label
                               ? std::max<LONG>(c.place.right, c.place.left + TextWidth(hwnd))
                               : c.place.right);
    EXPECT_EQ(place.bottom, c.place.bottom);
    if (!c.text.empty()) {
      EXPECT_EQ(Text(hwnd), c.text);
    }
  }
  EXPECT_EQ(Text(Get(Control::Label3)).rfind(L"E-Mail: ", 0), 0u);
  EXPECT_EQ(Text(Get(Control::Label4)).rfind(L"Telefone: ", 0), 0u);
  EXPECT_EQ(Text(Get(Control::Label6)).back(), L' ');
  RECT bar = PlaceInParent(Get(Control::StatusBar));
  EXPECT_EQ(bar.bottom, 432);
  EXPECT_EQ(bar.right, 455);
}

TEST_F(PrincipalWindowTest, StartStateOfTheDemonstrationEdition) {
  EXPECT_TRUE(IsWindowVisible(Get(Control::MMLicencaUsoDemo)));
  EXPECT_FALSE(IsWindowVisible(Get(Control::MMLicencaUsoGratuito)));
  EXPECT_TRUE(IsWindowVisible(Get(Control::RGAceite)));
  EXPECT_FALSE(IsWindowVisible(Get(Control::ProgressBar)));
  EXPECT_TRUE(IsWindowEnabled(Get(Control::BtnCancelar)));
  EXPECT_FALSE(IsWindowEnabled(Get(Control::BtnInstalar)));
  EXPECT_EQ(SendMessageW(GetDlgItem(Get(Control::RGAceite), kRadioNaoAceitoId), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(Get(Control::RGAceite), kRadioAceitoId), BM_GETCHECK, 0, 0),
            BST_UNCHECKED);
  EXPECT_TRUE(GetWindowLongW(Get(Control::MMLicencaUsoDemo), GWL_STYLE) & ES_READONLY);

  // Both licence texts are loaded from the resources with their line counts.
  struct Box {
    Control control;
    std::size_t lines;
    std::wstring first;
  } boxes[] = {
      {Control::MMLicencaUsoGratuito, 240,
       L"Termo de Licen\u00E7a de uso do sistema Ovilar Gratuito"},
      {Control::MMLicencaUsoDemo, 245,
       L"Termo de Licen\u00E7a de uso do Sistema Ovilar - Vers\u00E3o Demonstra\u00E7\u00E3o"},
  };
  for (const auto& b : boxes) {
    const std::wstring text = Text(Get(b.control));
    std::size_t lines = 1;
    for (std::size_t pos = 0; (pos = text.find(L"\r\n", pos)) != std::wstring::npos; pos += 2)
      ++lines;
    EXPECT_EQ(lines, b.lines);
    EXPECT_EQ(text.substr(0, text.find(L"\r\n")), b.first);
  }
}

TEST_F(PrincipalWindowTest, AcceptanceChoiceEnablesInstalar) {
  HWND group = Get(Control::RGAceite);
  SendMessageW(GetDlgItem(group, kRadioAceitoId), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(Get(Control::BtnInstalar)));
  EXPECT_EQ(SendMessageW(GetDlgItem(group, kRadioNaoAceitoId), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(GetDlgItem(group, kRadioNaoAceitoId), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(Get(Control::BtnInstalar)));
}

TEST_F(PrincipalWindowTest, TabOrderRunsFromTheButtonsIntoTheLicence) {
  form->RGAceiteClick(1);
  HWND group = Get(Control::RGAceite);
  const HWND expected[] = {Get(Control::BtnInstalar), GetDlgItem(group, kRadioNaoAceitoId),
                           Get(Control::MMLicencaUsoDemo), Get(Control::BtnCancelar)};
  HWND at = Get(Control::BtnCancelar);
  for (HWND next : expected) {
    at = GetNextDlgTabItem(window->Handle(), at, FALSE);
    EXPECT_EQ(at, next) << GetDlgCtrlID(at);
  }
}

TEST_F(PrincipalWindowTest, LogProgressAndStatusBar) {
  form->StartLog();
  form->AddLog("Aten\xC3\xA7\xC3\xA3o!!!");
  form->AddLog("Baixando arquivos");
  EXPECT_FALSE(IsWindowVisible(Get(Control::MMLicencaUsoDemo)));
  EXPECT_TRUE(IsWindowVisible(Get(Control::MMLicencaUsoGratuito)));
  EXPECT_FALSE(IsWindowVisible(Get(Control::RGAceite)));
  EXPECT_TRUE(IsWindowVisible(Get(Control::ProgressBar)));
  EXPECT_EQ(Text(Get(Control::MMLicencaUsoGratuito)), L"Aten\u00E7\u00E3o!!!\r\nBaixando arquivos");

  form->DownloaderHookStatus(nullptr, HR_ReadCount, 3072000, 1000);
  form->DownloaderHookMonitor(nullptr, 3072000, 1536000, 150, 0, 0, 10);
  HWND bar = Get(Control::ProgressBar);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 3072000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 1536000);
  wchar_t status[128] = {};
  SendMessageW(Get(Control::StatusBar), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(status));
  EXPECT_STREQ(status, L"1,500 / 3,000 KB  -  150.00 KB/s  -  00:00:10");
}

TEST_F(PrincipalWindowTest, LinkLabelsShowTheHandCursor) {
  HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
  for (Control c : {Control::Label3, Control::Label5, Control::Label6, Control::Label7}) {
    SetCursor(nullptr);
    EXPECT_TRUE(SendMessageW(window->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Get(c)),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), hand) << ControlId(c);
  }
  SetCursor(nullptr);
  SendMessageW(window->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Get(Control::Label4)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), hand);
}

TEST_F(PrincipalWindowTest, MovingToAMonitorOfHigherDpiScalesPlacesAndFonts) {
  RECT suggested{10, 10, 10 + 700, 10 + 680};
  SendMessageW(window->Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT place = PlaceInParent(Get(Control::BtnCancelar));
  EXPECT_EQ(place.left, 561);
  EXPECT_EQ(place.top, 537);
  EXPECT_EQ(place.right, 674);
  EXPECT_EQ(place.bottom, 575);
  place = PlaceInParent(Get(Control::MMLicencaUsoDemo));  // inside the top panel
  EXPECT_EQ(place.left, 18);
  EXPECT_EQ(place.top, 138);
  struct Font {
    Control control;
    LONG height;
    LONG weight;
  } fonts[] = {
      {Control::BtnCancelar, -17, FW_NORMAL},  // 11 px at 96 DPI
      {Control::Label7, -20, FW_BOLD},         // 13 px
      {Control::LblSistema, -24, FW_BOLD},     // 16 px
      {Control::Label1, -29, FW_BOLD},         // 19 px
  };
  for (const auto& f : fonts) {
    LOGFONTW font{};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(Get(f.control), WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr) << ControlId(f.control);
    GetObjectW(handle, sizeof font, &font);
    EXPECT_EQ(font.lfHeight, f.height) << ControlId(f.control);
    EXPECT_EQ(font.lfWeight, f.weight) << ControlId(f.control);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  }
  RECT frame;
  GetWindowRect(window->Handle(), &frame);
  EXPECT_EQ(frame.left, 10);
  EXPECT_EQ(frame.right, 710);
}

// Closing the window during an installation must not destroy it in the middle of the run.
TEST_F(PrincipalWindowTest, CloseDuringAnInstallationEndsAfterTheRun) {
  bool alive_after_close = false;
  int cancels = 0;
  form->SetInstallActions({[&] {
                             PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
                             window->ProcessMessages();  // the close arrives through a nested pump
                             alive_after_close =
                                 IsWindow(window->Handle()) && IsWindowVisible(window->Handle());
                           },
                           [&] { ++cancels; }});
  SendMessageW(Get(Control::BtnInstalar), BM_CLICK, 0, 0);  // disabled: nothing happens
  EXPECT_EQ(cancels, 0);
  form->RGAceiteClick(1);
  SendMessageW(Get(Control::BtnInstalar), BM_CLICK, 0, 0);
  EXPECT_TRUE(alive_after_close);
  EXPECT_EQ(cancels, 1);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the end comes after the run";
  EXPECT_TRUE(IsWindow(window->Handle()));
}

}  // namespace
}  // namespace ov::win32
#endif

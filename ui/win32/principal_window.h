// The installer's dialog window built from plain Win32 controls: the controls of the window
// at their 96-DPI places scaled to the monitor's DPI, its fonts and colours, and the view
// operations the presenter drives. Clicks are reported through Events.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/installer_view.h"
#include "ui/progress_format.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/window_content.h"

namespace ov::win32 {

inline constexpr wchar_t kWindowClassName[] = L"TFPrincipal";
inline constexpr int kClientWidth = 455;  // at 96 DPI
inline constexpr int kClientHeight = 432;

// Dialog control id of each control: kFirstControlId + its position in Control.
inline constexpr int kFirstControlId = 1000;
int ControlId(Control control);
// The two items of the acceptance group ("Não aceito", "Aceito").
inline constexpr int kRadioNaoAceitoId = 1100;
inline constexpr int kRadioAceitoId = 1101;

// The user's thousands and decimal separators.
NumberSeparators ReadLocaleSeparators();

class PrincipalWindow : public InstallerView {
 public:
  struct Events {
    std::function<void()> BtnCancelarClick;
    std::function<void()> BtnInstalarClick;
    std::function<void()> Close;  // the close box, Alt+F4, the system menu
    std::function<void(int)> RGAceiteClick;
    std::function<void()> Label5Click;
    std::function<void()> Label7Click;
  };

  // Creates the window hidden, laid out for its monitor's DPI and centred on the screen.
  // Throws std::runtime_error when Windows refuses the window.
  static std::unique_ptr<PrincipalWindow> Create(HINSTANCE instance, WindowContent content);
  ~PrincipalWindow() override;
  PrincipalWindow(const PrincipalWindow&) = delete;
  PrincipalWindow& operator=(const PrincipalWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND ControlHandle(Control control) const { return controls_[Index(control)]; }
  void SetEvents(Events events) { events_ = std::move(events); }
  // Caption of the error box shown when a click handler fails.
  void SetErrorCaption(std::string caption) { error_caption_ = std::move(caption); }
  // Runs the message loop until EndApplication; returns the exit code.
  int RunMessageLoop();

  // InstallerView
  void SetVisible(Control control, bool visible) override;
  void SetEnabled(Control control, bool enabled) override;
  void SetCaption(Control control, const std::string& text) override;
  void AppendLine(Control control, const std::string& line) override;
  void SetColour(Control control, Rgb colour) override;
  void SetProgressMax(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetStatusText(const std::string& text) override;
  void ShowInformation(const std::string& caption, const std::string& text) override;
  bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) override;
  void ShowError(const std::string& caption, const std::string& text) override;
  void ProcessMessages() override;
  void EndApplication() override;
  void OpenUrl(const std::string& url) override;

 private:
  static constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Label7) + 1;
  struct Placement {
    HWND hwnd;
    RECT design;  // 96-DPI left, top, right, bottom within the parent's client area
  };
  struct Fonts {
    GdiFont normal, bold10, bold16, bold19;
  };

  explicit PrincipalWindow(WindowContent content);
  static std::size_t Index(Control control) { return static_cast<std::size_t>(control); }
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls();
  HWND Add(Control control, HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style,
           RECT design, DWORD ex_style = 0);
  HWND AddChild(int id, HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style,
                RECT design);
  void ApplyDpi(UINT dpi);
  void PlaceWindow(UINT dpi);
  int Scale(int value) const { return MulDiv(value, static_cast<int>(dpi_), 96); }
  HFONT FontOf(Control control) const;
  static bool IsOneLineLabel(Control control);
  static int TextWidth(HWND control, HFONT font);
  LRESULT OnColour(HDC dc, HWND child);
  bool OnSetCursor(HWND child);
  void OnCommand(int id, int code);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void RunSafely(const std::function<void()>& handler);
  HBRUSH PanelBrush(Control control);

  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  WindowContent content_;
  std::array<HWND, kControlCount> controls_{};
  std::vector<Placement> placements_;
  std::map<HWND, Control> control_of_;
  Fonts fonts_;
  GdiBrush white_;
  std::map<Control, std::pair<COLORREF, GdiBrush>> panel_colours_;
  Events events_;
  std::string error_caption_ = "Instalador";
};

}  // namespace ov::win32

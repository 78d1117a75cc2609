// Drives one installer window from another process: finds it by class and caption, clicks
// controls by id, reads texts, and answers the message boxes of the installer's process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ov::uidriver {

struct MessageBoxSeen {
  HWND Dialog = nullptr;
  std::string Caption;
  std::string Text;
};

class UiSession {
 public:
  // Waits up to `timeout_ms` for a visible top-level window of `window_class` titled `caption`.
  bool WaitWindow(const std::string& window_class, const std::string& caption, DWORD timeout_ms);
  // Waits until the window found before no longer exists (the program ended).
  bool WaitGone(DWORD timeout_ms) const;
  // Posts a click to the control with this id anywhere below the window.
  bool Click(int control_id) const;
  std::optional<std::string> ControlText(int control_id) const;
  // A message box of the installer's process (class #32770), waiting up to `timeout_ms`.
  std::optional<MessageBoxSeen> WaitMessageBox(DWORD timeout_ms) const;
  // Presses the button with this id (IDOK, IDYES, IDNO) in a message box.
  static bool Press(const MessageBoxSeen& box, int button_id);
  bool Found() const { return window_ != nullptr; }

 private:
  HWND FindControl(int control_id) const;
  HWND window_ = nullptr;
  DWORD process_ = 0;
};

std::string WindowText(HWND window);
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

}  // namespace ov::uidriver

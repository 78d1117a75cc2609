#include "tools/uidriver/ui_session.h"

#include <vector>

namespace ov::uidriver {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the static text of a standard message box

struct ControlSearch {
  int Id;
  HWND Found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(child) != search->Id) return TRUE;
  search->Found = child;
  return FALSE;
}

struct BoxSearch {
  DWORD Process;
  HWND Found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->Process || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window))
    return TRUE;
  search->Found = window;
  return FALSE;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// WM_GETTEXT is marshalled between processes (a status bar answers it with its first part).
std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return {};
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  return Narrow(std::wstring(buffer.data(), copied));
}

bool UiSession::WaitWindow(const std::string& window_class, const std::string& caption,
                           DWORD timeout_ms) {
  const std::wstring cls = Widen(window_class);
  const std::wstring title = Widen(caption);
  const DWORD start = GetTickCount();
  do {
    HWND found = FindWindowW(cls.c_str(), title.c_str());
    if (found && IsWindowVisible(found)) {
      window_ = found;
      GetWindowThreadProcessId(found, &process_);
      return true;
    }
    Sleep(100);
  } while (GetTickCount() - start < timeout_ms);
  return false;
}

bool UiSession::WaitGone(DWORD timeout_ms) const {
  const DWORD start = GetTickCount();
  while (IsWindow(window_)) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(100);
  }
  return true;
}

HWND UiSession::FindControl(int control_id) const {
  ControlSearch search{control_id, nullptr};
  EnumChildWindows(window_, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

// Posted, not sent: the click handler runs the whole installation with its own message boxes.
bool UiSession::Click(int control_id) const {
  HWND control = FindControl(control_id);
  return control && PostMessageW(control, BM_CLICK, 0, 0);
}

std::optional<std::string> UiSession::ControlText(int control_id) const {
  HWND control = FindControl(control_id);
  if (!control) return std::nullopt;
  return WindowText(control);
}

std::optional<MessageBoxSeen> UiSession::WaitMessageBox(DWORD timeout_ms) const {
  const DWORD start = GetTickCount();
  do {
    BoxSearch search{process_, nullptr};
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
    if (search.Found) {
      Sleep(300);  // let the box finish laying out before it is read and answered
      HWND text = GetDlgItem(search.Found, kMessageBoxTextId);
      return MessageBoxSeen{search.Found, WindowText(search.Found), text ? WindowText(text) : ""};
    }
    Sleep(100);
  } while (GetTickCount() - start < timeout_ms);
  return std::nullopt;
}

bool UiSession::Press(const MessageBoxSeen& box, int button_id) {
  HWND button = GetDlgItem(box.Dialog, button_id);
  if (!button) return false;
  return PostMessageW(box.Dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button));
}

}  // namespace ov::uidriver

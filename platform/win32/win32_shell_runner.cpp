#include "platform/win32/win32_shell_runner.h"

#include <shellapi.h>

#include "net/unicode.h"
#include "platform/win32/win32_handles.h"

namespace ov {
namespace {

void DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Sleeps until the process ends or a message arrives; messages go to `pump`.
void WaitWhilePumping(HANDLE process, const std::function<void()>& pump) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) return;  // ended, or the wait itself failed
    if (pump) {
      pump();
    } else {
      DispatchPendingMessages();
    }
  }
}

}  // namespace

bool Win32ShellRunner::RunAndWait(const std::string& file, const std::string& working_dir,
                                  const std::function<void()>& pump) {
  const std::wstring wide_file = Widen(file);
  const std::wstring wide_dir = Widen(working_dir);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask =
      SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;  // the caller reports a failed start itself
  info.hwnd = Owner();
  info.lpFile = wide_file.c_str();
  info.lpDirectory = working_dir.empty() ? nullptr : wide_dir.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return false;
  if (!info.hProcess) return true;
  const win32::KernelHandle process(info.hProcess);
  WaitWhilePumping(process.Get(), pump);
  return true;
}

bool Win32ShellRunner::StartHidden(const std::string& file, const std::string& parameters) {
  const HINSTANCE result = ShellExecuteW(Owner(), nullptr, Widen(file).c_str(),
                                         Widen(parameters).c_str(), nullptr, SW_HIDE);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace ov

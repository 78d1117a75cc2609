#pragma once
// Starting files through the Windows shell; waits on the process while window messages flow.

#include <windows.h>

#include <functional>

#include "platform/shell_runner.h"

namespace ov {

class Win32ShellRunner : public ShellRunner {
 public:
  // `owner` gives the window that owns any shell dialog (may return nullptr).
  explicit Win32ShellRunner(std::function<HWND()> owner = {}) : owner_(std::move(owner)) {}
  bool RunAndWait(const std::string& file, const std::string& working_dir,
                  const std::function<void()>& pump) override;
  bool StartHidden(const std::string& file, const std::string& parameters) override;

 private:
  HWND Owner() const { return owner_ ? owner_() : nullptr; }
  std::function<HWND()> owner_;
};

}  // namespace ov

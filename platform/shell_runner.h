#pragma once
// Starting files through the shell: run-and-wait for scripts, fire-and-forget for commands.

#include <functional>
#include <string>

namespace ov {

class ShellRunner {
 public:
  virtual ~ShellRunner() = default;
  // Starts `file` with its default action in `working_dir` and returns when the started
  // process has ended, calling `pump` whenever window messages are waiting. Returns false
  // when nothing could be started. The process handle is always released.
  virtual bool RunAndWait(const std::string& file, const std::string& working_dir,
                          const std::function<void()>& pump) = 0;
  // Starts `file` with `parameters`, hidden, without waiting; false when the shell refused.
  virtual bool StartHidden(const std::string& file, const std::string& parameters) = 0;
};

}  // namespace ov

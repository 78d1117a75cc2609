#pragma once
// What the installation workflow needs from the window; the window presenter implements it.

#include <string>

namespace ov {

// Icon of a Yes/No question box.
enum class MessageIcon { Question, Exclamation };

class InstallerUi {
 public:
  virtual ~InstallerUi() = default;
  // Turns the window into its installing state: hides the demonstration licence box, shows the
  // free-edition licence box emptied (it is the log from now on), hides the acceptance choice
  // and shows the progress bar.
  virtual void StartLog() = 0;
  // Appends one line to the installation log.
  virtual void AddLog(const std::string& line) = 0;
  // Modal information box: the application's title as caption, OK only, no icon, centred.
  virtual void ShowInformation(const std::string& text) = 0;
  // Modal Yes/No box owned by the window; true only when the user answered Yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // Modal error box (error icon, OK only) for a failed installation step.
  virtual void ShowError(const std::string& text) = 0;
  // Processes every pending window message, then returns.
  virtual void ProcessMessages() = 0;
  // Asks the application to end, exactly as "Cancelar" does when nothing runs. The workflow
  // calls it only from the top of its own call, never from inside a nested message loop.
  virtual void EndApplication() = 0;
};

}  // namespace ov

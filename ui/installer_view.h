// The installer window as the presenter sees it: named controls it can show, hide, fill and
// colour, plus the window-level services (message boxes, message pump, ending, opening URLs).
#pragma once

#include <cstdint>
#include <string>

#include "installer/installer_ui.h"

namespace ov {

// The window's controls, in the order of the window's member fields.
enum class Control {
  BtnCancelar,
  BtnInstalar,
  StatusBar,
  PPasso1,
  MMLicencaUsoGratuito,
  RGAceite,
  ProgressBar,
  MMLicencaUsoDemo,
  PTipo,
  Image1,
  Label1,
  LblSistema,
  Label2,
  Label3,
  Label4,
  Label5,
  Image2,
  Label6,
  Label7,
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};

class InstallerView {
 public:
  virtual ~InstallerView() = default;

  virtual void SetVisible(Control control, bool visible) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  // Caption of a label, button or panel; the whole text of a text box.
  virtual void SetCaption(Control control, const std::string& text) = 0;
  // Appends one line at the end of a multi-line text box.
  virtual void AppendLine(Control control, const std::string& line) = 0;
  virtual void SetColour(Control control, Rgb colour) = 0;

  virtual void SetProgressMax(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Text of the status bar's only panel.
  virtual void SetStatusText(const std::string& text) = 0;

  // Modal boxes: information has only an OK button; Yes/No returns true only for Yes.
  virtual void ShowInformation(const std::string& caption, const std::string& text) = 0;
  virtual bool AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // Modal error box: error icon, OK only.
  virtual void ShowError(const std::string& caption, const std::string& text) = 0;

  // Handles the window messages waiting now and returns.
  virtual void ProcessMessages() = 0;
  // Asks the message loop to stop; the window is destroyed once the loop has returned.
  virtual void EndApplication() = 0;
  // Hands an address to the system's browser; throws std::exception when it cannot.
  virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace ov

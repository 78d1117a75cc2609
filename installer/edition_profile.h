#pragma once
// The compiled-in editions of the product: one constant row per edition selector (-1 to 5).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ov {

// Which of the window's two licence texts an edition shows (None: selector without a row).
enum class LicenceKind { None, Free, Demo };

struct PanelRgb {
  std::uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const PanelRgb&, const PanelRgb&) = default;
};
inline constexpr PanelRgb kPanelRed{255, 0, 0};
inline constexpr PanelRgb kPanelGreen{0, 128, 0};

// One edition. Every title holds one CR LF; InstallFolder ends with a backslash;
// DownloadSubfolder ends with "/".
struct EditionProfile {
  int Selector = 0;
  std::string Title;
  std::string MainExecutable;
  std::string DownloadSubfolder;
  std::string InstallFolder;
  std::string DatabaseFile;
  LicenceKind Licence = LicenceKind::None;
  PanelRgb PanelColour = kPanelRed;
};

// The seven rows, selectors -1 to 5 in order.
std::span<const EditionProfile> EditionTable();

// The row for `selector`, or nullopt for a selector outside -1 to 5.
std::optional<EditionProfile> FindEditionProfile(int selector);

// The row for `selector`; for an unknown selector a row with `Selector` set, empty texts, no
// licence and a red panel (what the window shows then).
EditionProfile EditionProfileOrBlank(int selector);

}  // namespace ov

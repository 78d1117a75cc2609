// A plain container window ("panel"): paints its background with the brush stored in its user
// data and passes its children's notifications on to the top-level window.
#pragma once

#include <windows.h>

namespace ov::win32 {

inline constexpr wchar_t kPanelClassName[] = L"OvPanel";

// Registers the class once per process; true when it is available.
bool RegisterPanelClass(HINSTANCE instance);
// The background brush (not owned by the panel).
void SetPanelBrush(HWND panel, HBRUSH brush);

}  // namespace ov::win32

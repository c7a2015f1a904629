// What the window and its dialogs share about the program itself: its name,
// its icon, and (from common/) the way a folder or file name chosen in the
// window reaches the core's file routines.
#pragma once

#include "common/file_names.h"

namespace kelvora::gui {

// The window's title and the caption of every message box.
inline constexpr const char* kProgramName = "Kelvora Win";
inline constexpr const char* kIconPath = ":/kelvora/kelvora.png";

}  // namespace kelvora::gui

// Whether the window program can open a display at all. Qt ends the process
// with an abort when its platform plugin cannot connect (a stale DISPLAY, a
// Wayland session without the plugin), so the question is asked in a child
// process first and the program can say so in one line instead.
#pragma once

#include <string>

namespace kelvora::gui {

// The exit status of the window program when no display can be opened;
// scripts/run then runs the terminal read-out instead.
inline constexpr int kNoDisplayExitStatus = 3;

// Starts Qt's platform in a child process, with the program's own arguments
// (so Qt's -platform and -display options count), and reports whether it
// came up within a few seconds. Must be called before the QApplication
// exists, while the process has one thread.
bool CanOpenDisplay(int argc, char* argv[]);

// The one line the program prints when CanOpenDisplay said no, naming the
// display variables it saw.
std::string NoDisplayNotice();

}  // namespace kelvora::gui

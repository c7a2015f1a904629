// The per-user folder the window program works in when the desktop menu
// starts it, and the window program's command line.
//
// Started from a terminal the program keeps its files ("Dorvakin.dat",
// "MyData.dat", "EME.DTA") in the current folder, as it always has. A desktop
// launcher starts programs in the home folder or wherever it likes, so the
// menu entry passes kUserFolderSwitch and the program moves to its own folder
// under the XDG data home before it reads anything.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace kelvora {

inline constexpr const char* kUserFolderSwitch = "--user-folder";
// The folder's name under $XDG_DATA_HOME.
inline constexpr const char* kUserFolderName = "kelvora";
// Where the package puts the sample directory, from the folder of the
// installed binary (bin/ and share/ are siblings under the prefix).
inline constexpr const char* kSampleDirectoryFromBinary = "../share/kelvora/EME.DTA";

// $XDG_DATA_HOME/kelvora, or $HOME/.local/share/kelvora when XDG_DATA_HOME is
// unset, empty or relative (the XDG base-directory rules ignore relative
// values). A failure (kNotFound) with the message for the user when HOME is
// needed and is not an absolute path either. The two values are passed in
// (nullptr for unset) so the choice is testable.
Result<std::filesystem::path> UserDataFolder(const char* xdgDataHome, const char* home);

struct UserFolderSetup {
  bool created = false;       // the folder did not exist before this start
  bool sampleCopied = false;  // the sample directory was copied in as "EME.DTA"
  // The sample copy: done (or not needed), or, for the terminal, why the
  // usable new folder starts without it.
  Status sample;
};

// Makes `folder` and its missing parents (owner-only, as the XDG rules ask)
// and, only when `folder` itself was new, copies `sampleDirectory` into it as
// "EME.DTA" so the directory search has stations to find on the first day. A
// folder that already exists is left as it is: an operator who removed or
// replaced "EME.DTA" keeps that choice.
// A failure (kBroken) whose reason is for the user when the folder cannot be
// used: the program must not start.
Result<UserFolderSetup> PrepareUserFolder(const std::filesystem::path& folder,
                                          const std::filesystem::path& sampleDirectory);

// What `kelvora`'s own arguments ask for, after Qt has taken its options
// (-platform, -style, ...). --help and --version win over everything else, so
// they can be answered before Qt looks for a display.
struct StartArguments {
  bool userFolder = false;
  bool showHelp = false;
  bool showVersion = false;
};

// Refused, naming the first unknown argument in one line for stderr, unless
// --help or --version was asked for.
Result<StartArguments> ParseStartArguments(const std::vector<std::string>& arguments);

// The text `kelvora --help` prints.
std::string StartHelpText();

}  // namespace kelvora

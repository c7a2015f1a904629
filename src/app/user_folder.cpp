#include "app/user_folder.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "stations/directory.h"

namespace kelvora {

namespace fs = std::filesystem;

namespace {

// An absolute path from an environment value; empty for unset, empty or
// relative values.
std::optional<fs::path> AbsoluteFrom(const char* value) {
  if (value == nullptr || *value == '\0') return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

Failure CannotUse(const fs::path& folder, const std::string& reason) {
  return Fail("Cannot use the folder \"" + folder.string() + "\": " + reason + ".",
              FailureKind::kBroken);
}

// Makes every missing folder down to `folder`, each owner-only. Returns
// whether `folder` itself was made, or the reason it could not be.
Result<bool> MakeFolders(const fs::path& folder) {
  bool created = false;
  fs::path partial;
  for (const fs::path& part : folder.lexically_normal()) {
    if (part.empty()) continue;  // the empty name after a trailing separator
    partial /= part;
    if (::mkdir(partial.c_str(), 0700) == 0) {
      created = true;
      continue;
    }
    const int error = errno;
    std::error_code ec;
    if (error == EEXIST && fs::is_directory(partial, ec)) {
      created = false;
      continue;
    }
    return CannotUse(folder, error == EEXIST ? partial.string() + " is not a folder"
                                             : std::strerror(error));
  }
  return created;
}

}  // namespace

Result<fs::path> UserDataFolder(const char* xdgDataHome, const char* home) {
  if (const std::optional<fs::path> data = AbsoluteFrom(xdgDataHome)) {
    return *data / kUserFolderName;
  }
  if (const std::optional<fs::path> homeFolder = AbsoluteFrom(home)) {
    return *homeFolder / ".local" / "share" / kUserFolderName;
  }
  return Fail("Cannot find the per-user folder: neither XDG_DATA_HOME nor HOME is an absolute "
              "path.",
              FailureKind::kNotFound);
}

Result<UserFolderSetup> PrepareUserFolder(const fs::path& folder,
                                          const fs::path& sampleDirectory) {
  UserFolderSetup setup;
  const Result<bool> made = MakeFolders(folder);
  if (!made) return made.failure();
  setup.created = *made;
  if (!setup.created) return setup;

  std::error_code ec;
  if (!fs::is_regular_file(sampleDirectory, ec)) {
    setup.sample = Fail("no sample directory at " + sampleDirectory.string() +
                            "; the new folder " + folder.string() + " starts without " +
                            kDirectoryFileName,
                        FailureKind::kNotFound);
    return setup;
  }
  fs::copy_file(sampleDirectory, folder / kDirectoryFileName, ec);
  if (ec) {
    setup.sample = Fail("could not copy the sample directory into " + folder.string() + ": " +
                            ec.message(),
                        FailureKind::kBroken);
    return setup;
  }
  setup.sampleCopied = true;
  return setup;
}

Result<StartArguments> ParseStartArguments(const std::vector<std::string>& arguments) {
  StartArguments parsed;
  const std::string* unknown = nullptr;
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      parsed.showHelp = true;
    } else if (argument == "--version") {
      parsed.showVersion = true;
    } else if (argument == kUserFolderSwitch) {
      parsed.userFolder = true;
    } else if (unknown == nullptr) {
      unknown = &argument;
    }
  }
  if (unknown != nullptr && !parsed.showHelp && !parsed.showVersion) {
    return Fail("unknown argument '" + *unknown + "' (see kelvora --help)");
  }
  return parsed;
}

std::string StartHelpText() {
  return std::string(
             "Usage: kelvora [--user-folder]\n"
             "Kelvora Win, a moon tracking aid for Earth-Moon-Earth (moonbounce) radio.\n"
             "\n"
             "Without options it keeps its files (Dorvakin.dat, MyData.dat) in the current\n"
             "folder and looks for the EME directory EME.DTA there: start it from a terminal\n"
             "in the folder you want it to use.\n"
             "\n"
             "Options:\n"
             "  ") +
         kUserFolderSwitch +
         "   work in $XDG_DATA_HOME/kelvora (~/.local/share/kelvora when\n"
         "                  XDG_DATA_HOME is unset), made on first start with a copy of\n"
         "                  the sample EME.DTA; the desktop menu entry starts it so\n"
         "  -h, --help      print this help and end\n"
         "  --version       print the version and end\n"
         "Qt's own options (-platform, -style, ...) are accepted too.\n"
         "\n"
         "Longitudes are west positive everywhere: 95.36 is 95.36 W.\n"
         "kelvora-cli gives the same figures in a terminal. See kelvora(1).\n";
}

}  // namespace kelvora

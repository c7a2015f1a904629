// Kelvora Win: the window program. The settings files and the EME directory
// are looked for in the current folder; with --user-folder (which the desktop
// menu entry passes) the program first moves to its per-user folder.
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/user_folder.h"
#include "app/version.h"
#include "state/records.h"
#include "ui/program.h"
#include "ui/display_probe.h"
#include "ui/tracker_dialog.h"
#include "ui/window_decorations.h"

namespace {

std::vector<std::string> Arguments(int argc, char* argv[]) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// Makes the per-user folder on first start and moves into it. False (after
// telling the user) when the program cannot work there.
bool EnterUserFolder() {
  const auto folder = kelvora::UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  QString failure;
  if (!folder) {
    failure = QString::fromStdString(folder.reason());
  } else {
    const QString binaryFolder = QCoreApplication::applicationDirPath();
    const kelvora::Result<kelvora::UserFolderSetup> setup = kelvora::PrepareUserFolder(
        *folder, QDir(binaryFolder).filePath(kelvora::kSampleDirectoryFromBinary).toStdString());
    if (setup && !setup->sample) std::cerr << "kelvora: " << setup->sample.reason() << '\n';
    if (!setup) {
      failure = QString::fromStdString(setup.reason());
    } else if (::chdir(folder->c_str()) != 0) {
      failure = QStringLiteral("Cannot enter the folder \"%1\".").arg(QString::fromStdString(*folder));
    }
  }
  if (failure.isEmpty()) return true;
  std::cerr << "kelvora: " << failure.toStdString() << '\n';
  // No window exists yet to own the box.
  kelvora::gui::ShowMessageBox(nullptr, QMessageBox::Critical,
                               QString::fromLatin1(kelvora::gui::kProgramName), failure);
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before Qt looks for a display, so they work on any terminal.
  // An unknown argument may still be one of Qt's options here.
  const kelvora::Result<kelvora::StartArguments> early =
      kelvora::ParseStartArguments(Arguments(argc, argv));
  if (early && early->showHelp) {
    std::cout << kelvora::StartHelpText();
    return 0;
  }
  if (early && early->showVersion) {
    std::cout << "kelvora " << kelvora::kVersion << '\n' << kelvora::kLicence << '\n';
    return 0;
  }

  if (!kelvora::gui::CanOpenDisplay(argc, argv)) {
    std::fprintf(stderr, "%s\n", kelvora::gui::NoDisplayNotice().c_str());
    return kelvora::gui::kNoDisplayExitStatus;
  }
  QApplication app(argc, argv);  // takes Qt's own options out of argv
  // Qt adopts the user's locale for the C library; every figure of ours is
  // formatted and read with the C library, always with a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QString::fromLatin1(kelvora::gui::kProgramName));
  QApplication::setApplicationVersion(QString::fromUtf8(kelvora::kVersion));
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QString::fromUtf8(kelvora::kAppId));

  const kelvora::Result<kelvora::StartArguments> arguments =
      kelvora::ParseStartArguments(Arguments(argc, argv));
  if (!arguments) {
    std::cerr << "kelvora: error: " << arguments.reason() << '\n';
    return 2;
  }
  if (arguments->userFolder && !EnterUserFolder()) return 1;

  kelvora::TrackerModel model;
  kelvora::gui::TrackerDialogOptions options;
  options.settingsFolder = QDir::currentPath();
  kelvora::gui::TrackerDialog dialog(model, std::move(options));
  dialog.exec();
  return 0;
}

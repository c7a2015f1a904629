// Kelvora Win: the window program. It takes no options of its own; the
// settings files and the EME directory are looked for in the current folder.
#include <QApplication>
#include <QDir>

#include <clocale>
#include <cstdio>

#include "state/records.h"
#include "ui/display_probe.h"
#include "ui/tracker_dialog.h"

int main(int argc, char* argv[]) {
  if (!kelvora::gui::CanOpenDisplay(argv[0])) {
    std::fprintf(stderr, "%s\n", kelvora::gui::NoDisplayNotice().c_str());
    return kelvora::gui::kNoDisplayExitStatus;
  }
  QApplication app(argc, argv);
  // Qt adopts the user's locale for the C library; every figure of ours is
  // formatted and read with the C library, always with a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Kelvora Win"));
  kelvora::TrackerModel model;
  kelvora::gui::TrackerDialogOptions options;
  options.settingsFolder = QDir::currentPath();
  kelvora::gui::TrackerDialog dialog(model, std::move(options));
  dialog.exec();
  return 0;
}

#include "ui/dialogs/dialogs.h"

#include "ui/dialogs/station2_dialog.h"

namespace kelvora::gui {

void RunSetupDialog(TrackerModel&, const QString&, QWidget*) {}

void RunDirectorySearchDialog(const QString&, QWidget*) {}

void RunStarDataDialog(TrackerModel&, QWidget*) {}

Station2Dialog* CreateStation2Dialog(TrackerModel& model, const QString& directoryFile,
                                     QWidget* parent) {
  return new Station2Dialog(model, directoryFile, parent);
}

void RunStation2Dialog(Station2Dialog* dialog) { dialog->exec(); }

}  // namespace kelvora::gui

#include "ui/dialogs/dialogs.h"

#include "ui/dialogs/directory_search_dialog.h"
#include "ui/dialogs/setup_dialog.h"
#include "ui/dialogs/star_data_dialog.h"
#include "ui/dialogs/station2_dialog.h"

namespace kelvora::gui {

void RunSetupDialog(TrackerModel& model, const QString& settingsFolder, QWidget* parent) {
  SetupDialog dialog(model, settingsFolder, parent);
  dialog.exec();
}

void RunDirectorySearchDialog(const QString& directoryFile, QWidget* parent) {
  DirectorySearchDialog dialog(directoryFile, parent);
  dialog.exec();
}

void RunStarDataDialog(TrackerModel& model, QWidget* parent) {
  StarDataDialog dialog(model, parent);
  dialog.exec();
  // Escape leaves the texts the dialog opened with, so this copy is then a
  // no-op; every other way out brings the typed (or emptied) texts.
  model.tracking.userStarRa = StoredUserStarText(dialog.RaText());
  model.tracking.userStarDec = StoredUserStarText(dialog.DecText());
}

Station2Dialog* CreateStation2Dialog(TrackerModel& model, const QString& directoryFile,
                                     QWidget* parent) {
  return new Station2Dialog(model, directoryFile, parent);
}

void RunStation2Dialog(Station2Dialog* dialog) { dialog->exec(); }

}  // namespace kelvora::gui

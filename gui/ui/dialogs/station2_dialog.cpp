#include "ui/dialogs/station2_dialog.h"

namespace kelvora::gui {

Station2Dialog::Station2Dialog(TrackerModel& model, const QString& directoryFile, QWidget* parent)
    : QDialog(parent), model_(model), directoryFile_(directoryFile) {}

}  // namespace kelvora::gui

// "Station2 Location": the second station by call sign, locator or position.
#pragma once

#include <QDialog>
#include <QString>

#include "state/records.h"

namespace kelvora::gui {

class Station2Dialog : public QDialog {
  Q_OBJECT

 public:
  Station2Dialog(TrackerModel& model, const QString& directoryFile, QWidget* parent);

 private:
  TrackerModel& model_;
  QString directoryFile_;
};

}  // namespace kelvora::gui

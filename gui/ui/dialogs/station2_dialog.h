// "Station2 Location": the second station by call sign (from the EME
// directory), by locator or by latitude and longitude, with a small painted
// panel of its distance, bearing and approximate local time.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "state/records.h"
#include "stations/bearing.h"
#include "ui/dialogs/dialog_form.h"
#include "panel/drawing_resources.h"

class QLineEdit;
class QPushButton;

namespace kelvora::gui {

class Station2Dialog : public FormDialog {
  Q_OBJECT

 public:
  // Built once with the main window; directoryFile is the EME directory.
  Station2Dialog(TrackerModel& model, const QString& directoryFile, QWidget* parent);

  // Where the local time comes from (the clock value by default).
  void SetClock(std::function<std::int64_t()> clock);

  // The dialog's initialisation, which every handler also runs to refresh:
  // restores the saved locator, rounds the position, forms the local time
  // text and the bearing and distance texts, and shows it all.
  void RecomputeStation2();

  // "&Close": pulls with validation and stays open on a refused value.
  void accept() override;

  // The texts of the data panel as last formed.
  const BearingDistance& PanelFigures() const { return figures_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void done(int result) override;

 private:
  bool Pull();
  void Push();

  void CallKillFocus();
  void GridKillFocus();
  void LatitudeKillFocus();
  void LongitudeKillFocus();
  void CoordinateChanged();
  void MirrorStation();  // the position and locator fields from the station
  void DeleteClicked();
  void CloseClicked();

  TrackerModel& model_;
  QString directoryFile_;
  std::function<std::int64_t()> clock_;

  QString grid_;
  double latitude_;
  double longitude_;
  QString call_;
  BearingDistance figures_{};
  // LAT and LON as last shown, to tell whether the user has typed in them.
  QString shownLatitude_;
  QString shownLongitude_;

  QLineEdit* callEdit_;
  QLineEdit* gridEdit_;
  QLineEdit* latitudeEdit_;
  QLineEdit* longitudeEdit_;
  QPushButton* deleteButton_;
  QPushButton* closeButton_;
  QPushButton* sendButton_;
};

// The data panel's texts at their longest with their room, and the face it
// paints them in, fitted to that room.
std::vector<TextSlot> Station2PanelSlots();
QFont Station2PanelFont();

}  // namespace kelvora::gui

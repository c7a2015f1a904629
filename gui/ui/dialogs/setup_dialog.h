// "Setup Data": the home station's position, GMT offset, locator and
// distance unit. Fields take effect on the home station as they are left, so
// the window shows the new place at once; "&Save and  Exit" (the default
// button, also reached with Enter) keeps them and writes "Dorvakin.dat",
// while Escape or the close box puts everything back as it was.
#pragma once

#include <QString>

#include "state/records.h"
#include "ui/dialogs/dialog_form.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvora::gui {

class SetupDialog : public FormDialog {
  Q_OBJECT

 public:
  // settingsFolder is where "Dorvakin.dat" is written.
  SetupDialog(TrackerModel& model, const QString& settingsFolder, QWidget* parent = nullptr);

  // Takes every field over and writes the settings file; stays open when a
  // field is refused or the file cannot be written.
  void accept() override;
  // Puts the home station and the settings record back as they were when
  // the dialog opened.
  void reject() override;

 private:
  // Radio states of the exchange: 0 selected, -1 not selected.
  static constexpr int kSelected = 0;
  static constexpr int kNotSelected = -1;

  // All fields into the members, stopping at the first refused one.
  bool Pull();
  void Push();
  void PushUnitButtons();

  void LatitudeKillFocus();
  void LongitudeKillFocus();
  void GridKillFocus();
  void MilesClicked();
  void KmClicked();
  void SaveAndExitClicked();

  TrackerModel& model_;
  QString settingsFolder_;
  const HomeStation openedHome_;
  const StationSettings openedSettings_;

  double longitude_;
  int gmtOffset_;
  double latitude_;
  QString grid_;
  int kmState_ = kNotSelected;
  int milesState_ = kNotSelected;

  QLineEdit* latitudeEdit_;
  QLineEdit* longitudeEdit_;
  QLineEdit* gmtOffsetEdit_;
  QLineEdit* gridEdit_;
  QRadioButton* milesButton_;
  QRadioButton* kmButton_;
  QPushButton* saveButton_;
};

}  // namespace kelvora::gui

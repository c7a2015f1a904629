#include "ui/dialogs/setup_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <string>

#include "app/settings.h"
#include "tick/commands.h"
#include "ui/program.h"

namespace kelvora::gui {

namespace {
constexpr int kGridMaxLength = 6;
}  // namespace

SetupDialog::SetupDialog(TrackerModel& model, const QString& settingsFolder, QWidget* parent)
    : FormDialog(parent, QStringLiteral("Setup Data"), 107, 111, /*closeBox=*/true),
      model_(model),
      settingsFolder_(settingsFolder),
      openedHome_(model.home),
      openedSettings_(model.settings),
      longitude_(model.home.longitude),
      gmtOffset_(model.home.gmtOffsetHours),
      latitude_(model.home.latitude),
      grid_(QString::fromStdString(model.home.locator)) {
  const auto right = Qt::AlignRight | Qt::AlignTop;
  AddLabel(QStringLiteral("Latitude:"), 15, 3, 31, 11, right);
  latitudeEdit_ = AddEdit(kSetupLatitudeId, 46, 2, 38, 14, true);
  AddLabel(QStringLiteral("Longitude:"), 9, 19, 36, 10, right);
  longitudeEdit_ = AddEdit(kSetupLongitudeId, 45, 18, 38, 13, true);
  AddLabel(QStringLiteral("GMT Offset:"), 5, 35, 40, 10, right);
  gmtOffsetEdit_ = AddEdit(kSetupGmtOffsetId, 45, 34, 37, 13, true);
  AddLabel(QStringLiteral("Grid:"), 25, 49, 18, 14, right);
  gridEdit_ = AddEdit(kSetupGridId, 45, 51, 37, 13, true);
  gridEdit_->setMaxLength(kGridMaxLength);
  milesButton_ = AddRadio(kSetupMilesId, QStringLiteral("Show dist. in Miles"), 5, 66, 79, 9);
  kmButton_ = AddRadio(kSetupKmId, QStringLiteral("Show dist. in Km."), 5, 76, 75, 9);
  saveButton_ = AddButton(kSetupSaveId, QStringLiteral("&Save and  Exit"), 17, 94, 67, 14);
  // Enter saves, as the button does: the dialog's only way to keep a change.
  saveButton_->setDefault(true);

  setTabOrder(latitudeEdit_, longitudeEdit_);
  setTabOrder(longitudeEdit_, gmtOffsetEdit_);
  setTabOrder(gmtOffsetEdit_, gridEdit_);
  setTabOrder(gridEdit_, milesButton_);
  setTabOrder(milesButton_, kmButton_);
  setTabOrder(kmButton_, saveButton_);

  OnKillFocus(latitudeEdit_, [this] { LatitudeKillFocus(); });
  OnKillFocus(longitudeEdit_, [this] { LongitudeKillFocus(); });
  OnKillFocus(gridEdit_, [this] { GridKillFocus(); });
  connect(milesButton_, &QRadioButton::clicked, this, [this] { MilesClicked(); });
  connect(kmButton_, &QRadioButton::clicked, this, [this] { KmClicked(); });
  connect(saveButton_, &QPushButton::clicked, this, [this] { SaveAndExitClicked(); });

  // Initialisation: the unit buttons from the home station's distance unit;
  // any other value (a damaged settings file) selects neither.
  if (model_.home.distanceUnit == 0) kmState_ = kSelected;
  if (model_.home.distanceUnit == 1) {
    milesState_ = kSelected;
    kmState_ = kNotSelected;
  }
  Push();
  latitudeEdit_->setFocus();
}

bool SetupDialog::Pull() {
  // The limits the settings file is read with, so a saved home always loads.
  if (!PullNumber(longitudeEdit_, longitude_, -kLongitudeLimitDegrees, kLongitudeLimitDegrees)) {
    return false;
  }
  if (!PullInteger(gmtOffsetEdit_, gmtOffset_, -kGmtOffsetLimitHours, kGmtOffsetLimitHours)) {
    return false;
  }
  if (!PullNumber(latitudeEdit_, latitude_, -kLatitudeLimitDegrees, kLatitudeLimitDegrees)) {
    return false;
  }
  grid_ = gridEdit_->text().left(kGridMaxLength);
  kmState_ = kmButton_->isChecked() ? kSelected : kNotSelected;
  milesState_ = milesButton_->isChecked() ? kSelected : kNotSelected;
  return true;
}

void SetupDialog::Push() {
  longitudeEdit_->setText(FormatFieldNumber(longitude_));
  gmtOffsetEdit_->setText(QString::number(gmtOffset_));
  latitudeEdit_->setText(FormatFieldNumber(latitude_));
  gridEdit_->setText(grid_);
  PushUnitButtons();
}

void SetupDialog::PushUnitButtons() {
  kmButton_->setChecked(kmState_ == kSelected);
  milesButton_->setChecked(milesState_ == kSelected);
}

void SetupDialog::LatitudeKillFocus() {
  // A refused text leaves the member as it was; the handler goes on with it.
  Pull();
  SetHomeLatitude(model_, latitude_);
  grid_ = QString::fromStdString(model_.home.locator);
  Push();
}

void SetupDialog::LongitudeKillFocus() {
  Pull();
  SetHomeLongitude(model_, longitude_);
  grid_ = QString::fromStdString(model_.home.locator);
  Push();
}

void SetupDialog::GridKillFocus() {
  Pull();
  if (grid_.isEmpty()) return;
  // One, three or five characters cannot be completed to a subsquare: such
  // an entry changes nothing.
  if (!SetHomeFromLocator(model_, grid_.toStdString())) return;
  longitude_ = model_.home.longitude;
  latitude_ = model_.home.latitude;
  grid_ = QString::fromStdString(model_.home.locator);
  Push();
  update();
}

// The unit buttons show only their own states again: writing every member
// back would throw away a GMT offset typed but not yet saved.

void SetupDialog::MilesClicked() {
  model_.home.distanceUnit = 1;
  milesState_ = kSelected;
  kmState_ = kNotSelected;
  PushUnitButtons();
}

void SetupDialog::KmClicked() {
  model_.home.distanceUnit = 0;
  milesState_ = kNotSelected;
  kmState_ = kSelected;
  PushUnitButtons();
}

void SetupDialog::SaveAndExitClicked() { accept(); }

void SetupDialog::accept() {
  // The field being typed in acts first, however the button was reached
  // (Enter, its mnemonic Alt+S, a click). A refused field has been handed
  // back to the user: nothing is stored or written until it holds a number
  // within its limits.
  if (!RunFocusedFieldStep() || !Pull()) return;
  const WriteResult result = SaveHomeSettings(LocalPath(settingsFolder_), latitude_, longitude_,
                                              gmtOffset_, model_.settings, model_.home);
  if (!result) {
    // The values are in memory; the dialog stays open so that the user can
    // try again (or leave it, which puts the old values back).
    ShowMessage(QMessageBox::Warning, QString::fromStdString(result.reason()));
    return;
  }
  FormDialog::accept();
}

void SetupDialog::reject() {
  model_.home = openedHome_;
  model_.settings = openedSettings_;
  FormDialog::reject();
}

}  // namespace kelvora::gui

#include "ui/dialogs/station2_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include <filesystem>
#include <string>

#include "app/clock.h"
#include "stations/directory.h"
#include "stations/local_time.h"
#include "stations/locator.h"

namespace kelvora::gui {

namespace {

constexpr int kGridMaxLength = 6;
constexpr double kLatitudeLimit = 89.99;    // degrees either side of the equator
constexpr double kLongitudeLimit = 179.99;  // degrees either side of Greenwich
// What a GRID entry that is not a locator becomes.
constexpr const char* kFallbackLocator = "EL29HK";
constexpr const char* kCallNotAccepted = "N/A";

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

Station2Dialog::Station2Dialog(TrackerModel& model, const QString& directoryFile,
                               QWidget* parent)
    : FormDialog(parent, QStringLiteral("Station2 Location"), 135, 96, /*closeBox=*/false),
      model_(model),
      directoryFile_(directoryFile),
      clock_([] { return ClockValue(); }),
      grid_(QString::fromStdString(model.station2.locator)),
      latitude_(model.station2.latitude),
      longitude_(model.station2.longitude) {
  AddLabel(QStringLiteral("CALL:"), 6, 17, 23, 11);
  callEdit_ = AddEdit(kCallId, 30, 15, 37, 13, true);
  AddLabel(QStringLiteral("GRID:"), 6, 30, 20, 14, Qt::AlignLeft | Qt::AlignVCenter);
  gridEdit_ = AddEdit(kGridId, 30, 30, 37, 14, true);
  gridEdit_->setMaxLength(kGridMaxLength);
  AddLabel(QStringLiteral("LAT:"), 10, 49, 16, 12);
  latitudeEdit_ = AddEdit(kLatitudeId, 29, 47, 38, 13, true);
  AddLabel(QStringLiteral("LON:"), 9, 65, 18, 10);
  longitudeEdit_ = AddEdit(kLongitudeId, 29, 63, 37, 13, true);
  deleteButton_ = AddButton(kDeleteId, QStringLiteral("&Delete Stn2"), 12, 79, 55, 14);
  closeButton_ = AddButton(kCloseId, QStringLiteral("&Close"), 74, 78, 50, 14);

  setTabOrder(callEdit_, gridEdit_);
  setTabOrder(gridEdit_, latitudeEdit_);
  setTabOrder(latitudeEdit_, longitudeEdit_);
  setTabOrder(longitudeEdit_, deleteButton_);
  setTabOrder(deleteButton_, closeButton_);

  OnKillFocus(callEdit_, [this] { CallKillFocus(); });
  OnKillFocus(gridEdit_, [this] { GridKillFocus(); });
  OnKillFocus(latitudeEdit_, [this] { LatitudeKillFocus(); });
  OnKillFocus(longitudeEdit_, [this] { LongitudeKillFocus(); });
  connect(deleteButton_, &QPushButton::clicked, this, [this] { DeleteClicked(); });
  connect(closeButton_, &QPushButton::clicked, this, [this] { CloseClicked(); });

  Push();
}

void Station2Dialog::SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

bool Station2Dialog::Pull() {
  grid_ = gridEdit_->text().left(kGridMaxLength);
  if (!PullNumber(latitudeEdit_, latitude_, -kLatitudeLimit, kLatitudeLimit)) return false;
  if (!PullNumber(longitudeEdit_, longitude_, -kLongitudeLimit, kLongitudeLimit)) return false;
  call_ = callEdit_->text();
  return true;
}

void Station2Dialog::Push() {
  gridEdit_->setText(grid_);
  latitudeEdit_->setText(FormatFieldNumber(latitude_));
  longitudeEdit_->setText(FormatFieldNumber(longitude_));
  callEdit_->setText(call_);
  shownLatitude_ = latitudeEdit_->text();
  shownLongitude_ = longitudeEdit_->text();
}

void Station2Dialog::RecomputeStation2() {
  SecondStation& station = model_.station2;
  Push();
  station.latitude = RoundToHundredths(station.latitude);
  station.longitude = RoundToHundredths(station.longitude);
  // The Station2 command parks the locator while the dialog opens.
  if (station.locator.empty()) station.locator = station.savedLocator;
  grid_ = QString::fromStdString(station.locator);
  latitude_ = station.latitude;
  longitude_ = station.longitude;
  if (station.locator.empty()) call_.clear();
  // A click on the earth map placed the station: the old call is stale.
  if (station.callReset) {
    call_.clear();
    station.callReset = false;
  }
  station.localTimeText =
      LocalTimeText(station.longitude, clock_(), model_.home.gmtOffsetHours,
                    model_.tracking.timeOffset)
          .value_or(std::string());
  figures_ = BearingAndDistance(model_.home.latitude, model_.home.longitude, station.latitude,
                                station.longitude, model_.home.distanceUnit);
  Push();
  update();
}

// A refused value stops each handler: the user's text stays in its field,
// selected, and the second station is not touched until it is corrected.

void Station2Dialog::CallKillFocus() {
  if (!Pull()) return;
  const std::filesystem::path file(QFile::encodeName(directoryFile_).toStdString());
  const DirectoryResult found = ReadDirectory(file, call_.toStdString(), DirectoryMode::Record);
  std::string locator;
  if (found.status == DirectoryStatus::Found) {
    locator = ToUpperAscii(DirectoryLocatorColumns(found.text));
    if (!IsAcceptedDirectoryLocator(locator)) locator.clear();
  }
  const auto position = locator.empty() ? std::nullopt : LocatorToPosition(locator);
  if (position) {
    SecondStation& station = model_.station2;
    station.longitude = RoundToHundredths(position->longitude);
    longitude_ = station.longitude;
    station.latitude = RoundToHundredths(position->latitude);
    latitude_ = station.latitude;
    station.locator = PositionToLocator(station.latitude, station.longitude);
    grid_ = QString::fromStdString(station.locator);
  } else {
    call_ = QString::fromLatin1(kCallNotAccepted);
  }
  RecomputeStation2();
  Push();
  update();
}

void Station2Dialog::GridKillFocus() {
  if (!Pull()) return;
  if (grid_.isEmpty()) return;
  std::string copy = grid_.toStdString();
  if (copy.size() == 4) copy += "MM";
  std::optional<GeoPosition> position;
  if (IsAcceptedStation2Grid(copy)) position = LocatorToPosition(copy);
  if (!position) {
    copy = kFallbackLocator;
    grid_ = QString::fromLatin1(kFallbackLocator);
    position = LocatorToPosition(copy);
  }
  SecondStation& station = model_.station2;
  station.longitude = RoundToHundredths(position->longitude);
  longitude_ = station.longitude;
  station.latitude = RoundToHundredths(position->latitude);
  latitude_ = station.latitude;
  station.locator = PositionToLocator(station.latitude, station.longitude);
  grid_ = QString::fromStdString(station.locator);
  Push();
  RecomputeStation2();
  update();
}

// Leaving LAT or LON without typing in it changes nothing: otherwise merely
// tabbing through an empty dialog would place a station at 0, 0.

void Station2Dialog::LatitudeKillFocus() {
  CoordinateKillFocus(latitudeEdit_->text() == shownLatitude_, &SecondStation::latitude, latitude_);
}

void Station2Dialog::LongitudeKillFocus() {
  CoordinateKillFocus(longitudeEdit_->text() == shownLongitude_, &SecondStation::longitude,
                      longitude_);
}

// LAT and LON alike: the pulled member becomes the station's coordinate and
// the locator is made anew from the position.
void Station2Dialog::CoordinateKillFocus(bool unchanged, double SecondStation::*coordinate,
                                         const double& member) {
  if (unchanged) return;
  if (!Pull()) return;
  SecondStation& station = model_.station2;
  station.*coordinate = member;
  station.locator = PositionToLocator(station.latitude, station.longitude);
  grid_ = QString::fromStdString(station.locator);
  Push();
  RecomputeStation2();
  update();
}

void Station2Dialog::DeleteClicked() {
  latitude_ = 0.0;
  longitude_ = 0.0;
  grid_.clear();
  call_.clear();
  SecondStation& station = model_.station2;
  station.latitude = 0.0;
  station.longitude = 0.0;
  station.locator.clear();
  station.savedLocator.clear();
  Push();
  RecomputeStation2();
  update();
}

void Station2Dialog::CloseClicked() {
  model_.tracking.fullRepaintRequest = true;
  accept();
}

void Station2Dialog::accept() {
  if (!Pull()) return;
  FormDialog::accept();
}

void Station2Dialog::showEvent(QShowEvent* event) {
  FormDialog::showEvent(event);
  if (!event->spontaneous()) {
    RecomputeStation2();
    callEdit_->setFocus();
  }
}

void Station2Dialog::done(int result) {
  // However the dialog ends, the locator is parked in the saved locator (or
  // comes back from it) and the main window is redrawn in full.
  SecondStation& station = model_.station2;
  if (!station.locator.empty()) {
    station.savedLocator = station.locator;
  } else {
    station.locator = station.savedLocator;
  }
  model_.tracking.fullRepaintRequest = true;
  FormDialog::done(result);
}

std::vector<TextSlot> Station2PanelSlots() {
  // Labels up to the values beside them, values and the local time up to the
  // frame's right outline (x 199), at their longest.
  constexpr int kFrameInside = 199;
  return {{QStringLiteral("Dist.(Km):"), 158 - 113},
          {QStringLiteral("Dist. (Mi):"), 158 - 113},
          {QStringLiteral("Stn2 AZ:"), 165 - 113},
          {QStringLiteral("Appx. Local Time"), kFrameInside - 113},
          {QString::asprintf("%7.1f", 20038.0), kFrameInside - 158},
          {QString::asprintf("%2.0f°", 360.0), kFrameInside - 165},
          {QStringLiteral("Wed, 12:00pm"), kFrameInside - 116}};
}

QFont Station2PanelFont() {
  // Arial with a 13-pixel character cell: an em of 13 / 1.15 pixels, as
  // Arial's cell is 1.15 em tall. The weight asked for, 550, is drawn as
  // the normal weight by the window system it was chosen on (it makes text
  // bold only from 600); fontconfig would pick the bold face.
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return FitFontToSlots(font, Station2PanelSlots());
}

void Station2Dialog::paintEvent(QPaintEvent* event) {
  FormDialog::paintEvent(event);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // The panel's frame covers (110, 50) up to but not including (200, 125).
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(110, 50, 89, 74);

  painter.setFont(Station2PanelFont());
  painter.setBackgroundMode(Qt::TransparentMode);

  // Texts are placed by the top-left corner of their cell.
  const auto text = [&painter](int x, int y, const QString& s) {
    painter.drawText(QRect(x, y, 400, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, s);
  };
  painter.setPen(Qt::black);
  text(120, 38, QStringLiteral("Station2 Data"));
  text(113, 52, QStringLiteral("Dist.(Km):"));
  text(113, 66, QStringLiteral("Dist. (Mi):"));
  text(113, 80, QStringLiteral("Stn2 AZ:"));
  text(113, 96, QStringLiteral("Appx. Local Time"));

  if (model_.station2.locator.empty()) return;
  painter.setPen(QColor(0, 0, 255));
  text(116, 108, QString::fromStdString(model_.station2.localTimeText));
  text(158, 52, QString::fromStdString(figures_.kmText));
  text(158, 66, QString::fromStdString(figures_.mileText));
  text(165, 80, QString::fromStdString(figures_.bearingText));
}

}  // namespace kelvora::gui

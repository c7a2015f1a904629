#include "ui/dialogs/station2_dialog.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QToolTip>

#include <string>

#include "app/clock.h"
#include "tick/commands.h"
#include "ui/program.h"
#include "wsjtx/wsjtx_link.h"

namespace kelvora::gui {

namespace {

constexpr int kGridMaxLength = 6;
constexpr double kLatitudeLimit = 89.99;    // degrees either side of the equator
constexpr double kLongitudeLimit = 179.99;  // degrees either side of Greenwich
constexpr int kSendToWsjtxId = 2110;
// The CALL field's text when the call gave no station.
constexpr const char* kCallNotAccepted = kNotApplicableText;

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
  callEdit_ = AddEdit(kStation2CallId, 30, 15, 37, 13, true);
  AddLabel(QStringLiteral("GRID:"), 6, 30, 20, 14, Qt::AlignLeft | Qt::AlignVCenter);
  gridEdit_ = AddEdit(kStation2GridId, 30, 30, 37, 14, true);
  gridEdit_->setMaxLength(kGridMaxLength);
  AddLabel(QStringLiteral("LAT:"), 10, 49, 16, 12);
  latitudeEdit_ = AddEdit(kStation2LatitudeId, 29, 47, 38, 13, true);
  AddLabel(QStringLiteral("LON:"), 9, 65, 18, 10);
  longitudeEdit_ = AddEdit(kStation2LongitudeId, 29, 63, 37, 13, true);
  deleteButton_ = AddButton(kStation2DeleteId, QStringLiteral("&Delete Stn2"), 12, 79, 55, 14);
  closeButton_ = AddButton(kStation2CloseId, QStringLiteral("&Close"), 74, 78, 50, 14);
  // Above the data panel: the station shown becomes WSJT-X's DX call and grid.
  sendButton_ = AddButton(kSendToWsjtxId, QStringLiteral("Send to WSJT-X"), 74, 4, 56, 14);
  connect(sendButton_, &QPushButton::clicked, this, [this] {
    if (!Pull()) return;
    const QString call = call_ == QLatin1String(kCallNotAccepted) ? QString() : call_;
    sendButton_->setToolTip(SendDxRequest(this, call, QString::fromStdString(model_.station2.locator)));
    QToolTip::showText(sendButton_->mapToGlobal(QPoint(0, sendButton_->height())),
                       sendButton_->toolTip(), sendButton_);
  });

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
  Push();
  const Station2Refresh refresh = RefreshStation2(model_, clock_());
  MirrorStation();
  if (refresh.clearCall) call_.clear();
  figures_ = refresh.path;
  Push();
  update();
}

void Station2Dialog::MirrorStation() {
  const SecondStation& station = model_.station2;
  grid_ = QString::fromStdString(station.locator);
  latitude_ = station.latitude;
  longitude_ = station.longitude;
}

// A refused value stops each handler: the user's text stays in its field,
// selected, and the second station is not touched until it is corrected.

void Station2Dialog::CallKillFocus() {
  if (!Pull()) return;
  if (PlaceStation2FromDirectory(model_, LocalPath(directoryFile_), call_.toStdString())) {
    MirrorStation();
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
  PlaceStation2AtGridEntry(model_, grid_.toStdString());
  MirrorStation();
  Push();
  RecomputeStation2();
  update();
}

// Leaving LAT or LON without typing in it changes nothing: otherwise merely
// tabbing through an empty dialog would place a station at 0, 0.

void Station2Dialog::LatitudeKillFocus() {
  if (latitudeEdit_->text() == shownLatitude_) return;
  if (!Pull()) return;
  PlaceStation2(model_, latitude_, model_.station2.longitude);
  CoordinateChanged();
}

void Station2Dialog::LongitudeKillFocus() {
  if (longitudeEdit_->text() == shownLongitude_) return;
  if (!Pull()) return;
  PlaceStation2(model_, model_.station2.latitude, longitude_);
  CoordinateChanged();
}

void Station2Dialog::CoordinateChanged() {
  grid_ = QString::fromStdString(model_.station2.locator);
  Push();
  RecomputeStation2();
  update();
}

void Station2Dialog::DeleteClicked() {
  latitude_ = 0.0;
  longitude_ = 0.0;
  grid_.clear();
  call_.clear();
  RemoveStation2(model_);
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
  // However the dialog ends, the locator is parked (or comes back) and the
  // main window is redrawn in full.
  UnparkStation2Locator(model_);
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
  // The panel's frame: its outline's right and bottom edges lie on the last
  // column and row inside kStation2DataPanel.
  const PixelRect& frame = kStation2DataPanel;
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawRect(frame.left, frame.top, frame.right - frame.left - 1,
                   frame.bottom - frame.top - 1);

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

  if (!model_.station2.HasLocator()) return;
  painter.setPen(QColor(0, 0, 255));
  text(116, 108, QString::fromStdString(model_.station2.localTimeText));
  text(158, 52, QString::fromStdString(figures_.kmText));
  text(158, 66, QString::fromStdString(figures_.mileText));
  text(165, 80, QString::fromStdString(figures_.bearingText));
}

}  // namespace kelvora::gui

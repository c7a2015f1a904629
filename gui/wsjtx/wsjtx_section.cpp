#include "wsjtx/wsjtx_section.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <utility>

#include "tick/commands.h"
#include "ui/program.h"
#include "wsjtx/udp_socket.h"
#include "wsjtx/wsjtx_link.h"

namespace kelvora::gui {

namespace {

constexpr const char* kGroup = "wsjtx";
constexpr const char* kStation2Key = "followDxStation";
constexpr const char* kTransmitKey = "followTransmit";
constexpr const char* kDialKey = "followDial";
// Lines of "what was taken" kept on show.
constexpr int kTakenLines = 5;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString StatusText(const wsjtx::Status& s) {
  const std::optional<int> period = wsjtx::StatusPeriodSeconds(s);
  const std::string& call = wsjtx::TextOf(s.dxCall);
  const std::string& grid = wsjtx::TextOf(s.dxGrid);
  return QStringLiteral("%1: %2 Hz %3, DX %4 %5, %6%7")
      .arg(Text(s.id))
      .arg(s.dialHz)
      .arg(Text(wsjtx::TextOf(s.mode)), call.empty() ? QStringLiteral("-") : Text(call),
           grid.empty() ? QStringLiteral("-") : Text(grid),
           s.transmitting ? QStringLiteral("transmitting") : QStringLiteral("receiving"),
           period ? QStringLiteral(", T/R %1 s").arg(*period) : QString());
}

}  // namespace

WsjtxSection::WsjtxSection(TrackerModel& model, QSettings& store, WsjtxLink* link,
                           WsjtxRadioHooks radio, QString directoryFile, QWidget* parent)
    : QGroupBox(QStringLiteral("WSJT-X"), parent),
      model_(model),
      store_(store),
      linkObject_(link),
      radio_(std::move(radio)),
      directoryFile_(std::move(directoryFile)) {
  setObjectName(QStringLiteral("wsjtxSection"));
  store_.beginGroup(QString::fromLatin1(kGroup));
  wsjtx::FollowSettings& follow = follower_.settings();
  follow.station2 = store_.value(kStation2Key, true).toBool();
  follow.transmit = store_.value(kTransmitKey, true).toBool();
  follow.dial = store_.value(kDialKey, true).toBool();
  store_.endGroup();

  auto* grid = new QGridLayout(this);
  int row = 0;
  grid->addWidget(new QLabel(QStringLiteral("UDP port"), this), row, 0);
  port_ = new QSpinBox(this);
  port_->setRange(1, 65535);
  port_->setValue(link->options().port);
  grid->addWidget(port_, row, 1);
  grid->addWidget(new QLabel(QStringLiteral("Multicast group"), this), row, 2);
  group_ = new QLineEdit(link->options().group, this);
  group_->setPlaceholderText(QStringLiteral("unicast"));
  grid->addWidget(group_, row, 3);
  ++row;
  otherHosts_ = new QCheckBox(QStringLiteral("Accept other hosts"), this);
  otherHosts_->setChecked(link->options().allowOtherHosts);
  grid->addWidget(otherHosts_, row, 0, 1, 2);
  listen_ = new QPushButton(QStringLiteral("Listen"), this);
  grid->addWidget(listen_, row, 3);
  ++row;
  followStation2_ = new QCheckBox(QStringLiteral("DX call and grid place Station2"), this);
  followTransmit_ = new QCheckBox(QStringLiteral("Transmit periods drive the radio"), this);
  followDial_ = new QCheckBox(QStringLiteral("Band changes set the radio's dial"), this);
  followStation2_->setChecked(follow.station2);
  followTransmit_->setChecked(follow.transmit);
  followDial_->setChecked(follow.dial);
  grid->addWidget(followStation2_, row++, 0, 1, 4);
  grid->addWidget(followTransmit_, row++, 0, 1, 4);
  grid->addWidget(followDial_, row++, 0, 1, 4);

  const auto addText = [this, grid, &row](const char* title) {
    grid->addWidget(new QLabel(QString::fromLatin1(title), this), row, 0);
    auto* label = new QLabel(this);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    grid->addWidget(label, row++, 1, 1, 3);
    return label;
  };
  link_ = addText("Link");
  status_ = addText("Last Status");
  taken_ = addText("Taken");
  status_->setText(QStringLiteral("-"));
  taken_->setText(QStringLiteral("-"));
  message_ = new QLabel(this);
  message_->setStyleSheet(QStringLiteral("color: #b00000"));
  grid->addWidget(message_, row, 0, 1, 4);

  connect(listen_, &QPushButton::clicked, this, &WsjtxSection::ApplyListenFields);
  connect(group_, &QLineEdit::returnPressed, this, &WsjtxSection::ApplyListenFields);
  for (QCheckBox* box : {followStation2_, followTransmit_, followDial_}) {
    connect(box, &QCheckBox::toggled, this, &WsjtxSection::SwitchesChanged);
  }
  connect(link, &WsjtxLink::changed, this, &WsjtxSection::ShowLink);
  connect(link, &WsjtxLink::statusReceived, this, &WsjtxSection::TakeStatus);
  // WSJT-X gone: its transmit state no longer stands for the rig's.
  connect(link, &WsjtxLink::instanceClosed, this, [this](const QString& id) {
    follower_.Forget();
    if (radio_.setTransmit) radio_.setTransmit(std::nullopt, std::nullopt);
    AddTaken({id.toStdString() + " closed: the rig's own PTT query again"});
  });
  ShowLink();
}

void WsjtxSection::ApplyListenFields() {
  WsjtxLink::Options options;
  options.port = port_->value();
  options.group = group_->text().trimmed();
  options.allowOtherHosts = otherHosts_->isChecked();
  if (!options.group.isEmpty()) {
    if (const auto checked = wsjtx::CheckMulticastGroup(options.group.toStdString()); !checked) {
      // The link keeps listening as before; the text stays for mending.
      message_->setText(QStringLiteral("Multicast group: ") + Text(checked.reason()));
      group_->selectAll();
      return;
    }
  }
  message_->clear();
  follower_.Forget();
  linkObject_->Listen(options);
}

void WsjtxSection::SwitchesChanged() {
  wsjtx::FollowSettings& follow = follower_.settings();
  const bool transmitWas = follow.transmit;
  follow.station2 = followStation2_->isChecked();
  follow.transmit = followTransmit_->isChecked();
  follow.dial = followDial_->isChecked();
  store_.beginGroup(QString::fromLatin1(kGroup));
  store_.setValue(kStation2Key, follow.station2);
  store_.setValue(kTransmitKey, follow.transmit);
  store_.setValue(kDialKey, follow.dial);
  store_.endGroup();
  // Switched off: the rig's own PTT query again.
  if (transmitWas && !follow.transmit && radio_.setTransmit) {
    radio_.setTransmit(std::nullopt, std::nullopt);
  }
}

void WsjtxSection::ShowLink() { link_->setText(linkObject_->LinkText()); }

void WsjtxSection::AddTaken(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) takenLines_.append(Text(line));
  while (takenLines_.size() > kTakenLines) takenLines_.removeFirst();
  if (!takenLines_.isEmpty()) taken_->setText(takenLines_.join(QLatin1Char('\n')));
}

void WsjtxSection::TakeStatus(const wsjtx::Status& status) {
  status_->setText(StatusText(status));
  const double radioDial = radio_.dialHz ? radio_.dialHz() : 0.0;
  wsjtx::FollowCommands commands = follower_.OnStatus(status, radioDial);
  if (commands.station2Locator) {
    // The follower passes only locators that name a subsquare.
    static_cast<void>(PlaceStation2AtLocator(model_, *commands.station2Locator));
    model_.tracking.fullRepaintRequest = true;
  } else if (commands.directoryCall) {
    if (PlaceStation2FromDirectory(model_, LocalPath(directoryFile_), *commands.directoryCall)) {
      model_.tracking.fullRepaintRequest = true;
      commands.taken.push_back(*commands.directoryCall + ": second station at " +
                               model_.station2.locator);
    } else {
      commands.taken.push_back(*commands.directoryCall +
                               " is not in the directory: the second station stays");
    }
  }
  if (radio_.setTransmit && (commands.transmitting || commands.trPeriodSeconds)) {
    radio_.setTransmit(commands.transmitting, commands.trPeriodSeconds);
  }
  if (commands.dialHz && radio_.setDial) radio_.setDial(*commands.dialHz);
  AddTaken(commands.taken);
}

}  // namespace kelvora::gui

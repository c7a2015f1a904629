#include "station/radio_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/clock.h"
#include "astro/time_helpers.h"
#include "control/radio_texts.h"
#include "wsjtx/wsjtx_follower.h"

namespace kelvora::gui {

namespace {

constexpr int kPeriodMs = 1000;
constexpr int kPollMs = 50;

// Setting keys, in the "radio" group of the station-control store.
constexpr const char* kGroup = "radio";
constexpr const char* kHostKey = "host";
constexpr const char* kPortKey = "port";
constexpr const char* kDialKey = "dialHz";
constexpr const char* kMethodKey = "method";
constexpr const char* kStepKey = "stepHz";
constexpr const char* kOffsetKey = "transmitOffsetHz";
constexpr const char* kFixedKey = "fixedDuringTransmit";
constexpr const char* kTransmissionKey = "transmissionSeconds";

constexpr const char* kDefaultHost = "127.0.0.1";

constexpr std::array<DopplerMethod, 4> kMethods = {
    DopplerMethod::Off, DopplerMethod::OwnEcho, DopplerMethod::OnTheMoon, DopplerMethod::FullToDx};
constexpr std::array<const char*, 4> kMethodTitles = {
    "Off (figures only)", "Own echo", "Constant on the moon", "Full correction to DX"};

constexpr std::array<const char*, RadioPanel::kFieldCount> kFieldTitles = {
    "Echo Doppler", "DX Doppler", "Figures", "Wanted", "Sent", "Read back",
    "Operator tuned", "State", "Connection"};

QString HertzString(double hz) { return QString::fromStdString(HertzText(hz)); }

}  // namespace

RadioPanel::RadioPanel(const TrackerModel& model, QSettings& settings, RadioPanelOptions options,
                       QWidget* parent)
    : QGroupBox(QStringLiteral("Radio (rigctld)"), parent),
      model_(model),
      store_(settings),
      options_(std::move(options)) {
  if (!options_.utcNow) {
    options_.utcNow = [&model] {
      return TimeBase{model.home.gmtOffsetHours, 0}.Adjust(ClockValue());
    };
  }
  BuildWidgets();
  LoadSettings();
  ShowSettings();

  periodTimer_ = new QTimer(this);
  periodTimer_->setInterval(kPeriodMs);
  connect(periodTimer_, &QTimer::timeout, this, &RadioPanel::RunPeriod);
  pollTimer_ = new QTimer(this);
  pollTimer_->setInterval(kPollMs);
  connect(pollTimer_, &QTimer::timeout, this, &RadioPanel::PollSession);
  if (options_.startTimers) periodTimer_->start();
  RunPeriod();
}

RadioPanel::RadioPanel(StationContext& context, QWidget* parent)
    : RadioPanel(context.model, context.settings, RadioPanelOptions{context.utcNow, true, {}},
                 parent) {}

RadioPanel::~RadioPanel() = default;

void RadioPanel::BuildWidgets() {
  auto* grid = new QGridLayout(this);
  int row = 0;
  const auto label = [this, grid](const char* text, int r, int column) {
    grid->addWidget(new QLabel(QString::fromLatin1(text), this), r, column);
  };

  label("rigctld host, port", row, 0);
  host_ = new QLineEdit(this);
  grid->addWidget(host_, row, 1);
  port_ = new QSpinBox(this);
  port_->setRange(1, 65535);
  grid->addWidget(port_, row, 2);
  track_ = new QPushButton(QStringLiteral("Track"), this);
  track_->setCheckable(true);
  grid->addWidget(track_, row, 3);
  hold_ = new QPushButton(QStringLiteral("Hold"), this);
  hold_->setCheckable(true);
  hold_->setEnabled(false);
  grid->addWidget(hold_, row, 4);
  ++row;

  label("Band", row, 0);
  band_ = new QComboBox(this);
  band_->addItem(QStringLiteral("-"));
  for (const std::int64_t hz : kBandPresetsHz) {
    band_->addItem(QStringLiteral("%1 MHz").arg(hz / 1'000'000), QVariant::fromValue(hz));
  }
  grid->addWidget(band_, row, 1);
  label("Dial Hz", row, 2);
  dial_ = new QLineEdit(this);
  grid->addWidget(dial_, row, 3, 1, 2);
  ++row;

  label("Method", row, 0);
  method_ = new QComboBox(this);
  for (const char* title : kMethodTitles) method_->addItem(QString::fromLatin1(title));
  grid->addWidget(method_, row, 1);
  label("Step", row, 2);
  step_ = new QComboBox(this);
  for (const int hz : kRigStepsHz) step_->addItem(QStringLiteral("%1 Hz").arg(hz), hz);
  grid->addWidget(step_, row, 3, 1, 2);
  ++row;

  label("TX offset Hz", row, 0);
  offset_ = new QLineEdit(this);
  grid->addWidget(offset_, row, 1);
  fixedDuringTx_ = new QCheckBox(QStringLiteral("Fixed during TX, s"), this);
  grid->addWidget(fixedDuringTx_, row, 2, 1, 2);
  transmission_ = new QSpinBox(this);
  transmission_->setRange(1, 3600);
  grid->addWidget(transmission_, row, 4);
  ++row;

  for (int field = 0; field < kFieldCount; ++field, ++row) {
    label(kFieldTitles[static_cast<std::size_t>(field)], row, 0);
    texts_[static_cast<std::size_t>(field)] = new QLabel(this);
    texts_[static_cast<std::size_t>(field)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(texts_[static_cast<std::size_t>(field)], row, 1, 1, 4);
  }
  message_ = new QLabel(this);
  message_->setStyleSheet(QStringLiteral("color: #b00000"));
  grid->addWidget(message_, row, 0, 1, 5);

  connect(track_, &QPushButton::toggled, this, &RadioPanel::StartTracking);
  connect(hold_, &QPushButton::toggled, this, [this](bool on) {
    if (!session_) return;
    if (on) {
      session_->control().Hold();
    } else {
      session_->control().Release();
    }
    Refresh();
  });
  connect(band_, &QComboBox::activated, this, [this](int index) {
    const QVariant hz = band_->itemData(index);
    if (!hz.isValid()) return;
    dial_->setText(QString::number(hz.toLongLong()));
    DialEdited();
  });
  connect(dial_, &QLineEdit::editingFinished, this, &RadioPanel::DialEdited);
  connect(offset_, &QLineEdit::editingFinished, this, &RadioPanel::OffsetEdited);
  connect(method_, &QComboBox::activated, this, &RadioPanel::OtherSettingEdited);
  connect(step_, &QComboBox::activated, this, &RadioPanel::OtherSettingEdited);
  connect(fixedDuringTx_, &QCheckBox::toggled, this, &RadioPanel::OtherSettingEdited);
  connect(transmission_, &QSpinBox::valueChanged, this, &RadioPanel::OtherSettingEdited);
  connect(host_, &QLineEdit::editingFinished, this, &RadioPanel::SaveSettings);
  connect(port_, &QSpinBox::valueChanged, this, &RadioPanel::SaveSettings);
}

// Stored values that are missing or out of range give the defaults.
void RadioPanel::LoadSettings() {
  store_.beginGroup(QString::fromLatin1(kGroup));
  const RadioControlSettings defaults;
  bool ok = false;
  const double dial = store_.value(kDialKey).toDouble(&ok);
  settings_.dialHz = ok && IsRadioFrequency(dial) ? dial : defaults.dialHz;
  const auto method =
      ParseDopplerMethod(store_.value(kMethodKey).toString().toStdString());
  settings_.method = method ? *method : defaults.method;
  const int step = store_.value(kStepKey).toInt(&ok);
  settings_.stepHz = ok && IsRigStep(step) ? step : defaults.stepHz;
  const double offset = store_.value(kOffsetKey).toDouble(&ok);
  settings_.transmitOffsetHz =
      ok && std::isfinite(offset) && std::fabs(offset) < kHighestRadioHz ? offset : 0.0;
  settings_.changesWhileTransmitting = !store_.value(kFixedKey, false).toBool();
  const int seconds = store_.value(kTransmissionKey).toInt(&ok);
  settings_.transmissionSeconds = ok && seconds >= 1 && seconds <= 3600
                                      ? seconds
                                      : defaults.transmissionSeconds;
  QString host = store_.value(kHostKey).toString().trimmed();
  host_->setText(host.isEmpty() ? QString::fromLatin1(kDefaultHost) : host);
  const int port = store_.value(kPortKey).toInt(&ok);
  const QSignalBlocker block(port_);
  port_->setValue(ok && port >= 1 && port <= 65535 ? port : kDefaultRigctldPort);
  store_.endGroup();
}

void RadioPanel::SaveSettings() {
  store_.beginGroup(QString::fromLatin1(kGroup));
  store_.setValue(kHostKey, host_->text().trimmed());
  store_.setValue(kPortKey, port_->value());
  store_.setValue(kDialKey, settings_.dialHz);
  store_.setValue(kMethodKey, QString::fromLatin1(DopplerMethodName(settings_.method)));
  store_.setValue(kStepKey, settings_.stepHz);
  store_.setValue(kOffsetKey, settings_.transmitOffsetHz);
  store_.setValue(kFixedKey, !settings_.changesWhileTransmitting);
  store_.setValue(kTransmissionKey, settings_.transmissionSeconds);
  store_.endGroup();
}

void RadioPanel::ShowSettings() {
  const QSignalBlocker blockFixed(fixedDuringTx_);
  const QSignalBlocker blockTransmission(transmission_);
  dial_->setText(HertzString(settings_.dialHz));
  const int band = band_->findData(QVariant::fromValue(std::llround(settings_.dialHz)));
  band_->setCurrentIndex(band >= 0 ? band : 0);
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (kMethods[i] == settings_.method) method_->setCurrentIndex(static_cast<int>(i));
  }
  step_->setCurrentIndex(step_->findData(settings_.stepHz));
  offset_->setText(QString::number(settings_.transmitOffsetHz, 'f', 0));
  fixedDuringTx_->setChecked(!settings_.changesWhileTransmitting);
  transmission_->setValue(settings_.transmissionSeconds);
  transmission_->setEnabled(!settings_.changesWhileTransmitting);
}

void RadioPanel::StartTracking(bool on) {
  if (!on) {
    pollTimer_->stop();
    session_.reset();
    const QSignalBlocker block(hold_);
    hold_->setChecked(false);
    hold_->setEnabled(false);
    Refresh();
    return;
  }
  const QString host = host_->text().trimmed();
  if (host.isEmpty()) {
    message_->setText(QStringLiteral("rigctld: enter the host the daemon runs on"));
    const QSignalBlocker block(track_);
    track_->setChecked(false);
    return;
  }
  SaveSettings();
  session_ = std::make_unique<RadioSession>(host.toStdString(), port_->value(), settings_,
                                            options_.timing);
  FollowTransmit(followedTransmit_, followedPeriod_);
  hold_->setEnabled(true);
  if (options_.startTimers) pollTimer_->start();
  RunPeriod();
}

void RadioPanel::FollowTransmit(std::optional<bool> transmitting,
                                std::optional<int> periodSeconds) {
  followedTransmit_ = transmitting;
  followedPeriod_ = periodSeconds;
  if (!session_) return;
  session_->SetTransmitState(
      transmitting ? std::optional<Ptt>(*transmitting ? Ptt::Transmitting : Ptt::Receiving)
                   : std::nullopt);
}

void RadioPanel::FollowDial(double hz) {
  if (!IsRadioFrequency(hz)) return;
  message_->clear();
  settings_.dialHz = hz;
  ApplyToSession();
}

void RadioPanel::DialEdited() {
  const std::optional<double> hz = ParseDialHz(dial_->text().toStdString());
  if (!hz) {
    // The last good dial stays in force; the typed text stays for mending.
    message_->setText(QStringLiteral("Dial: '%1' is not a frequency in Hz between 0 and 300 GHz")
                          .arg(dial_->text()));
    dial_->selectAll();
    return;
  }
  message_->clear();
  settings_.dialHz = *hz;
  ApplyToSession();
}

void RadioPanel::OffsetEdited() {
  bool ok = false;
  const double hz = offset_->text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(hz) || std::fabs(hz) >= kHighestRadioHz) {
    message_->setText(
        QStringLiteral("TX offset: '%1' is not a number of Hz").arg(offset_->text()));
    offset_->selectAll();
    return;
  }
  message_->clear();
  settings_.transmitOffsetHz = hz;
  ApplyToSession();
}

void RadioPanel::OtherSettingEdited() {
  settings_.method = kMethods.at(static_cast<std::size_t>(std::max(0, method_->currentIndex())));
  settings_.stepHz = step_->currentData().toInt();
  settings_.changesWhileTransmitting = !fixedDuringTx_->isChecked();
  settings_.transmissionSeconds = transmission_->value();
  ApplyToSession();
}

void RadioPanel::ApplyToSession() {
  if (session_) {
    DopplerController& control = session_->control();
    control.SetDial(settings_.dialHz);
    control.SetMethod(settings_.method);
    control.SetStep(settings_.stepHz);
    control.SetTransmitOffset(settings_.transmitOffsetHz);
    control.SetChangesWhileTransmitting(settings_.changesWhileTransmitting);
    control.SetTransmissionSeconds(settings_.transmissionSeconds);
  }
  SaveSettings();
  ShowSettings();
  RunPeriod();
}

void RadioPanel::RunPeriod() {
  const std::int64_t utc = options_.utcNow();
  const RadioSite home{model_.home.latitude, model_.home.longitude};
  std::optional<RadioSite> dx;
  if (model_.station2.IsSet()) dx = RadioSite{model_.station2.latitude, model_.station2.longitude};
  figures_ = DopplerFiguresAt(home, dx, utc, settings_.dialHz);
  if (session_) {
    // With WSJT-X's periods known, a rig that cannot change while it
    // transmits gets the transmit side for the middle of the next period.
    const RadioControlSettings& now = session_->control().settings();
    const auto rates = followedPeriod_ && !now.changesWhileTransmitting
                           ? wsjtx::RatesForTransmitPeriods(home, dx, utc, *followedPeriod_)
                           : RatesForPeriod(now, home, dx, utc);
    if (rates) session_->StartPeriod(*rates);
  }
  PollSession();
}

void RadioPanel::PollSession() {
  if (session_) {
    session_->Poll();
    // The operator's hand moved the dial: show and keep where it went.
    const double dial = session_->control().dialHz();
    if (dial != settings_.dialHz) {
      settings_.dialHz = dial;
      SaveSettings();
      ShowSettings();
    }
  }
  Refresh();
}

void RadioPanel::Refresh() {
  const RadioTexts t = MakeRadioTexts(
      figures_, session_ ? std::optional<RadioReport>(session_->report()) : std::nullopt);
  const std::array<const std::string*, kFieldCount> values = {
      &t.echo, &t.dx, &t.figures, &t.wanted, &t.sent, &t.heard, &t.tuned, &t.state, &t.link};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const QString text = QString::fromStdString(*values[i]);
    if (texts_[i]->text() != text) texts_[i]->setText(text);
  }
}

}  // namespace kelvora::gui

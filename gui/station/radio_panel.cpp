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
#include "station/rotator_settings.h"
#include "station/status_label.h"

namespace kelvora::gui {

namespace {

constexpr int kPeriodMs = 1000;
constexpr int kPollMs = 50;

constexpr std::array<DopplerMethod, 4> kMethods = {
    DopplerMethod::Off, DopplerMethod::OwnEcho, DopplerMethod::OnTheMoon, DopplerMethod::FullToDx};
constexpr std::array<const char*, 4> kMethodTitles = {
    "Off (figures only)", "Own echo", "Constant on the moon", "Full correction to DX"};

constexpr std::array<const char*, RadioPanel::kFieldCount> kFieldTitles = {
    "Echo Doppler", "DX Doppler", "Figures", "Spread", "Delay, rate", "Wanted", "Sent", "Read back",
    "Operator tuned", "State", "Connection"};

QString HertzString(double hz) { return QString::fromStdString(HertzText(hz)); }

}  // namespace

RadioPanel::RadioPanel(TrackerModel& model, QSettings& settings, StationService* service,
                       RadioPanelOptions options, QWidget* parent)
    : QGroupBox(QStringLiteral("Radio (rigctld)"), parent),
      store_(settings),
      options_(std::move(options)),
      service_(service) {
  if (!options_.utcNow) {
    options_.utcNow = [&model] {
      return TimeBase{model.home.gmtOffsetHours, 0}.Adjust(ClockValue());
    };
  }
  if (service_ == nullptr) {
    ownService_ = std::make_unique<StationService>(model, LoadStationConfig(store_, nullptr),
                                                   options_.timing);
    service_ = ownService_.get();
  }
  BuildWidgets();
  ShowSettings();

  periodTimer_ = new QTimer(this);
  periodTimer_->setInterval(kPeriodMs);
  connect(periodTimer_, &QTimer::timeout, this, &RadioPanel::RunPeriod);
  pollTimer_ = new QTimer(this);
  pollTimer_->setInterval(kPollMs);
  connect(pollTimer_, &QTimer::timeout, this, &RadioPanel::PollSession);
  if (options_.startTimers) {
    periodTimer_->start();
    pollTimer_->start();
  }
  RunPeriod();
}

RadioPanel::RadioPanel(TrackerModel& model, QSettings& settings, RadioPanelOptions options,
                       QWidget* parent)
    : RadioPanel(model, settings, nullptr, std::move(options), parent) {}

RadioPanel::RadioPanel(StationContext& context, QWidget* parent)
    : RadioPanel(context.model, context.settings, &context.service,
                 RadioPanelOptions{context.utcNow, true, {}}, parent) {}

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
    texts_[static_cast<std::size_t>(field)]->setTextFormat(Qt::PlainText);
    // What a rig sends never widens the window.
    texts_[static_cast<std::size_t>(field)]->setSizePolicy(QSizePolicy::Ignored,
                                                           QSizePolicy::Preferred);
    grid->addWidget(texts_[static_cast<std::size_t>(field)], row, 1, 1, 4);
  }
  message_ = new QLabel(this);
  message_->setStyleSheet(QStringLiteral("color: #b00000"));
  message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  grid->addWidget(message_, row, 0, 1, 5);

  connect(track_, &QPushButton::toggled, this, &RadioPanel::StartTracking);
  connect(hold_, &QPushButton::toggled, this, [this](bool on) {
    service_->HoldRadio(on);
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
  connect(host_, &QLineEdit::editingFinished, this, &RadioPanel::EndpointEdited);
  connect(port_, &QSpinBox::valueChanged, this, &RadioPanel::EndpointEdited);
}

void RadioPanel::SaveSettings() { SaveStationConfig(store_, service_->Config()); }

bool RadioPanel::ApplyConfig(const StationConfig& config) {
  if (const Status applied = service_->Apply(config); !applied) {
    ownMessage_ = QString::fromStdString(applied.reason());
    message_->setText(ownMessage_);
    return false;
  }
  ownMessage_.clear();
  message_->clear();
  SaveSettings();
  return true;
}

void RadioPanel::EndpointEdited() {
  StationConfig config = service_->Config();
  config.radio.host = host_->text().trimmed().toStdString();
  config.radio.port = port_->value();
  // A new host or port takes effect at once: the service reconnects.
  ApplyConfig(config);
  Refresh();
}

void RadioPanel::ShowSettings() {
  const RadioControlSettings& shown = service_->Config().radio.control;
  const QSignalBlocker blockFixed(fixedDuringTx_);
  const QSignalBlocker blockTransmission(transmission_);
  const QSignalBlocker blockPort(port_);
  host_->setText(QString::fromStdString(service_->Config().radio.host));
  port_->setValue(service_->Config().radio.port);
  shownDialHz_ = shown.dialHz;
  dial_->setText(HertzString(shown.dialHz));
  const int band = band_->findData(QVariant::fromValue(std::llround(shown.dialHz)));
  band_->setCurrentIndex(band >= 0 ? band : 0);
  for (std::size_t i = 0; i < kMethods.size(); ++i) {
    if (kMethods[i] == shown.method) method_->setCurrentIndex(static_cast<int>(i));
  }
  step_->setCurrentIndex(step_->findData(shown.stepHz));
  offset_->setText(QString::number(shown.transmitOffsetHz, 'f', 0));
  fixedDuringTx_->setChecked(!shown.changesWhileTransmitting);
  transmission_->setValue(shown.transmissionSeconds);
  transmission_->setEnabled(!shown.changesWhileTransmitting);
}

void RadioPanel::StartTracking(bool on) {
  if (on && host_->text().trimmed().isEmpty()) {
    message_->setText(QStringLiteral("rigctld: enter the host the daemon runs on"));
    const QSignalBlocker block(track_);
    track_->setChecked(false);
    return;
  }
  if (on) EndpointEdited();
  service_->TrackRadio(on);
  if (!on) {
    const QSignalBlocker block(hold_);
    hold_->setChecked(false);
  }
  hold_->setEnabled(on);
  if (on) {
    RunPeriod();
  } else {
    Refresh();
  }
}

void RadioPanel::FollowTransmit(std::optional<bool> transmitting,
                                std::optional<int> periodSeconds) {
  service_->SetTransmitting(transmitting);
  service_->SetTransmitPeriod(periodSeconds);
}

void RadioPanel::FollowDial(double hz) {
  if (!IsRadioFrequency(hz)) return;
  message_->clear();
  StationConfig config = service_->Config();
  config.radio.control.dialHz = hz;
  ApplyToSession(config);
}

void RadioPanel::DialEdited() {
  const Result<double> hz = ParseDialHz(dial_->text().toStdString());
  if (!hz) {
    // The last good dial stays in force; the typed text stays for mending.
    message_->setText(QStringLiteral("Dial: '%1' is not a frequency in Hz between 0 and 300 GHz")
                          .arg(dial_->text()));
    dial_->selectAll();
    return;
  }
  message_->clear();
  StationConfig config = service_->Config();
  config.radio.control.dialHz = *hz;
  ApplyToSession(config);
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
  StationConfig config = service_->Config();
  config.radio.control.transmitOffsetHz = hz;
  ApplyToSession(config);
}

void RadioPanel::OtherSettingEdited() {
  StationConfig config = service_->Config();
  RadioControlSettings& k = config.radio.control;
  k.method = kMethods.at(static_cast<std::size_t>(std::max(0, method_->currentIndex())));
  k.stepHz = step_->currentData().toInt();
  k.changesWhileTransmitting = !fixedDuringTx_->isChecked();
  k.transmissionSeconds = transmission_->value();
  ApplyToSession(config);
}

void RadioPanel::ApplyToSession(const StationConfig& config) {
  ApplyConfig(config);
  ShowSettings();
  RunPeriod();
}

void RadioPanel::RunPeriod() {
  service_->RadioPeriod(options_.utcNow());
  PollSession();
}

void RadioPanel::PollSession() {
  service_->Poll();
  // The operator's hand moved the dial: show and keep where it went.
  if (service_->Config().radio.control.dialHz != shownDialHz_) {
    SaveSettings();
    ShowSettings();
  }
  Refresh();
}

void RadioPanel::Refresh() {
  const RadioSession* session = service_->Radio();
  const RadioTexts t = MakeRadioTexts(
      service_->Figures(), session ? std::optional<RadioReport>(session->report()) : std::nullopt);
  const MicrowaveTexts m = MakeMicrowaveTexts(service_->Microwave());
  const std::array<const std::string*, kFieldCount> values = {
      &t.echo, &t.dx,    &t.figures, &m.spread, &m.delay, &t.wanted,
      &t.sent, &t.heard, &t.tuned,   &t.state,  &t.link};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const QString text = EscapedText(*values[i]);
    if (texts_[i]->text() != text) {
      texts_[i]->setText(text);
      texts_[i]->setToolTip(text);
    }
  }
}

}  // namespace kelvora::gui

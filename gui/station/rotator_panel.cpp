#include "station/rotator_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

#include "panel/panel_widget.h"
#include "station/rotator_settings.h"
#include "station/station_control_window.h"
#include "station/status_label.h"

namespace kelvora::gui {
namespace {

// How long the way out waits for the rotator to confirm its stop.
constexpr std::chrono::milliseconds kStopOnExitWait{1000};

QDoubleSpinBox* Degrees(double low, double high, int decimals, const char* name,
                        QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(QLatin1String(name));
  box->setRange(low, high);
  box->setDecimals(decimals);
  box->setSuffix(QStringLiteral(" °"));
  return box;
}

StatusLabel* Value(const char* name, QWidget* parent) {
  auto* label = new StatusLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->SetFullText(QStringLiteral("-"));
  return label;
}

// How often the replies are collected between periods.
constexpr int kPollMs = 50;

QString Direction(const std::optional<AzEl>& d) {
  if (!d) return QStringLiteral("-");
  return QStringLiteral("az %1°  el %2°")
      .arg(d->azimuth, 0, 'f', 1)
      .arg(d->elevation, 0, 'f', 1);
}

}  // namespace

RotatorPanel::RotatorPanel(StationContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Rotator (rotctld)"), parent), context_(context) {
  setObjectName(QStringLiteral("rotatorPanel"));
  if (!context_.problems.isEmpty()) {
    note_ = QStringLiteral("settings: ") + context_.problems.join(QStringLiteral("; "));
  }
  BuildFields();
  ShowConfig();
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &RotatorPanel::RunPeriod);
  pollTimer_ = new QTimer(this);
  connect(pollTimer_, &QTimer::timeout, this, &RotatorPanel::PollService);
  pollTimer_->start(kPollMs);
  StartTimer();
  ShowReport();
}

RotatorPanel::~RotatorPanel() {
  timer_->stop();
  pollTimer_->stop();
  StationService& service = context_.service;
  if (service.Config().rotator.stopOnExit &&
      service.Rotator().link.state == LinkState::Connected) {
    service.StopAndWait(kStopOnExitWait);
  }
}

const RotatorConfig& RotatorPanel::Config() const { return context_.service.Config().rotator; }

const RotatorReport& RotatorPanel::LastReport() const { return context_.service.Rotator(); }

void RotatorPanel::BuildFields() {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  host_ = new QLineEdit(this);
  host_->setObjectName(QStringLiteral("rotatorHost"));
  port_ = new QSpinBox(this);
  port_->setObjectName(QStringLiteral("rotatorPort"));
  port_->setRange(1, 65535);
  auto* endpoint = new QHBoxLayout;
  endpoint->addWidget(host_, 1);
  endpoint->addWidget(port_);
  form->addRow(QStringLiteral("rotctld host, port"), endpoint);

  period_ = new QDoubleSpinBox(this);
  period_->setObjectName(QStringLiteral("rotatorPeriod"));
  period_->setRange(kShortestPeriodSeconds, kLongestPeriodSeconds);
  period_->setDecimals(1);
  period_->setSuffix(QStringLiteral(" s"));
  form->addRow(QStringLiteral("Period"), period_);
  threshold_ = Degrees(kMinThresholdDegrees, kMaxThresholdDegrees, 1, "rotatorThreshold", this);
  form->addRow(QStringLiteral("Threshold"), threshold_);

  azRange_ = new QComboBox(this);
  azRange_->setObjectName(QStringLiteral("rotatorAzRange"));
  azRange_->addItems({QStringLiteral("0 to 360°"), QStringLiteral("-180 to 180°"),
                      QStringLiteral("0 to 450° (overlap)")});
  form->addRow(QStringLiteral("Azimuth range"), azRange_);
  elRange_ = new QComboBox(this);
  elRange_->setObjectName(QStringLiteral("rotatorElRange"));
  elRange_->addItems({QStringLiteral("0 to 90°"), QStringLiteral("0 to 180° (flip-over)")});
  form->addRow(QStringLiteral("Elevation range"), elRange_);

  azOffset_ = Degrees(-kLargestOffsetDegrees, kLargestOffsetDegrees, 1, "rotatorAzOffset", this);
  elOffset_ = Degrees(-kLargestOffsetDegrees, kLargestOffsetDegrees, 1, "rotatorElOffset", this);
  auto* offsets = new QHBoxLayout;
  offsets->addWidget(azOffset_);
  offsets->addWidget(elOffset_);
  form->addRow(QStringLiteral("Offsets az, el"), offsets);
  minElevation_ = Degrees(kLowestMinimumElevation, kHighestMinimumElevation, 1,
                          "rotatorMinElevation", this);
  form->addRow(QStringLiteral("Minimum elevation"), minElevation_);
  stallSeconds_ = new QDoubleSpinBox(this);
  stallSeconds_->setObjectName(QStringLiteral("rotatorStallSeconds"));
  stallSeconds_->setRange(kShortestStallSeconds, kLongestStallSeconds);
  stallSeconds_->setDecimals(0);
  stallSeconds_->setSuffix(QStringLiteral(" s"));
  form->addRow(QStringLiteral("Stalled after"), stallSeconds_);
  refraction_ = new QCheckBox(QStringLiteral("Point at the refracted direction"), this);
  refraction_->setObjectName(QStringLiteral("rotatorRefraction"));
  form->addRow(QString(), refraction_);

  target_ = new QComboBox(this);
  target_->setObjectName(QStringLiteral("rotatorTarget"));
  target_->addItems({QStringLiteral("Moon"), QStringLiteral("Sun"),
                     QStringLiteral("Tracked source"), QStringLiteral("Fixed az, el")});
  fixedAz_ = Degrees(0, 360, 1, "rotatorFixedAz", this);
  fixedEl_ = Degrees(0, 180, 1, "rotatorFixedEl", this);
  auto* target = new QHBoxLayout;
  target->addWidget(target_, 1);
  target->addWidget(fixedAz_);
  target->addWidget(fixedEl_);
  form->addRow(QStringLiteral("Target"), target);
  // The equinox of the user's star as typed in the main window's Enter Star
  // Data; it counts only when the rotator follows the tracked source.
  starEpoch_ = new QComboBox(this);
  starEpoch_->setObjectName(QStringLiteral("rotatorStarEpoch"));
  starEpoch_->addItems({QStringLiteral("J2000"), QStringLiteral("B1950")});
  form->addRow(QStringLiteral("Star epoch"), starEpoch_);

  park_ = new QComboBox(this);
  park_->setObjectName(QStringLiteral("rotatorPark"));
  park_->addItems({QStringLiteral("Position"), QStringLiteral("Controller's park")});
  parkAz_ = Degrees(0, 360, 1, "rotatorParkAz", this);
  parkEl_ = Degrees(0, 90, 1, "rotatorParkEl", this);
  auto* park = new QHBoxLayout;
  park->addWidget(park_, 1);
  park->addWidget(parkAz_);
  park->addWidget(parkEl_);
  form->addRow(QStringLiteral("Park"), park);

  stopOnExit_ = new QCheckBox(QStringLiteral("Stop the rotator when the program ends"), this);
  stopOnExit_->setObjectName(QStringLiteral("rotatorStopOnExit"));
  form->addRow(QString(), stopOnExit_);
  auto* apply = new QPushButton(QStringLiteral("&Apply settings"), this);
  apply->setObjectName(QStringLiteral("rotatorApply"));
  connect(apply, &QPushButton::clicked, this, &RotatorPanel::Apply);
  // The direction fields count only with their choice.
  const auto enableFixed = [this](int index) {
    fixedAz_->setEnabled(index == static_cast<int>(TargetChoice::Fixed));
    fixedEl_->setEnabled(index == static_cast<int>(TargetChoice::Fixed));
    starEpoch_->setEnabled(index == static_cast<int>(TargetChoice::Source));
  };
  connect(target_, &QComboBox::currentIndexChanged, this, enableFixed);
  const auto enablePark = [this](int index) {
    parkAz_->setEnabled(index == 0);
    parkEl_->setEnabled(index == 0);
  };
  connect(park_, &QComboBox::currentIndexChanged, this, enablePark);
  form->addRow(QString(), apply);

  auto* state = new QFormLayout;
  layout->addLayout(state);
  link_ = Value("rotatorLink", this);
  state->addRow(QStringLiteral("Link"), link_);
  targetText_ = Value("rotatorTargetText", this);
  state->addRow(QStringLiteral("Target"), targetText_);
  commanded_ = Value("rotatorCommanded", this);
  state->addRow(QStringLiteral("Commanded"), commanded_);
  reported_ = Value("rotatorReported", this);
  state->addRow(QStringLiteral("Reported"), reported_);
  error_ = Value("rotatorError", this);
  state->addRow(QStringLiteral("Pointing error"), error_);
  plan_ = Value("rotatorPlan", this);
  state->addRow(QStringLiteral("Wrap plan"), plan_);
  status_ = Value("rotatorStatus", this);
  state->addRow(QStringLiteral("Status"), status_);
  problem_ = Value("rotatorProblem", this);
  problem_->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
  state->addRow(QStringLiteral("Last error"), problem_);

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  auto* track = new QPushButton(QStringLiteral("&Track"), this);
  track->setObjectName(QStringLiteral("rotatorTrack"));
  // F8 stops the rotator from every window of the program (the Station
  // control window's key filter).
  auto* stop = new QPushButton(QStringLiteral("Stop (F8)"), this);
  stop->setObjectName(QStringLiteral("rotatorStop"));
  auto* parkButton = new QPushButton(QStringLiteral("&Park"), this);
  parkButton->setObjectName(QStringLiteral("rotatorParkButton"));
  buttons->addWidget(track);
  buttons->addWidget(stop);
  buttons->addWidget(parkButton);
  connect(track, &QPushButton::clicked, this, &RotatorPanel::Track);
  connect(stop, &QPushButton::clicked, this, &RotatorPanel::Stop);
  connect(parkButton, &QPushButton::clicked, this, &RotatorPanel::Park);
}

void RotatorPanel::ShowConfig() {
  const RotatorConfig& config = Config();
  host_->setText(QString::fromStdString(config.host));
  port_->setValue(config.port);
  period_->setValue(config.periodSeconds);
  threshold_->setValue(config.setup.thresholdDegrees);
  azRange_->setCurrentIndex(static_cast<int>(config.setup.azimuthRange));
  elRange_->setCurrentIndex(static_cast<int>(config.setup.elevationRange));
  azOffset_->setValue(config.setup.azimuthOffset);
  elOffset_->setValue(config.setup.elevationOffset);
  minElevation_->setValue(config.setup.minimumElevation);
  stallSeconds_->setValue(config.setup.stallSeconds);
  refraction_->setChecked(config.setup.refraction);
  target_->setCurrentIndex(static_cast<int>(config.target));
  fixedAz_->setValue(config.fixedTarget.azimuth);
  fixedEl_->setValue(config.fixedTarget.elevation);
  starEpoch_->setCurrentIndex(config.setup.userStarB1950 ? 1 : 0);
  park_->setCurrentIndex(config.parkWithController ? 1 : 0);
  parkAz_->setValue(config.parkPosition.azimuth);
  parkEl_->setValue(config.parkPosition.elevation);
  stopOnExit_->setChecked(config.stopOnExit);
  fixedAz_->setEnabled(config.target == TargetChoice::Fixed);
  fixedEl_->setEnabled(config.target == TargetChoice::Fixed);
  starEpoch_->setEnabled(config.target == TargetChoice::Source);
  parkAz_->setEnabled(!config.parkWithController);
  parkEl_->setEnabled(!config.parkWithController);
}

RotatorConfig RotatorPanel::ReadFields() const {
  RotatorConfig c;
  c.host = host_->text().trimmed().toStdString();
  c.port = port_->value();
  c.periodSeconds = period_->value();
  c.setup.thresholdDegrees = threshold_->value();
  c.setup.azimuthRange = static_cast<AzimuthRange>(azRange_->currentIndex());
  c.setup.elevationRange = static_cast<ElevationRange>(elRange_->currentIndex());
  c.setup.azimuthOffset = azOffset_->value();
  c.setup.elevationOffset = elOffset_->value();
  c.setup.minimumElevation = minElevation_->value();
  c.setup.stallSeconds = stallSeconds_->value();
  c.setup.refraction = refraction_->isChecked();
  c.setup.userStarB1950 = starEpoch_->currentIndex() == 1;
  c.target = static_cast<TargetChoice>(target_->currentIndex());
  c.fixedTarget = {fixedAz_->value(), fixedEl_->value()};
  c.parkWithController = park_->currentIndex() == 1;
  c.parkPosition = {parkAz_->value(), parkEl_->value()};
  c.stopOnExit = stopOnExit_->isChecked();
  return c;
}

void RotatorPanel::StartTimer() {
  timer_->start(static_cast<int>(std::lround(Config().periodSeconds * 1000)));
}

void RotatorPanel::Apply() {
  StationConfig config = context_.service.Config();
  config.rotator = ReadFields();
  if (const Status applied = context_.service.Apply(config); !applied) {
    Note(QStringLiteral("settings: ") + QString::fromStdString(applied.reason()));
    return;
  }
  SaveStationConfig(context_.settings, context_.service.Config());
  note_.clear();
  StartTimer();
  RunPeriod();
}

void RotatorPanel::Track() {
  if (const Status tracking = context_.service.Track(); !tracking) {
    Note(QString::fromStdString(tracking.reason()));
    return;
  }
  note_.clear();
  RunPeriod();
}

void RotatorPanel::Stop() {
  context_.service.Stop();
  RunPeriod();
}

void RotatorPanel::Park() {
  if (const Status parking = context_.service.Park(); !parking) {
    Note(QString::fromStdString(parking.reason()));
  }
  RunPeriod();
}

void RotatorPanel::RunPeriod() {
  const AntennaMark before = context_.model.tracking.antenna;
  context_.service.RotatorPeriod(context_.utcNow());
  const AntennaMark& now = context_.model.tracking.antenna;
  // The main window's maps draw the antenna from the shared record: once a
  // period, a moved mark is painted anew there.
  if (before.shown != now.shown || before.azimuth != now.azimuth ||
      before.elevation != now.elevation) {
    if (QWidget* owner = window()->parentWidget()) {
      if (auto* maps = owner->findChild<PanelWidget*>()) maps->update();
    }
  }
  ShowReport();
}

void RotatorPanel::PollService() {
  context_.service.Poll();
  ShowReport();
}

void RotatorPanel::Note(const QString& text) {
  note_ = text;
  ShowReport();
}

void RotatorPanel::ShowReport() {
  const RotatorReport& r = LastReport();
  const bool connected = r.link.state == LinkState::Connected;
  link_->SetFullText(r.link.text.empty() ? QStringLiteral("-") : EscapedText(r.link.text));
  targetText_->SetFullText(EscapedText(r.targetName) + QStringLiteral("  ") + Direction(r.target));
  commanded_->SetFullText(Direction(r.commanded));
  reported_->SetFullText(connected ? Direction(r.reported) : QStringLiteral("unknown"));
  error_->SetFullText(r.pointingError ? QStringLiteral("%1°").arg(*r.pointingError, 0, 'f', 1)
                                      : (connected ? QStringLiteral("-") : QStringLiteral("unknown")));
  plan_->SetFullText(r.plan.empty() ? QStringLiteral("-") : EscapedText(r.plan));
  status_->SetFullText(r.status.empty() ? QStringLiteral("-") : EscapedText(r.status));
  QString problem = note_;
  const std::string& own = context_.service.RotatorNote();
  if (!own.empty() && !problem.contains(QString::fromStdString(own))) {
    if (!problem.isEmpty()) problem += QStringLiteral("; ");
    problem += EscapedText(own);
  }
  if (!r.lastError.empty()) {
    if (!problem.isEmpty()) problem += QStringLiteral("; ");
    problem += EscapedText(r.lastError);
  }
  problem_->SetFullText(problem.isEmpty() ? QStringLiteral("-") : problem);
}

}  // namespace kelvora::gui

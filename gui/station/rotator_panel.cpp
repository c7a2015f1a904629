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

#include "station/station_control_window.h"

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

QLabel* Value(const char* name, QWidget* parent) {
  auto* label = new QLabel(QStringLiteral("-"), parent);
  label->setObjectName(QLatin1String(name));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

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
  QStringList problems;
  config_ = LoadRotatorConfig(context_.settings, &problems);
  if (!problems.isEmpty()) note_ = QStringLiteral("settings: ") + problems.join(QStringLiteral("; "));
  BuildFields();
  ShowConfig();
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &RotatorPanel::RunPeriod);
  StartSession();
  ShowReport();
}

RotatorPanel::~RotatorPanel() {
  timer_->stop();
  if (session_ && config_.stopOnExit &&
      session_->Report().link.state == LinkState::Connected) {
    session_->StopAndWait(kStopOnExitWait);
  }
}

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
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0)"));
  state->addRow(QStringLiteral("Last error"), problem_);

  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  auto* track = new QPushButton(QStringLiteral("&Track"), this);
  track->setObjectName(QStringLiteral("rotatorTrack"));
  // F8: no key of the main window; active whenever this window is.
  auto* stop = new QPushButton(QStringLiteral("Stop (F8)"), this);
  stop->setObjectName(QStringLiteral("rotatorStop"));
  stop->setShortcut(QKeySequence(Qt::Key_F8));
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
  host_->setText(config_.host);
  port_->setValue(config_.port);
  period_->setValue(config_.periodSeconds);
  threshold_->setValue(config_.setup.thresholdDegrees);
  azRange_->setCurrentIndex(static_cast<int>(config_.setup.azimuthRange));
  elRange_->setCurrentIndex(static_cast<int>(config_.setup.elevationRange));
  azOffset_->setValue(config_.setup.azimuthOffset);
  elOffset_->setValue(config_.setup.elevationOffset);
  minElevation_->setValue(config_.setup.minimumElevation);
  target_->setCurrentIndex(static_cast<int>(config_.target));
  fixedAz_->setValue(config_.fixedTarget.azimuth);
  fixedEl_->setValue(config_.fixedTarget.elevation);
  park_->setCurrentIndex(config_.parkWithController ? 1 : 0);
  parkAz_->setValue(config_.parkPosition.azimuth);
  parkEl_->setValue(config_.parkPosition.elevation);
  stopOnExit_->setChecked(config_.stopOnExit);
  fixedAz_->setEnabled(config_.target == TargetChoice::Fixed);
  fixedEl_->setEnabled(config_.target == TargetChoice::Fixed);
  parkAz_->setEnabled(!config_.parkWithController);
  parkEl_->setEnabled(!config_.parkWithController);
}

RotatorConfig RotatorPanel::ReadFields() const {
  RotatorConfig c;
  c.host = host_->text().trimmed();
  c.port = port_->value();
  c.periodSeconds = period_->value();
  c.setup.thresholdDegrees = threshold_->value();
  c.setup.azimuthRange = static_cast<AzimuthRange>(azRange_->currentIndex());
  c.setup.elevationRange = static_cast<ElevationRange>(elRange_->currentIndex());
  c.setup.azimuthOffset = azOffset_->value();
  c.setup.elevationOffset = elOffset_->value();
  c.setup.minimumElevation = minElevation_->value();
  c.target = static_cast<TargetChoice>(target_->currentIndex());
  c.fixedTarget = {fixedAz_->value(), fixedEl_->value()};
  c.parkWithController = park_->currentIndex() == 1;
  c.parkPosition = {parkAz_->value(), parkEl_->value()};
  c.stopOnExit = stopOnExit_->isChecked();
  return c;
}

ControlSite RotatorPanel::Site() const {
  return {context_.model.home.latitude, context_.model.home.longitude};
}

std::optional<RotatorTarget> RotatorPanel::BuildTarget(QString* why) const {
  switch (config_.target) {
    case TargetChoice::Moon: return RotatorTarget{};
    case TargetChoice::Sun: {
      RotatorTarget sun;
      sun.kind = TargetKind::Sun;
      sun.name = "Sun";
      return sun;
    }
    case TargetChoice::Source: {
      // The source menu's choice at this moment.
      const TrackingState& t = context_.model.tracking;
      std::string reason;
      auto source = SourceTarget(t.trackedSource, t.userStarRa, t.userStarDec, &reason);
      if (!source && why) *why = QString::fromStdString(reason);
      return source;
    }
    case TargetChoice::Fixed: break;
  }
  std::string reason;
  const QString text = QStringLiteral("azel:%1,%2")
                           .arg(config_.fixedTarget.azimuth, 0, 'f', 2)
                           .arg(config_.fixedTarget.elevation, 0, 'f', 2);
  auto fixed = ParseTargetText(text.toStdString(), &reason);
  if (!fixed && why) *why = QString::fromStdString(reason);
  return fixed;
}

void RotatorPanel::StartSession() {
  QString why;
  RotatorTarget target = BuildTarget(&why).value_or(RotatorTarget{});
  if (!why.isEmpty()) Note(QStringLiteral("target: ") + why);
  const bool wasTracking = session_ && session_->Report().tracking;
  session_ = std::make_unique<RotatorSession>(
      HostPort{config_.host.toStdString(), config_.port}, config_.setup, std::move(target), Site());
  if (wasTracking) session_->Track();
  timer_->start(static_cast<int>(std::lround(config_.periodSeconds * 1000)));
}

void RotatorPanel::Apply() {
  const RotatorConfig fields = ReadFields();
  const auto hostPort = ParseHostPort(fields.host.toStdString(), fields.port);
  if (!hostPort || hostPort->port != fields.port) {
    Note(QStringLiteral("settings: host \"%1\" is not a host name or address").arg(fields.host));
    return;
  }
  if (const auto problem = CheckSetup(fields.setup)) {
    Note(QStringLiteral("settings: ") + QString::fromStdString(*problem));
    return;
  }
  const bool reconnect = fields.host != config_.host || fields.port != config_.port;
  config_ = fields;
  SaveRotatorConfig(context_.settings, config_);
  note_.clear();
  if (reconnect) {
    StartSession();
  } else {
    QString why;
    const auto target = BuildTarget(&why);
    if (target) session_->SetTarget(*target);
    if (!why.isEmpty()) Note(QStringLiteral("target: ") + why);
    session_->SetSetup(config_.setup);
    timer_->start(static_cast<int>(std::lround(config_.periodSeconds * 1000)));
  }
  RunPeriod();
}

void RotatorPanel::Track() {
  QString why;
  const auto target = BuildTarget(&why);
  if (!target) {
    Note(QStringLiteral("target: ") + why);
    return;
  }
  note_.clear();
  session_->SetTarget(*target);
  session_->Track();
  RunPeriod();
}

void RotatorPanel::Stop() {
  if (session_->Stop() != SubmitResult::Accepted) Note(QStringLiteral("stop: rotator not connected"));
  RunPeriod();
}

void RotatorPanel::Park() {
  std::optional<AzEl> position;
  if (!config_.parkWithController) position = config_.parkPosition;
  const SubmitResult result = session_->Park(position);
  if (result == SubmitResult::NotConnected) Note(QStringLiteral("park: rotator not connected"));
  if (result == SubmitResult::Invalid) Note(QStringLiteral("park: position outside the limits"));
  RunPeriod();
}

void RotatorPanel::RunPeriod() {
  report_ = session_->Period(context_.utcNow());
  ShowReport();
}

void RotatorPanel::Note(const QString& text) {
  note_ = text;
  ShowReport();
}

void RotatorPanel::ShowReport() {
  const RotatorReport& r = report_;
  link_->setText(r.link.text.empty() ? QStringLiteral("-") : QString::fromStdString(r.link.text));
  targetText_->setText(QString::fromStdString(r.targetName) + QStringLiteral("  ") +
                       Direction(r.target));
  commanded_->setText(Direction(r.commanded));
  reported_->setText(Direction(r.reported));
  error_->setText(r.pointingError ? QStringLiteral("%1°").arg(*r.pointingError, 0, 'f', 1)
                                  : QStringLiteral("-"));
  plan_->setText(r.plan.empty() ? QStringLiteral("-") : QString::fromStdString(r.plan));
  status_->setText(r.status.empty() ? QStringLiteral("-") : QString::fromStdString(r.status));
  QString problem = note_;
  if (!r.lastError.empty()) {
    if (!problem.isEmpty()) problem += QStringLiteral("; ");
    problem += QString::fromStdString(r.lastError);
  }
  problem_->setText(problem.isEmpty() ? QStringLiteral("-") : problem);
}

}  // namespace kelvora::gui

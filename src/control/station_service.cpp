#include "control/station_service.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "astro/time_helpers.h"

namespace kelvora {
namespace {

bool SameTarget(const RotatorTarget& a, const RotatorTarget& b) {
  return a.kind == b.kind && a.name == b.name && a.fixed.azimuth == b.fixed.azimuth &&
         a.fixed.elevation == b.fixed.elevation &&
         a.rightAscensionHours == b.rightAscensionHours &&
         a.declinationDegrees == b.declinationDegrees;
}

}  // namespace

StationService::StationService(TrackerModel& model, StationConfig config,
                               HamlibClientTiming timing)
    : model_(model), config_(std::move(config)), timing_(timing) {
  const Result<RotatorTarget> built = BuildTarget();
  if (!built) rotatorNote_ = "target: " + built.reason();
  RotatorTarget target = built ? *built : RotatorTarget{};
  rotator_ = std::make_unique<RotatorSession>(
      HostPort{config_.rotator.host, config_.rotator.port}, config_.rotator.setup,
      std::move(target), Site(), timing_);
}

StationService::~StationService() { model_.tracking.antenna = AntennaMark{}; }

ControlSite StationService::Site() const {
  return {model_.home.latitude, model_.home.longitude};
}

Result<RotatorTarget> StationService::BuildTarget() const {
  const RotatorConfig& r = config_.rotator;
  switch (r.target) {
    case TargetChoice::Moon: return RotatorTarget{};
    case TargetChoice::Sun: {
      RotatorTarget sun;
      sun.kind = TargetKind::Sun;
      sun.name = "Sun";
      return sun;
    }
    case TargetChoice::Source: {
      // The source menu's choice at this moment.
      const TrackingState& t = model_.tracking;
      return SourceTarget(t.trackedSource, t.userStarRa, t.userStarDec,
                          config_.rotator.setup.userStarB1950 ? precise::CatalogueEpoch::B1950
                                                              : precise::CatalogueEpoch::J2000);
    }
    case TargetChoice::Fixed: break;
  }
  // Through the same check as a typed target.
  const std::string text = "azel:" + std::to_string(r.fixedTarget.azimuth) + "," +
                     std::to_string(r.fixedTarget.elevation);
  return ParseTargetText(text);
}

Status StationService::Apply(const StationConfig& config) {
  if (Status checked = CheckStationConfig(config); !checked) return checked;
  const bool rotatorMoved =
      config.rotator.host != config_.rotator.host || config.rotator.port != config_.rotator.port;
  const bool radioMoved =
      config.radio.host != config_.radio.host || config.radio.port != config_.radio.port;
  config_ = config;
  if (rotatorMoved) {
    const bool tracking = rotator_->Report().tracking;
    // A target without position keeps the moon, as at the start.
    const Result<RotatorTarget> built = BuildTarget();
    RotatorTarget target = built ? *built : RotatorTarget{};
    rotator_ = std::make_unique<RotatorSession>(
        HostPort{config_.rotator.host, config_.rotator.port}, config_.rotator.setup,
        std::move(target), Site(), timing_);
    if (tracking) rotator_->Track();
  } else {
    rotator_->SetSetup(config_.rotator.setup);
  }
  if (radio_) {
    if (radioMoved) {
      StartRadio();
    } else {
      DopplerController& c = radio_->control();
      const RadioControlSettings& k = config_.radio.control;
      c.SetMethod(k.method);
      c.SetStep(k.stepHz);
      c.SetTransmitOffset(k.transmitOffsetHz);
      c.SetChangesWhileTransmitting(k.changesWhileTransmitting);
      c.SetTransmissionSeconds(k.transmissionSeconds);
      c.SetDial(k.dialHz);
    }
  }
  return Done();
}

const RotatorReport& StationService::RotatorPeriod(std::int64_t utc) {
  // The target follows the source menu; a source without position keeps
  // the last good one and says why.
  if (const Result<RotatorTarget> target = BuildTarget()) {
    if (!SameTarget(*target, rotator_->Tracker().Target())) rotator_->SetTarget(*target);
    if (rotatorNote_.rfind("target: ", 0) == 0) rotatorNote_.clear();
  } else {
    rotatorNote_ = "target: " + target.reason();
  }
  rotator_->Period(utc, Site());
  markUtc_ = utc;
  MarkAntenna();
  return rotator_->Report();
}

Status StationService::Track() {
  const Result<RotatorTarget> target = BuildTarget();
  if (!target) {
    rotatorNote_ = "target: " + target.reason();
    return Fail(rotatorNote_, target.kind());
  }
  rotatorNote_.clear();
  if (!SameTarget(*target, rotator_->Tracker().Target())) rotator_->SetTarget(*target);
  rotator_->Track();
  return Done();
}

void StationService::Stop() { rotator_->Stop(); }

Status StationService::Park() {
  std::optional<AzEl> position;
  if (!config_.rotator.parkWithController) position = config_.rotator.parkPosition;
  if (rotator_->Park(position) == SubmitResult::Invalid) {
    return Fail("park: position outside the limits");
  }
  return Done();
}

AntennaMark AntennaMarkFor(AzEl d, ControlSite site, std::int64_t utc) {
  constexpr double kRad = 3.14159265358979323846 / 180.0;
  constexpr double kHoursPerDegree = 1.0 / 15.0;
  constexpr double kSecondsPerDay = 86400.0;
  const double az = d.azimuth * kRad, el = d.elevation * kRad, lat = site.latitude * kRad;
  const double sinDec = std::sin(lat) * std::sin(el) + std::cos(lat) * std::cos(el) * std::cos(az);
  const double dec = std::asin(std::clamp(sinDec, -1.0, 1.0));
  // Hour angle, west of the meridian positive.
  const double hourAngle = std::atan2(-std::sin(az) * std::cos(el),
                                      std::cos(lat) * std::sin(el) -
                                          std::sin(lat) * std::cos(el) * std::cos(az));
  const double localSidereal = GreenwichSiderealHours(static_cast<double>(utc) / kSecondsPerDay) -
                               site.longitude * kHoursPerDegree;
  double ra = std::fmod(localSidereal - hourAngle / kRad * kHoursPerDegree, 24.0);
  if (ra < 0) ra += 24.0;
  return {true, d.azimuth, d.elevation, ra, dec / kRad};
}

void StationService::MarkAntenna() {
  AntennaMark mark;
  if (const auto& d = rotator_->Report().reportedDirection) {
    mark = AntennaMarkFor(*d, Site(), markUtc_);
  }
  model_.tracking.antenna = mark;
}

void StationService::StartRadio() {
  CloseRadio();
  radio_ = std::make_unique<RadioSession>(config_.radio.host, config_.radio.port,
                                          config_.radio.control, timing_);
  radio_->SetTransmitting(transmitting_);
  if (radioHeld_) radio_->control().Hold();
}

void StationService::CloseRadio() {
  if (!radio_) return;
  if (radio_->RestoreSplit()) {
    closingRadio_ = std::move(radio_);
    closingUntil_ = std::chrono::steady_clock::now() + RadioSession::kSplitRestoreWait;
  }
  radio_.reset();
}

void StationService::TrackRadio(bool on) {
  if (on == (radio_ != nullptr)) return;
  if (on) {
    StartRadio();
  } else {
    CloseRadio();
    radioHeld_ = false;
  }
}

void StationService::HoldRadio(bool on) {
  radioHeld_ = on;
  if (!radio_) return;
  if (on) {
    radio_->control().Hold();
  } else {
    radio_->control().Release();
  }
}

void StationService::SetTransmitting(std::optional<bool> transmitting) {
  transmitting_ = transmitting;
  if (radio_) radio_->SetTransmitting(transmitting);
}

void StationService::RadioPeriod(std::int64_t utc) {
  const RadioSite home{model_.home.latitude, model_.home.longitude};
  std::optional<RadioSite> dx;
  if (model_.station2.IsSet()) dx = RadioSite{model_.station2.latitude, model_.station2.longitude};
  const double dial = radio_ ? radio_->control().dialHz() : config_.radio.control.dialHz;
  figures_ = DopplerFiguresAt(home, dx, utc, dial, config_.ut1MinusUtcS);
  const DopplerMethod method =
      radio_ ? radio_->control().settings().method : config_.radio.control.method;
  precise::CelestialFrame frame{};
  microwave_ = RadioMicrowaveAt(home, dx, utc, dial, method, config_.ut1MinusUtcS,
                                microwaveFrame_ ? &*microwaveFrame_ : nullptr, &frame);
  microwaveFrame_ = microwave_ ? std::optional(frame) : std::nullopt;
  if (radio_) {
    const RadioControlSettings& now = radio_->control().settings();
    const Result<PeriodRates> rates = transmitPeriodSeconds_ && !now.changesWhileTransmitting
                           ? RatesForTransmitPeriods(home, dx, utc, *transmitPeriodSeconds_,
                                                     config_.ut1MinusUtcS)
                           : RatesForPeriod(now, home, dx, utc, config_.ut1MinusUtcS);
    if (rates) {
      radio_->StartPeriod(*rates);
    }
  }
}

void StationService::Poll() {
  rotator_->Poll();
  MarkAntenna();
  if (radio_) {
    radio_->Poll();
    // The operator's hand moved the dial: the record keeps where it went.
    config_.radio.control.dialHz = radio_->control().dialHz();
  }
  if (closingRadio_ &&
      (closingRadio_->Idle() || std::chrono::steady_clock::now() > closingUntil_)) {
    closingRadio_.reset();
  }
}

}  // namespace kelvora

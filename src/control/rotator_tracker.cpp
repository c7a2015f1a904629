#include "control/rotator_tracker.h"

#include <array>
#include <cstdio>
#include <utility>

#include "astro/time_helpers.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

// The target's rate comes from its position this far ahead.
constexpr std::int64_t kRateBaseSeconds = 60;
// The plan's samples reach this far below the minimum elevation, so that
// the standard theory's small differences never cut the pass short.
constexpr double kPlanMarginDegrees = 1.0;
// A failed rise search is tried again after this long.
constexpr std::int64_t kRiseRetrySeconds = 600;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  std::array<char, 96> text{};
  std::snprintf(text.data(), text.size(), format, args...);
  return text.data();
}

// The status line for a decision; `rise` is set while waiting for one.
std::string StepStatus(const ControlDecision& decision, const std::string& name,
                       std::optional<std::int64_t> rise) {
  std::string status;
  switch (decision.reason) {
    case ControlReason::Tracking:
      status = "tracking";
      break;
    case ControlReason::WaitingForRise:
      status = "waiting for " + name + " to rise at " + UtcClockText(*rise) + " UTC";
      break;
    case ControlReason::NoRise:
      status = name + " below minimum elevation, no rise ahead";
      break;
    case ControlReason::NotFinite:
      status = "no valid command for " + name;
      break;
    case ControlReason::NoPosition:
      status = name + " has no position now";
      break;
  }
  if (decision.clamped) status += ", clamped to limits";
  return status;
}

// The apparent direction of a target: raised by the standard refraction.
TargetFunction Refracted(TargetFunction airless) {
  return [airless = std::move(airless)](std::int64_t utc) -> std::optional<AzEl> {
    auto d = airless(utc);
    if (d) d->elevation += precise::StandardRefractionDeg(d->elevation);
    return d;
  };
}

}  // namespace

std::string UtcClockText(std::int64_t utc) {
  const auto civil = BreakDownTime(utc);
  if (!civil) return "--:--";
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%02d:%02d", civil->hour, civil->minute);
  return text.data();
}

RotatorTracker::RotatorTracker(RotatorSetup setup, RotatorTarget target, ControlSite site)
    : setup_(setup),
      target_(std::move(target)),
      site_(site),
      airless_(MakeTargetFunction(target_, site)),
      // A fixed direction is where the antenna should point, as it stands.
      direction_(setup.refraction && target_.kind != TargetKind::Fixed ? Refracted(airless_)
                                                                       : airless_),
      planDirection_(setup.refraction && target_.kind != TargetKind::Fixed
                         ? Refracted(MakeTargetFunction(target_, site, Figures::Standard))
                         : MakeTargetFunction(target_, site, Figures::Standard)) {}

void RotatorTracker::PlanPass(std::int64_t from, std::optional<AzEl> reported) {
  std::optional<double> current;
  if (lastCommand_) {
    current = lastCommand_->azimuth;
  } else if (reported) {
    current = reported->azimuth;
  }
  const auto pass = SamplePass(planDirection_, from, setup_.minimumElevation - kPlanMarginDegrees);
  plan_ = PlanWrap(pass, setup_, current);
}

TrackerStep RotatorTracker::Step(std::int64_t utc, std::optional<AzEl> reported,
                                 bool approaching) {
  TrackerStep step;
  step.airless = airless_(utc);
  step.target = direction_(utc);
  const auto ahead = direction_(utc + kRateBaseSeconds);
  ControlInput input;
  if (!step.target || !ahead) {
    step.decision.action = ControlAction::Refuse;
    step.decision.reason = ControlReason::NoPosition;
    step.status = StepStatus(step.decision, target_.name, std::nullopt);
    return step;
  }
  input.target.position = *step.target;
  input.target.ratePerSecond = {
      AzimuthDifference(ahead->azimuth, step.target->azimuth) / kRateBaseSeconds,
      (ahead->elevation - step.target->elevation) / kRateBaseSeconds};
  input.lastCommand = lastCommand_;
  if (reported) input.reported = FromRotatorFrame(setup_, *reported);
  input.approaching = approaching;

  const bool up = step.target->elevation >= setup_.minimumElevation;
  if (up) {
    rise_.reset();
    riseSearched_ = false;
    if (!plan_ || plan_->azimuths.empty() || utc < plan_->start || utc > plan_->End()) {
      PlanPass(utc, reported);
    }
  } else {
    if (!riseSearched_ || (rise_ && utc > *rise_) ||
        (!rise_ && utc - riseSearchedAt_ > kRiseRetrySeconds)) {
      rise_ = NextRise(target_, direction_, site_, utc, setup_.minimumElevation);
      riseSearched_ = true;
      riseSearchedAt_ = utc;
      if (rise_) PlanPass(*rise_, reported);
    }
    if (rise_) {
      input.waitDirection = direction_(*rise_);
      step.riseUtc = rise_;
    }
  }
  if (plan_ && !plan_->azimuths.empty()) {
    input.referenceAzimuth = plan_->AzimuthAt(up ? utc : plan_->start);
    input.flipped = plan_->flipped;
  }
  step.decision = ControlStep(setup_, input);
  step.status = StepStatus(step.decision, target_.name, rise_);
  return step;
}

std::string RotatorTracker::PlanText() const {
  if (!plan_ || plan_->azimuths.empty()) return "no pass planned";
  std::string text = plan_->flipped ? "back side: " : "";
  text += Format("az %.1f -> %.1f", plan_->azimuths.front(), plan_->azimuths.back());
  if (plan_->unwind) {
    text += ", unwind at " + UtcClockText(plan_->unwind->utc) + " UTC" +
            Format(" (el %.1f, az %.1f -> %.1f)", plan_->unwind->elevation,
                   plan_->unwind->fromAzimuth, plan_->unwind->toAzimuth);
  } else {
    text += ", no unwind";
  }
  return text;
}

}  // namespace kelvora

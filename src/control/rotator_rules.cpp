#include "control/rotator_rules.h"

#include <algorithm>
#include <cmath>

namespace kelvora {
namespace {

constexpr double kFullTurn = 360.0;
constexpr double kHalfTurn = 180.0;
// Full precision: sky angles here are compared with tenths of a degree.
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

bool Finite(AzEl a) { return std::isfinite(a.azimuth) && std::isfinite(a.elevation); }

// Folded into [0, 360).
double FoldAzimuth(double azimuth) {
  double a = std::fmod(azimuth, kFullTurn);
  if (a < 0) a += kFullTurn;
  return a >= kFullTurn ? 0.0 : a;
}

// Folded into (0, 360], the program's convention for true azimuths.
double FoldTrueAzimuth(double azimuth) {
  const double a = FoldAzimuth(azimuth);
  return a == 0.0 ? kFullTurn : a;
}

}  // namespace

AngleLimits LimitsOf(AzimuthRange range) {
  switch (range) {
    case AzimuthRange::FromMinus180To180: return {-180.0, 180.0};
    case AzimuthRange::From0To450: return {0.0, 450.0};
    case AzimuthRange::From0To360: break;
  }
  return {0.0, 360.0};
}

AngleLimits LimitsOf(ElevationRange range) {
  return range == ElevationRange::From0To180 ? AngleLimits{0.0, 180.0} : AngleLimits{0.0, 90.0};
}

Status CheckSetup(const RotatorSetup& setup) {
  const auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
  if (!within(setup.thresholdDegrees, kMinThresholdDegrees, kMaxThresholdDegrees)) {
    return Fail("threshold must be between 0.1 and 10 degrees");
  }
  if (!within(setup.minimumElevation, kLowestMinimumElevation, kHighestMinimumElevation)) {
    return Fail("minimum elevation must be between -5 and 60 degrees");
  }
  if (!within(setup.stallSeconds, kShortestStallSeconds, kLongestStallSeconds)) {
    return Fail("stall time must be between 1 and 600 seconds");
  }
  if (!within(setup.azimuthOffset, -kLargestOffsetDegrees, kLargestOffsetDegrees) ||
      !within(setup.elevationOffset, -kLargestOffsetDegrees, kLargestOffsetDegrees)) {
    return Fail("calibration offsets must be between -30 and 30 degrees");
  }
  return Done();
}

double SkySeparation(AzEl a, AzEl b) {
  constexpr double kDeg = kRadiansPerDegree;
  const double az1 = a.azimuth * kDeg, el1 = a.elevation * kDeg;
  const double az2 = b.azimuth * kDeg, el2 = b.elevation * kDeg;
  // The haversine form keeps small angles exact, where the cosine form
  // loses them to rounding.
  const double s = std::sin((el2 - el1) / 2), t = std::sin((az2 - az1) / 2);
  const double h = s * s + std::cos(el1) * std::cos(el2) * t * t;
  return 2 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) / kDeg;
}

double AzimuthDifference(double a, double b) {
  double d = std::fmod(a - b, kFullTurn);
  if (d < -kHalfTurn) d += kFullTurn;
  if (d >= kHalfTurn) d -= kFullTurn;
  return d;
}

double NearestTurn(double azimuth, double reference) {
  return reference + AzimuthDifference(azimuth, reference);
}

AzEl ToRotatorFrame(const RotatorSetup& setup, AzEl direction, bool flipped) {
  const double azimuth = direction.azimuth + (flipped ? kHalfTurn : 0.0) + setup.azimuthOffset;
  const double elevation = (flipped ? kHalfTurn - direction.elevation : direction.elevation);
  return {FoldAzimuth(azimuth), elevation + setup.elevationOffset};
}

AzEl FromRotatorFrame(const RotatorSetup& setup, AzEl reading) {
  double azimuth = reading.azimuth - setup.azimuthOffset;
  double elevation = reading.elevation - setup.elevationOffset;
  if (elevation > 90.0) {
    elevation = kHalfTurn - elevation;
    azimuth -= kHalfTurn;
  }
  return {FoldTrueAzimuth(azimuth), elevation};
}

ControlDecision ControlStep(const RotatorSetup& setup, const ControlInput& input) {
  ControlDecision decision;
  const TargetMotion& target = input.target;
  if (!Finite(target.position) || !Finite(target.ratePerSecond)) {
    decision.action = ControlAction::Refuse;
    decision.reason = ControlReason::NotFinite;
    return decision;
  }

  if (target.position.elevation < setup.minimumElevation) {
    if (!input.waitDirection) {
      decision.reason = ControlReason::NoRise;
      return decision;
    }
    decision.reason = ControlReason::WaitingForRise;
    decision.aim = *input.waitDirection;
  } else {
    // Aim where the target will be once it has moved half a deadband on
    // the sky: the target then passes from half a deadband before the
    // command to beyond it before the next move. Near the zenith a fast
    // azimuth is a slow motion on the sky.
    constexpr double kDeg = kRadiansPerDegree;
    const double fastest =
        std::hypot(target.ratePerSecond.azimuth * std::cos(target.position.elevation * kDeg),
                   target.ratePerSecond.elevation);
    const double halfBand = setup.thresholdDegrees / 2;
    decision.leadSeconds = fastest * kMaxLeadSeconds > halfBand ? halfBand / fastest : kMaxLeadSeconds;
    if (fastest == 0) decision.leadSeconds = 0;
    decision.aim = {
        FoldTrueAzimuth(target.position.azimuth +
                        target.ratePerSecond.azimuth * decision.leadSeconds),
        target.position.elevation + target.ratePerSecond.elevation * decision.leadSeconds};
  }

  const AzEl frame = ToRotatorFrame(setup, decision.aim, input.flipped);
  const AngleLimits az = LimitsOf(setup.azimuthRange);
  std::optional<double> reference = input.referenceAzimuth;
  if (!reference && input.lastCommand) reference = input.lastCommand->azimuth;
  double azimuth = reference ? NearestTurn(frame.azimuth, *reference)
                             : frame.azimuth + kFullTurn * std::ceil((az.min - frame.azimuth) / kFullTurn);
  if (azimuth < az.min || azimuth > az.max) {
    // The expected turn is out of reach: the nearest turn that is inside.
    const double below = azimuth - kFullTurn * std::ceil((azimuth - az.max) / kFullTurn);
    const double above = azimuth + kFullTurn * std::ceil((az.min - azimuth) / kFullTurn);
    if (below >= az.min) {
      azimuth = below;
    } else if (above <= az.max) {
      azimuth = above;
    } else {
      azimuth = std::clamp(azimuth, az.min, az.max);
      decision.clamped = true;
    }
  }
  const AngleLimits el = LimitsOf(setup.elevationRange);
  double elevation = frame.elevation;
  if (elevation < el.min || elevation > el.max) {
    elevation = std::clamp(elevation, el.min, el.max);
    decision.clamped = true;
  }
  decision.command = {azimuth, elevation};
  if (!Finite(decision.command)) {
    decision.action = ControlAction::Refuse;
    decision.reason = ControlReason::NotFinite;
    return decision;
  }

  // Where the antenna should be now: the target, or the rise direction.
  const AzEl wanted = decision.reason == ControlReason::WaitingForRise ? decision.aim
                                                                       : target.position;
  const bool onTarget =
      input.reported && SkySeparation(*input.reported, wanted) <= setup.thresholdDegrees;
  // A move on its way to a command that is still good is left to finish.
  const bool underWay =
      input.approaching && input.lastCommand &&
      SkySeparation(FromRotatorFrame(setup, *input.lastCommand), decision.aim) <=
          setup.thresholdDegrees;
  decision.action = onTarget || underWay ? ControlAction::Hold : ControlAction::Send;
  return decision;
}

}  // namespace kelvora

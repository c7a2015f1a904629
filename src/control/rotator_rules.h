// When and where to move an az/el rotator: the deadband, the lead-ahead, the
// travel limits with their clamp, the calibration offsets and the wait for
// the target's next rise. Pure: the caller supplies the target and the plan.
#pragma once

#include <optional>
#include <string>

#include "common/result.h"

namespace kelvora {

struct AzEl {
  double azimuth;    // degrees
  double elevation;  // degrees
};

// Rotators turn through 0-360, -180-180 or, with overlap, 0-450 degrees of
// azimuth; a flip-over mount reaches elevations up to 180 (the back side).
enum class AzimuthRange { From0To360, FromMinus180To180, From0To450 };
enum class ElevationRange { From0To90, From0To180 };

struct AngleLimits {
  double min;  // degrees
  double max;  // degrees
};
AngleLimits LimitsOf(AzimuthRange range);
AngleLimits LimitsOf(ElevationRange range);

// The deadband bounds and its usual value, degrees.
inline constexpr double kMinThresholdDegrees = 0.1;
inline constexpr double kMaxThresholdDegrees = 10.0;
inline constexpr double kDefaultThresholdDegrees = 1.0;
// The lead never reaches further ahead than this: a target that needs longer
// to move half a deadband is nearly still.
inline constexpr double kMaxLeadSeconds = 600.0;
// Minimum elevations a user may set, degrees.
inline constexpr double kLowestMinimumElevation = -5.0;
inline constexpr double kHighestMinimumElevation = 60.0;
// Calibration offsets a user may set, degrees.
inline constexpr double kLargestOffsetDegrees = 30.0;
// Stall detection: the movement that counts, degrees on the sky, and how
// long a commanded rotator may stand still before it counts as stalled.
inline constexpr double kStallDegrees = 0.2;
inline constexpr double kDefaultStallSeconds = 10.0;
inline constexpr double kShortestStallSeconds = 1.0;
inline constexpr double kLongestStallSeconds = 600.0;

struct RotatorSetup {
  double thresholdDegrees = kDefaultThresholdDegrees;
  AzimuthRange azimuthRange = AzimuthRange::From0To360;
  ElevationRange elevationRange = ElevationRange::From0To90;
  // The rotator's reading minus the true direction, degrees: a rotator that
  // reads 2 when it points at 0 has an azimuth offset of 2.
  double azimuthOffset = 0;
  double elevationOffset = 0;
  double minimumElevation = 0;  // below it the antenna waits for the next rise
  // A rotator that was told to move but whose reading has not changed by
  // more than kStallDegrees for this long is reported stalled.
  double stallSeconds = kDefaultStallSeconds;
  // Point at the refracted (apparent) direction, as the radio waves arrive,
  // rather than the airless one.
  bool refraction = true;
  // The user's star is typed in the B1950 equinox rather than J2000.
  bool userStarB1950 = false;
};

// Done when the setup is usable, else refused with what is wrong with it.
Status CheckSetup(const RotatorSetup& setup);

// Where the target is and how fast it moves, true directions.
struct TargetMotion {
  AzEl position;     // azimuth (0, 360], elevation, degrees
  AzEl ratePerSecond;  // degrees per second, azimuth taken the short way round
};

struct ControlInput {
  TargetMotion target;
  // The rotator-frame azimuth the wrap plan expects at the aimed moment; the
  // command takes the turn of the azimuth nearest to it. Empty: nearest to
  // the last command, else the lowest turn inside the limits.
  std::optional<double> referenceAzimuth;
  bool flipped = false;  // the plan uses the back side of a flip-over mount
  std::optional<AzEl> lastCommand;  // rotator frame, the last move the rotator accepted
  // The rotator's last reading, as a true direction. The deadband is the
  // angle on the sky between it and the target: a hand move, a stall or a
  // refused move shows there, never in the commands sent.
  std::optional<AzEl> reported;
  // The readings draw nearer to lastCommand: the rotator is on its way.
  bool approaching = false;
  // True direction to wait at while the target is below the minimum
  // elevation (the azimuth of its next rise); empty when no rise was found.
  std::optional<AzEl> waitDirection;
};

enum class ControlAction { Hold, Send, Refuse };
enum class ControlReason {
  Tracking,       // following the target (Hold: on target, or on its way)
  WaitingForRise, // below the minimum elevation: waiting at the rise azimuth
  NoRise,         // below the minimum elevation and no rise ahead
  NotFinite,      // the target or the result is not a number
  NoPosition,     // the target has no position at this moment (Refuse)
};

struct ControlDecision {
  ControlAction action = ControlAction::Hold;
  ControlReason reason = ControlReason::Tracking;
  AzEl aim{0, 0};      // true direction aimed at (after the lead)
  AzEl command{0, 0};  // rotator frame: turn, flip, offsets and clamp applied
  double leadSeconds = 0;
  bool clamped = false;  // the command was pulled inside the limits
};

// The control step: target to command decision.
ControlDecision ControlStep(const RotatorSetup& setup, const ControlInput& input);

// The rotator-frame azimuth and elevation for a true direction, before the
// turn is chosen: flip and offsets applied, azimuth in [0, 360).
AzEl ToRotatorFrame(const RotatorSetup& setup, AzEl direction, bool flipped);
// The true direction a rotator reading stands for (inverse of the above,
// azimuth in (0, 360]); the reading's turn and flip are taken from the
// elevation (above 90 is the back side).
AzEl FromRotatorFrame(const RotatorSetup& setup, AzEl reading);

// Angle on the sky between two directions, degrees.
double SkySeparation(AzEl a, AzEl b);

// The turn of `azimuth` (plus a whole number of 360s) nearest to `reference`.
double NearestTurn(double azimuth, double reference);
// Difference a - b folded into [-180, 180).
double AzimuthDifference(double a, double b);

}  // namespace kelvora

// Cable wrap: at the start of a pass, choose the azimuth turn (and, on a
// flip-over mount, the side) that carries the rotator through the whole
// visible pass without meeting a stop. Only when no choice avoids a stop does
// the plan unwind once, at the lowest elevation where an unwind works.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "control/rotator_rules.h"

namespace kelvora {

struct PassSample {
  std::int64_t utc;  // seconds since 1970, UTC
  AzEl direction;    // true azimuth (0, 360] and elevation, degrees
};

struct WrapPlan {
  std::int64_t start = 0;  // UTC of the first sample
  std::int64_t step = 0;   // seconds between samples
  bool flipped = false;    // the pass runs on the back side of a flip-over mount
  // Rotator-frame azimuth planned at each sample, degrees.
  std::vector<double> azimuths;
  // The unwind the pass cannot avoid: when and at what elevation, with the
  // rotator-frame azimuths it swings between.
  struct Unwind {
    std::int64_t utc;
    double elevation;
    double fromAzimuth;
    double toAzimuth;
  };
  std::optional<Unwind> unwind;

  std::int64_t End() const {
    return start + step * static_cast<std::int64_t>(azimuths.empty() ? 0 : azimuths.size() - 1);
  }
  // The planned azimuth at utc (the sample at or before it, clamped to the
  // plan); empty for an empty plan.
  std::optional<double> AzimuthAt(std::int64_t utc) const;
};

// Plans one pass sampled at an even step (at least two samples for a
// moving target). currentAzimuth (rotator frame) breaks ties between turns
// that both fit: the one the rotator reaches with the least travel.
WrapPlan PlanWrap(std::span<const PassSample> pass, const RotatorSetup& setup,
                  std::optional<double> currentAzimuth);

// A target's true direction at a UTC moment; empty where it is undefined.
using TargetFunction = std::function<std::optional<AzEl>(std::int64_t utc)>;

inline constexpr std::int64_t kPassStepSeconds = 60;
inline constexpr std::int64_t kLongestPassSeconds = 86400;

// Samples the pass that is under way at `from` (or starts there) until the
// target drops below minimumElevation, for at most kLongestPassSeconds.
// Empty when the target is below minimumElevation at `from`.
std::vector<PassSample> SamplePass(const TargetFunction& target, std::int64_t from,
                                   double minimumElevation);

}  // namespace kelvora

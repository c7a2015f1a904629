// Sky background temperature behind the moon, and the moon's sky-map track.
#pragma once

#include <array>
#include <cstdint>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "common/result.h"

namespace kelvora {

// Sky temperature in kelvin from the moon's right ascension in hours, [0, 24].
double SkyTemperature(double rightAscensionHours);

inline constexpr int kMoonTrackPoints = 26;

struct MoonTrackResult {
  std::array<SkyMapPoint, kMoonTrackPoints> points;  // point k: clock + k days
  int currentColumn;                                 // the moon now, truncated
  int currentRow;
  MoonFix current;  // the last evaluation, at clock itself
};

// The moon's sky-map positions for today and the next 25 days, for the home
// station. Refused when any of those moments lies outside 1901-2099.
Result<MoonTrackResult> MoonTrack(double homeLatitude, double homeLongitude, std::int64_t clock,
                                  const TimeBase& base);

}  // namespace kelvora

// Sun position (classical low-precision solar theory). The fix also carries
// the moon's range rate (MoonRangeRate) for the tick.
#pragma once

#include <cstdint>

#include "astro/time_helpers.h"

namespace kelvora {

struct SunFix {
  double rightAscension;  // radians, [0, 2pi]
  double declination;     // radians
  double hourAngle;       // Greenwich hour angle, radians, [0, 2pi]
  double elevation;       // degrees, geocentric, no refraction
  double azimuth;         // degrees, (0, 360]
  int skyColumn;          // sun mark on the sky map, window column
  int skyRow;             // sun mark on the sky map, window row
  double moonRangeRate;   // m/s, positive while the earth-moon distance grows
  double eclipticLongitude = 0;  // radians, true longitude of the sun
};

// Sun for the observer at (sunLatitude, sunLongitude), west positive, at
// clock + offsets. Valid for any moment; no calendar break-down is needed.
SunFix SunPosition(double sunLatitude, double sunLongitude, std::int64_t clock,
                   const TimeBase& base);

}  // namespace kelvora

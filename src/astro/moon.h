// Moon position: a three-series lunar theory on seven fundamental arguments,
// fixed obliquity, Greenwich sidereal time and a topocentric parallax
// correction for an ellipsoidal earth. No refraction. The distance series and
// the range rate derived from it live here too.
#pragma once

#include <cstdint>

#include "astro/time_helpers.h"
#include "common/result.h"

namespace kelvora {

// The moon routine's own pi (not the exact value) and what it derives from it.
inline constexpr double kPiMoon = 3.141592656;
inline constexpr double kTwoPiMoon = 2.0 * kPiMoon;
inline constexpr double kMoonDegToRad = kTwoPiMoon / 360.0;
inline constexpr double kMoonRadToDeg = 360.0 / kTwoPiMoon;

inline constexpr double kEarthRadiusKm = 6378.16;  // equatorial radius

struct MoonFix {
  double hourAngle;       // Greenwich hour angle, radians, [0, 2pi]
  double azimuth;         // topocentric, degrees, (0, 360]
  double elevation;       // topocentric, degrees, no refraction
  double declination;     // geocentric, radians
  double rightAscension;  // geocentric, radians, [0, 2pi]
  double distance;        // geocentric, km, centre to centre
  double dayCount;        // adjusted time / 86400: the moonDayCount of this call
  // Intermediate values, for checks and diagnostics.
  double eclipticLongitude = 0;    // radians, geocentric
  double eclipticLatitude = 0;     // radians, geocentric
  double siderealHours = 0;        // Greenwich sidereal time, hours, [0, 24)
  double geocentricElevation = 0;  // degrees, before the parallax correction
};

// Moon for an observer (degrees, longitude west positive) at clock + offsets.
// Refused when the tracked moment lies outside 1901-2099.
Result<MoonFix> MoonPosition(double latitude, double longitude, std::int64_t clock,
                             const TimeBase& base);

// Geocentric distance in km, centre to centre, at a moment given in days
// since 1970-01-01 00:00 UTC (the day count of a MoonFix).
double MoonDistanceKm(double daysSince1970);

// The distance series alone, in earth radii (the mean distance plus the
// periodic terms), at t days from J2000.0.
double MoonDistanceEarthRadii(double daysFromJ2000);

// Rate of change of the geocentric distance in m/s, positive while the moon
// recedes: the distance series one minute apart, at days since 1970.
double MoonRangeRate(double daysSince1970);

}  // namespace kelvora

#include "astro/map_projection.h"
#include "astro/sun.h"

#include <cmath>

#include "astro/astro_internal.h"
#include "astro/moon.h"

namespace kelvora {

namespace {

// The solar theory: the classical series of the last century's almanacs in
// Julian centuries from 1900 January 0.5 (1899-12-31 12:00): mean anomaly,
// mean longitude and obliquity as linear functions of time (in turns here),
// the equation of the centre by its first two terms, no nutation or
// aberration. Good to about a hundredth of a degree over the supported years.

// Day count of the theory's epoch, 1900 January 0.5.
constexpr double kDayNumberSunEpoch = 17472.5;

// Radians of right ascension to hours for the sun's sky-map mark (12 / pi).
constexpr double kSunRaToHours = 3.8197186342052367;

}  // namespace

namespace internal {

SunPlace ComputeSunPlace(double latitude, double longitude, double daysSince1970) {
  const double x = daysSince1970;
  const double f = x - std::trunc(x);
  // Julian centuries from the epoch. The whole-day offset is added through
  // the day fraction f and taken off again, which rounds the moment as the
  // figures have always been rounded.
  const double centuries =
      (x + (f + kDayNumber1970 - kDayNumberSunEpoch) - f) * kCenturiesPerDay;

  const double meanAnomaly = FracTurns(0.99576666667 + 99.997636111 * centuries);
  const double centreAmplitude = FracTurns(0.0053305556 - 1.333333e-05 * centuries);
  const double lambda = FracTurns(0.77691944444 + 100.0021361 * centuries) +
                        centreAmplitude * std::sin(meanAnomaly) +
                        0.0003490659 * std::sin(2 * meanAnomaly);
  const double obliquity = FracTurns(0.06514444444 - 3.611111e-05 * centuries);

  // Right ascension: the quadrant of tan(alpha) = cos(eps) tan(lambda) follows lambda.
  const double turnPart = lambda - kTwoPi * std::trunc(lambda * kInvTwoPi);
  double alpha = std::atan(std::cos(obliquity) * std::tan(lambda));
  if (turnPart >= 1.570796326795 && turnPart < 4.7123889803850005) alpha += kPi;
  alpha = alpha - kTwoPi * std::trunc(alpha * kInvTwoPi);
  if (alpha < 0) alpha += kTwoPi;
  if (alpha > kTwoPi) alpha -= kTwoPi;

  const double s = std::sin(obliquity) * std::sin(lambda);
  const double delta = FullArcTangent(s, SqrtOneMinusSquare(s));

  double g = GreenwichSiderealHours(x) * kHoursToRad - alpha;
  if (g < 0) g += kTwoPi;
  if (g > kTwoPi) g -= kTwoPi;

  // Geocentric horizontal coordinates; no parallax, no refraction.
  const double phi = latitude * kDegToRad;
  const double hourAngle = longitude * kDegToRad - g;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double sinDelta = std::sin(delta);
  const double cosDelta = std::cos(delta);
  const double sinAlt = cosPhi * cosDelta * std::cos(hourAngle) + sinPhi * sinDelta;
  const double cosAltRoot = SqrtOneMinusSquare(sinAlt);
  const double alt = FullArcTangent(sinAlt, cosAltRoot);
  const double cosAlt = std::cos(alt);
  double sinA = 0;
  double cosA = 0;
  if (cosAlt * cosPhi != 0 && cosAltRoot != 0) {
    cosA = sinDelta / (cosAlt * cosPhi) - std::tan(alt) * std::tan(phi);
    sinA = std::sin(hourAngle) * cosDelta / cosAltRoot;
  } else {
    // Sun in the zenith or observer at a pole: the same angle scaled by
    // cos h cos phi, which stays finite.
    cosA = sinDelta - sinAlt * sinPhi;
    sinA = std::sin(hourAngle) * cosDelta * cosPhi;
  }
  double azimuth = FullArcTangent(sinA, cosA);
  if (azimuth <= 0) azimuth += kTwoPi;

  SunPlace place{};
  place.eclipticLongitude = lambda;
  place.rightAscension = alpha;
  place.declination = delta;
  place.hourAngle = g;
  place.elevation = alt * kRadToDeg;
  place.azimuth = azimuth * kRadToDeg;
  return place;
}

}  // namespace internal

SunFix SunPosition(double sunLatitude, double sunLongitude, std::int64_t clock,
                   const TimeBase& base) {
  const double x = static_cast<double>(base.Adjust(clock)) / 86400;
  const internal::SunPlace place = internal::ComputeSunPlace(sunLatitude, sunLongitude, x);

  SunFix fix{};
  fix.rightAscension = place.rightAscension;
  fix.declination = place.declination;
  fix.hourAngle = place.hourAngle;
  fix.elevation = place.elevation;
  fix.azimuth = place.azimuth;
  fix.eclipticLongitude = place.eclipticLongitude;
  const SkyMapPoint sky =
      SkyMapPlacement(place.rightAscension * kSunRaToHours, place.declination * kMapRadToDeg);
  fix.skyColumn = static_cast<int>(sky.column);
  fix.skyRow = static_cast<int>(sky.row);

  // The moon's range rate travels with the sun's fix (the tick reads it there).
  fix.moonRangeRate = MoonRangeRate(x);
  return fix;
}

}  // namespace kelvora

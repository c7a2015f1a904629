#include "link/polarity.h"

#include <cmath>
#include <cstdio>

#include "astro/time_helpers.h"
#include "link/placeholders.h"

namespace kelvora {

namespace {

// Full-quadrant arctangent that also answers for the origin, where the
// direction is undefined (the moon in a station's zenith): 0 there.
double DirectionOf(double y, double x) {
  if (y == 0.0 && x == 0.0) {
    return 0.0;
  }
  return FullArcTangent(y, x);
}

}  // namespace

double PolarityAngle(double hourAngle, double declination, double latitude, double longitude) {
  const double phi = latitude * kDegToRad;
  const double lambda = longitude * kDegToRad;
  const double h = lambda - hourAngle;
  const double sinDec = std::sin(declination);
  const double cosDec = std::cos(declination);
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);

  const double z = sinDec * sinPhi + std::cos(h) * cosDec * cosPhi;
  // 1 - z^2 can come out a rounding step below zero near the zenith.
  const double cosZ = std::sqrt(std::fmax(0.0, 1.0 - z * z));
  const double el = DirectionOf(z, cosZ);
  const double sinEl = std::sin(el);
  const double cosEl = std::cos(el);

  double az;
  if (cosZ != 0.0 && cosEl * cosPhi != 0.0) {
    az = DirectionOf(std::sin(h) * cosDec / cosZ,
                     sinDec / (cosEl * cosPhi) - (sinPhi / cosPhi) * (sinEl / cosEl));
  } else {
    // Moon in the zenith or station at a pole: the same direction with both
    // components multiplied by cos El * cos phi, which needs no division.
    az = DirectionOf(std::sin(h) * cosDec * cosPhi, sinDec - sinPhi * z);
  }
  if (az <= 0.0) {
    az += kTwoPi;
  }

  const double num = cosEl * sinPhi - std::cos(az) * sinEl * cosPhi;
  const double den = std::sin(az) * cosPhi;
  // The angle only matters modulo 180 degrees below, so where the divisor
  // vanishes (moon on the meridian, station at a pole) the full-quadrant
  // arctangent gives the limit of the one-argument form.
  const double q = den != 0.0 ? std::atan(num / den) : DirectionOf(num, den);

  double p = 180.0 - q * kRadToDeg;
  while (p < 0.0) {
    p += 180.0;
  }
  while (p > 180.0) {
    p -= 180.0;
  }
  return p;
}

PolarityOffset PolarityOffsetBetween(double p1, double p2) {
  const double d = std::fabs(p1 - p2);
  double r = std::trunc(d);
  if (d - r >= 0.5) {
    r += 1.0;
  }
  bool clockwise = p1 <= p2;
  double value = r;
  if (r > 90.0) {
    value = 180.0 - r;
    clockwise = !clockwise;
  }
  return PolarityOffset{p1, p2, value, clockwise};
}

std::string PolarityOffsetText(const PolarityOffset& offset) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, offset.clockwise ? "%2.0f° cw" : "%2.0f° ccw",
                offset.degrees);
  return buffer;
}

std::string PolarityOffsetText(const std::optional<PolarityOffset>& offset) {
  return offset ? PolarityOffsetText(*offset) : kNotApplicableText;
}

PolarityOffset ComputePolarityOffset(double hourAngle, double declination, double homeLatitude,
                                     double homeLongitude, double station2Latitude,
                                     double station2Longitude) {
  double g = hourAngle;
  if (g < 0.0) {
    g += kTwoPi;
  }
  if (g > kTwoPi) {
    g -= kTwoPi;
  }
  const double p1 = PolarityAngle(g, declination, homeLatitude, homeLongitude);
  const double p2 = PolarityAngle(g, declination, station2Latitude, station2Longitude);
  return PolarityOffsetBetween(p1, p2);
}

}  // namespace kelvora

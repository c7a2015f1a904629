#include "stations/bearing.h"

#include <cmath>
#include <cstdio>

namespace kelvora {

namespace {

// This routine's own constants: degrees to radians with pi taken as 3.14159,
// and 2pi and pi as written.
constexpr double kBearingDegToRad = 0.01745327777777778;
constexpr double kBearingRadToDeg = 57.29582790879777;
constexpr double kBearingTwoPi = 6.28318;
constexpr double kBearingPi = 3.14159;
// Twice the earth radius in miles: sigma below is half the central angle.
constexpr double kEarthDiameterMiles = 138.1;
constexpr double kKmPerMile = 1.6093;
// Shift that keeps two points of equal latitude magnitude off the singular
// case of the analogies (radians).
constexpr double kLatitudeNudge = 1e-6;

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

BearingDistance BearingAndDistance(double lat1, double lon1, double lat2, double lon2,
                                   int distanceUnit) {
  // Napier's analogies on the triangle pole - point 1 - point 2.
  const double phi1 = lat1 * kBearingDegToRad;
  const double lambda1 = lon1 * kBearingDegToRad;
  double phi2 = lat2 * kBearingDegToRad;
  double lambda2 = lon2 * kBearingDegToRad;
  if (std::fabs(phi1) == std::fabs(phi2)) {
    phi2 -= kLatitudeNudge;
  }
  lambda2 = std::fmod(lambda2 + kBearingTwoPi, kBearingTwoPi);

  double base = 0.0;
  if (phi1 + phi2 < 0.0) {
    base = std::sin(lambda1 - lambda2) > 0.0 ? -kBearingPi : kBearingPi;
  }
  const double delta = lambda2 - lambda1;
  const double t = std::tan(delta / 2.0);
  const double h = (phi1 - phi2) / 2.0;
  const double s = (phi1 + phi2) / 2.0;
  const double y = std::atan(std::sin(h) / std::cos(s) / t);
  const double x = std::atan(std::cos(h) / std::sin(s) / t);

  double a = base + x + y;
  if (delta > 0.0) {
    a = kBearingTwoPi - a;
  } else {
    a = -a;
  }
  while (a > kBearingTwoPi) {
    a -= kBearingTwoPi;
  }
  double bearing = a * kBearingRadToDeg;
  // A course due north or due south can come out as -0 or a negative angle;
  // the text must read 0 or 180, never with a minus sign.
  if (bearing < 0.0) {
    bearing += 360.0;
  }
  if (bearing >= 360.0) {
    bearing -= 360.0;
  }
  if (bearing == 0.0) {
    bearing = 0.0;  // drops the sign of -0
  }

  const double sigma = std::atan(std::sin(x) * std::tan(h) / std::sin(y));
  const double miles = std::fabs(sigma * kEarthDiameterMiles * kBearingRadToDeg);

  BearingDistance out;
  out.bearing = bearing;
  out.miles = miles;
  out.distance = distanceUnit == 1 ? miles : miles * kKmPerMile;
  out.bearingText = Format("%2.0f°", bearing);
  out.kmText = Format("%7.1f", miles * kKmPerMile);
  out.mileText = Format("%7.1f", miles);
  return out;
}

}  // namespace kelvora

#include "link/angles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora {

double AngularSeparationDeg(double longitude1Deg, double latitude1Deg, double longitude2Deg,
                            double latitude2Deg) {
  constexpr double kRadPerDeg = std::numbers::pi / 180.0;
  const double b1 = latitude1Deg * kRadPerDeg;
  const double b2 = latitude2Deg * kRadPerDeg;
  const double sinHalfLatitude = std::sin((b2 - b1) / 2.0);
  const double sinHalfLongitude = std::sin((longitude2Deg - longitude1Deg) * kRadPerDeg / 2.0);
  const double h = sinHalfLatitude * sinHalfLatitude +
                   std::cos(b1) * std::cos(b2) * sinHalfLongitude * sinHalfLongitude;
  return 2.0 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) / kRadPerDeg;
}

}  // namespace kelvora

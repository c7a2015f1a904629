#include "link/earth.h"

#include <cmath>

#include "astro/time_helpers.h"

namespace kelvora {

std::array<double, 3> EarthFixedStationKm(double latitude, double westLongitude,
                                          double heightM) {
  const double e2 = kWgs84Flattening * (2.0 - kWgs84Flattening);
  const double phi = latitude * kDegToRad;
  const double lambda = -westLongitude * kDegToRad;
  const double sinPhi = std::sin(phi);
  const double n = kWgs84EquatorialKm / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
  const double h = heightM / 1000.0;
  return {(n + h) * std::cos(phi) * std::cos(lambda), (n + h) * std::cos(phi) * std::sin(lambda),
          (n * (1.0 - e2) + h) * sinPhi};
}

}  // namespace kelvora

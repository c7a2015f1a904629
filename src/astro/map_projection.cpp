#include "astro/map_projection.h"

#include <cmath>

namespace kelvora {

int MapXForLongitude(double westLongitude) {
  double lon = westLongitude;
  if (lon < 0) lon += 360;
  double x = lon <= 270 ? 322 - 1.18889 * lon : 322 + 1.2 * (360 - lon);
  // The program's own longitudes give columns 0-430; an absurd value read
  // from a damaged settings file must still convert to a defined integer.
  constexpr double kColumnLimit = 1.0e6;
  if (!(x > -kColumnLimit)) x = -kColumnLimit;
  if (x > kColumnLimit) x = kColumnLimit;
  return static_cast<int>(x);
}

int MapYForLatitude(double latitude) {
  double lat = latitude;
  if (lat > 82.9) lat = 82.9;
  if (lat < -68.2) lat = -68.2;
  // Mercator row, 68.4367 pixels per unit of ln tan(45 + lat/2); halves round down.
  const auto toRow = [](double b) {
    const double whole = std::trunc(b);
    return static_cast<int>(b - whole > 0.5 ? whole + 1 : whole);
  };
  if (lat >= 0) {
    const double b = 68.4367 * std::log(std::tan(0.7853975 + 0.00872663888888889 * lat));
    return 214 - toRow(b);
  }
  const double b = 68.4367 * std::log(std::tan(0.7853975 - 0.00872663888888889 * lat));
  return 214 + toRow(b);
}

double MapLongitudeForX(int column) {
  if (column <= 108) return -90 - 0.83333 * column;
  if (column <= 322) return 180 - 0.84112 * (column - 108);
  return -0.8379 * (column - 322);
}

double MapLatitudeForY(int windowRow) {
  const double v = std::abs(361 - windowRow);
  const double lat = 2 * std::atan(std::exp(0.014612042953561466 * v)) * kMapRadToDeg - 90;
  return windowRow > 361 ? -lat : lat;
}

SkyMapPoint SkyMapPlacement(double rightAscensionHours, double declinationDegrees) {
  return {(24 - rightAscensionHours) * 17.75, 322 - 1.7 * declinationDegrees};
}

}  // namespace kelvora

#include "astro/map_projection.h"

#include <algorithm>
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

namespace {

// The earth map's Mercator rows: kRowsPerUnit pixels per unit of
// ln tan(45 degrees + lat / 2) (the quarter turn and the half degree with the
// map's own rounding of pi), counted from the equator's row, the latitudes
// held to the picture's top and bottom edges.
constexpr double kRowsPerUnit = 68.4367;
constexpr double kQuarterTurn = 0.7853975;
constexpr double kHalfDegree = 0.00872663888888889;
constexpr int kEquatorRow = 214;
constexpr double kNorthernmost = 82.9;
constexpr double kSouthernmost = -68.2;

}  // namespace

int MapYForLatitude(double latitude) {
  double lat = latitude;
  if (lat > kNorthernmost) lat = kNorthernmost;
  if (lat < kSouthernmost) lat = kSouthernmost;
  // Halves round down.
  const auto toRow = [](double b) {
    const double whole = std::trunc(b);
    return static_cast<int>(b - whole > 0.5 ? whole + 1 : whole);
  };
  if (lat >= 0) {
    const double b = kRowsPerUnit * std::log(std::tan(kQuarterTurn + kHalfDegree * lat));
    return kEquatorRow - toRow(b);
  }
  const double b = kRowsPerUnit * std::log(std::tan(kQuarterTurn - kHalfDegree * lat));
  return kEquatorRow + toRow(b);
}

std::vector<double> MapRowStepLatitudes() {
  // Row k + 1 begins where the Mercator value passes k + 0.5, on either side
  // of the equator.
  std::vector<double> steps;
  for (int k = 0;; ++k) {
    const double away = (std::atan(std::exp((k + 0.5) / kRowsPerUnit)) - kQuarterTurn) / kHalfDegree;
    const bool north = away < kNorthernmost;
    const bool south = -away > kSouthernmost;
    if (!north && !south) break;
    if (north) steps.push_back(away);
    if (south) steps.push_back(-away);
  }
  std::sort(steps.begin(), steps.end());
  return steps;
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

#include "astro/footprint.h"

#include <cmath>
#include <utility>

#include "astro/astro_internal.h"
#include "astro/map_projection.h"
#include "astro/time_helpers.h"

namespace kelvora {

namespace {

// Two degrees in radians, pi taken as 3.14159265359.
constexpr double kCircleStep = 0.03490658503988889;

// Window rows of the earth map's top and bottom edges, and its last column.
constexpr int kMapTopRow = 170;
constexpr int kMapBottomRow = 473;
constexpr int kMapLastColumn = 429;

// Half-width in columns of the lit band drawn near an equinox, and the
// declination (degrees) inside which that band replaces the outline.
constexpr int kBandHalfWidth = 105;
constexpr double kEquinoxBandDegrees = 1.01;

}  // namespace

CircleTables BuildCircleTables() {
  CircleTables tables{};
  for (int k = 0; k < kCircleSteps; ++k) {
    const double angle = k * kCircleStep;
    tables.circleSin[static_cast<std::size_t>(k)] = std::sin(angle);
    tables.circleCos[static_cast<std::size_t>(k)] = std::cos(angle);
  }
  return tables;
}

Footprint VisibilityFootprint(double distanceKm, double declination, double hourAngle,
                              const CircleTables& circles) {
  // The angular radius would be arccos(k / distance); with k = 0 it is the
  // great circle 90 degrees from the sub-point for every body and distance.
  (void)distanceKm;
  const double radius = std::acos(0.0);
  const double cr = std::cos(radius);
  const double sr = std::sin(radius);
  const double sinDelta = std::sin(declination);
  const double cosDelta = std::cos(declination);
  const double sinG = std::sin(hourAngle);
  const double cosG = std::cos(hourAngle);

  Footprint out{};
  auto& pts = out.points;
  // The circle is generated around the antipode of the sub-point (hence the
  // negated latitude and the 180 degrees added), which is the same circle.
  for (std::size_t i = 0; i < kCircleSteps; ++i) {
    const double si = circles.circleSin[i];
    const double ci = circles.circleCos[i];
    const double a = cr * cosDelta - sr * si * sinDelta;
    const double b = sr * ci;
    const double x = cosG * a - sinG * b;
    const double y = sinG * a + cosG * b;
    const double westLongitude = FullArcTangent(y, x) * kMapRadToDeg + 180;
    const double latitude = internal::SafeAsin(sr * si * cosDelta + cr * sinDelta) * kMapRadToDeg;
    pts[i] = {MapXForLongitude(westLongitude), MapYForLatitude(-latitude)};
  }

  // Order by column with the program's own exchange pass; columns of the
  // last two map columns are stored as the last but one.
  for (std::size_t p = 0; p < kCircleSteps; ++p) {
    for (std::size_t q = 0; q < kCircleSteps; ++q) {
      if (pts[p].x < pts[q].x) std::swap(pts[p], pts[q]);
    }
    if (pts[p].x >= kMapLastColumn) pts[p].x = kMapLastColumn;
  }

  for (std::size_t i = 0; i < kCircleSteps; ++i) {
    pts[i].y += kMapRowOffset;
    if (pts[i].y > kMapBottomRow) pts[i].y = kMapBottomRow;
  }

  const double declinationDegrees = declination * kMapRadToDeg;
  if (declinationDegrees < -kEquinoxBandDegrees || declinationDegrees > kEquinoxBandDegrees) {
    // Close the outline along the edge on the lit side: the bottom edge when
    // the body is south of the equator, the top edge when north.
    const int edgeRow = declinationDegrees < 0 ? kMapBottomRow : kMapTopRow;
    pts[0] = {1, edgeRow};
    pts[1].x = 1;
    pts[178].x = kMapLastColumn;
    pts[179] = {kMapLastColumn, edgeRow};
    pts[180] = {1, edgeRow};
    out.count = kFootprintPoints;
    return out;
  }

  // Near an equinox the outline is almost two meridians: draw the band of
  // columns around the sub-point instead.
  const int subColumn = MapXForLongitude(hourAngle * kMapRadToDeg);
  int left = subColumn - kBandHalfWidth;
  if (left < 1) left += kMapLastColumn;
  int right = subColumn + kBandHalfWidth;
  if (right > 427) right -= kMapLastColumn;
  const int top = kMapTopRow + 1;
  const int bottom = kMapBottomRow + 1;
  if (right > left) {
    pts[0] = {left, top};
    pts[1] = {right, top};
    pts[2] = {right, bottom};
    pts[3] = {left, bottom};
    pts[4] = {left, top};
    out.count = 5;
  } else {
    pts[0] = {1, top};
    pts[1] = {right, top};
    pts[2] = {right, bottom};
    pts[3] = {1, bottom};
    pts[4] = {1, top};
    pts[5] = {left, top};
    pts[6] = {kMapLastColumn, top};
    pts[7] = {kMapLastColumn, bottom};
    pts[8] = {left, bottom};
    pts[9] = {left, top};
    out.count = 10;
  }
  return out;
}

}  // namespace kelvora

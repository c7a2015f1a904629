#include "astro/footprint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

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

// The exchange pass as the outline has always been ordered: slot p is
// exchanged with every slot q holding a larger column, and a column at or
// beyond the last map column is stored as that column. Columns of equal
// value end in an order that only this pass defines, and the painting
// follows the points in that order, so any faster ordering must reproduce it.
void ExchangePass(std::span<MapPoint> pts) {
  for (std::size_t p = 0; p < pts.size(); ++p) {
    for (std::size_t q = 0; q < pts.size(); ++q) {
      if (pts[p].x < pts[q].x) std::swap(pts[p], pts[q]);
    }
    if (pts[p].x >= kMapLastColumn) pts[p].x = kMapLastColumn;
  }
}

// Fenwick tree of how many points of each column have been placed: the
// count of columns below a given one in logarithmic time.
class ColumnCounts {
 public:
  void Add(int column) {
    for (int i = column + 1; i <= kColumns; i += i & -i) tree_[static_cast<std::size_t>(i)] += 1;
  }
  int Below(int column) const {
    int sum = 0;
    for (int i = column; i > 0; i -= i & -i) sum += tree_[static_cast<std::size_t>(i)];
    return sum;
  }

 private:
  static constexpr int kColumns = kMapLastColumn + 1;
  std::array<int, kColumns + 1> tree_{};
};

}  // namespace

namespace internal {

// The exchange pass, worked out: after the first slot has swept the whole
// array (it ends holding the first of the largest columns), slot p only
// meets the slots before it, which are in column order, and the exchanges
// leave every slot as it is except the first of each run of equal columns
// larger than slot p's: that point moves to the end of its run, and slot p's
// point joins the end of its own run. So each run of equal columns is a queue
// that takes new points at its back and turns by one (front to back) each
// time a point of a smaller column arrives. Here each run keeps its points in
// a segment of the array and applies its pending turns when it next changes.
// Columns outside the map (only from undefined inputs) take the pass itself.
void OrderByColumn(std::span<MapPoint, kCircleSteps> pts) {
  for (const MapPoint& point : pts) {
    if (point.x < 0 || point.x > kMapLastColumn) {
      ExchangePass(pts);
      return;
    }
  }
  // The first slot's sweep.
  for (std::size_t q = 1; q < pts.size(); ++q) {
    if (pts[0].x < pts[q].x) std::swap(pts[0], pts[q]);
  }

  // A segment for each column, sized by a count of its points.
  constexpr int kColumns = kMapLastColumn + 1;
  std::array<int, kColumns + 1> start{};
  for (const MapPoint& point : pts) ++start[static_cast<std::size_t>(point.x) + 1];
  for (int c = 0; c < kColumns; ++c) {
    start[static_cast<std::size_t>(c) + 1] += start[static_cast<std::size_t>(c)];
  }
  std::array<MapPoint, kCircleSteps> runs{};
  std::array<int, kColumns> length{};
  std::array<int, kColumns> turnsApplied{};  // smaller-column arrivals already turned
  ColumnCounts arrived;

  const auto settle = [&](int column) {
    const auto c = static_cast<std::size_t>(column);
    const int pending = arrived.Below(column) - turnsApplied[c];
    turnsApplied[c] += pending;
    if (length[c] > 1 && pending % length[c] != 0) {
      const auto first = runs.begin() + start[c];
      std::rotate(first, first + pending % length[c], first + length[c]);
    }
  };
  for (const MapPoint& point : pts) {
    const auto c = static_cast<std::size_t>(point.x);
    // A column of one point never turns.
    if (start[c + 1] - start[c] > 1) settle(point.x);
    runs[static_cast<std::size_t>(start[c] + length[c])] = point;
    ++length[c];
    arrived.Add(point.x);
  }
  for (int column = 0; column < kColumns; ++column) {
    if (length[static_cast<std::size_t>(column)] > 1) settle(column);
  }
  std::copy(runs.begin(), runs.end(), pts.begin());
}

}  // namespace internal

namespace {

// Closer than this to a row step, a point's row is computed in full. The
// steps come from the inverse formula and the rows from the forward one;
// both are good to a few units of the last place, far inside this margin.
constexpr double kRowStepMargin = 1e-9;
constexpr double kBucketsPerUnitSine = 256.0;

// The map row of an outline point from the sine of its latitude, in full.
int RowForSine(double sine) {
  const double latitude = internal::SafeAsin(sine) * kMapRadToDeg;
  return MapYForLatitude(-latitude);
}

// The row steps as sines, each checked against the full computation just
// before and after it; any disagreement leaves the table empty (every row
// in full), so the table can never change a result.
void FillRowSteps(CircleTables& tables) {
  std::vector<double> sines;
  for (const double latitude : MapRowStepLatitudes()) {
    // The outline's rows are those of the negated latitude.
    sines.push_back(std::sin(-latitude / kMapRadToDeg));
  }
  std::sort(sines.begin(), sines.end());
  if (sines.size() > tables.rowStepSines.size()) return;
  const int first = RowForSine(-1.0);
  for (std::size_t j = 0; j < sines.size(); ++j) {
    const int below = first + static_cast<int>(j);
    if (RowForSine(sines[j] - kRowStepMargin) != below ||
        RowForSine(sines[j] + kRowStepMargin) != below + 1) {
      return;
    }
  }
  if (RowForSine(1.0) != first + static_cast<int>(sines.size())) return;
  std::copy(sines.begin(), sines.end(), tables.rowStepSines.begin());
  tables.rowSteps = static_cast<int>(sines.size());
  tables.southmostRow = first;
  for (std::size_t b = 0; b < tables.rowStepsBelow.size(); ++b) {
    // A little below the bucket's edge, so that rounding of a sine's bucket
    // can only start the search early, never late.
    const double edge = -1.0 + static_cast<double>(b) / kBucketsPerUnitSine - kRowStepMargin;
    tables.rowStepsBelow[b] =
        static_cast<short>(std::lower_bound(sines.begin(), sines.end(), edge) - sines.begin());
  }
}

// RowForSine by the table where the sine is clear of every step.
int RowFromTable(const CircleTables& tables, double sine) {
  if (tables.rowSteps == 0 || !(sine >= -1.0 && sine <= 1.0)) return RowForSine(sine);
  const auto begin = tables.rowStepSines.begin();
  const auto end = begin + tables.rowSteps;
  const auto bucket = static_cast<std::size_t>((sine + 1.0) * kBucketsPerUnitSine);
  auto next = begin + tables.rowStepsBelow[std::min(bucket, tables.rowStepsBelow.size() - 1)];
  while (next != end && *next <= sine) ++next;
  const bool clearBelow = next == begin || sine - *(next - 1) > kRowStepMargin;
  const bool clearAbove = next == end || *next - sine > kRowStepMargin;
  if (!clearBelow || !clearAbove) return RowForSine(sine);
  return tables.southmostRow + static_cast<int>(next - begin);
}

}  // namespace

CircleTables BuildCircleTables() {
  CircleTables tables{};
  for (int k = 0; k < kCircleSteps; ++k) {
    const double angle = k * kCircleStep;
    tables.circleSin[static_cast<std::size_t>(k)] = std::sin(angle);
    tables.circleCos[static_cast<std::size_t>(k)] = std::cos(angle);
  }
  FillRowSteps(tables);
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
    pts[i] = {MapXForLongitude(westLongitude),
              RowFromTable(circles, sr * si * cosDelta + cr * sinDelta)};
  }

  internal::OrderByColumn(std::span<MapPoint, kCircleSteps>(pts.data(), kCircleSteps));

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

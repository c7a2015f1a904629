// Outline on the earth map of the region that sees a body above the horizon.
#pragma once

#include <array>

namespace kelvora {

inline constexpr int kCircleSteps = 180;

inline constexpr int kMaxRowSteps = 512;

// sin and cos of 2 degrees * k (pi taken as 3.14159265359), k = 0..179, and
// where the outline's map row changes with the sine of a point's latitude
// (so that most points find their row without asin, log and tan). With no
// steps (a default table) every row is computed in full.
struct CircleTables {
  std::array<double, kCircleSteps> circleSin;
  std::array<double, kCircleSteps> circleCos;
  std::array<double, kMaxRowSteps> rowStepSines{};  // ascending
  int rowSteps = 0;
  int southmostRow = 0;  // the row below the first step (sine -1)
  // For each 1/256 of sine from -1, the steps that lie wholly below it: where
  // the search for a sine's row starts.
  std::array<short, 513> rowStepsBelow{};
};
CircleTables BuildCircleTables();

struct MapPoint {
  int x = 0;
  int y = 0;
  bool operator==(const MapPoint&) const = default;
};

inline constexpr int kFootprintPoints = 181;

struct Footprint {
  std::array<MapPoint, kFootprintPoints> points{};  // window pixels
  int count = 0;                                    // 181, 5 or 10
};

// Polygon of the region that sees a body at distanceKm with the given
// declination and Greenwich hour angle (radians).
Footprint VisibilityFootprint(double distanceKm, double declination, double hourAngle,
                              const CircleTables& circles);

}  // namespace kelvora

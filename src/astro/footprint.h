// Outline on the earth map of the region that sees a body above the horizon.
#pragma once

#include <array>

namespace kelvora {

inline constexpr int kCircleSteps = 180;

// sin and cos of 2 degrees * k (pi taken as 3.14159265359), k = 0..179.
struct CircleTables {
  std::array<double, kCircleSteps> circleSin;
  std::array<double, kCircleSteps> circleCos;
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

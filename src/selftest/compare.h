// How far the standard figures (astro/, link/) are from the accurate ones,
// over many moments and stations: the self-test of `kelvora-cli selftest`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "precise/precise.h"

namespace kelvora::precise {

// Median, 95th percentile and maximum of a set of non-negative differences
// (nearest-rank percentiles); all zero for an empty set.
struct Spread {
  double median = 0.0;
  double p95 = 0.0;
  double max = 0.0;
};
Spread SpreadOf(std::vector<double> values);

// Angle between two directions given as azimuth and elevation, degrees.
double SeparationDeg(double azimuth1Deg, double elevation1Deg, double azimuth2Deg,
                     double elevation2Deg);

// The standard theory's figures for a station at a UTC moment, in the
// accurate figures' units; empty outside the standard theory's years.
struct StandardFigures {
  double azimuthDeg;
  double elevationDeg;
  double geocentricDistanceKm;    // the only distance the standard theory has
  double geocentricRangeRateMps;
  double echoDopplerAt144Hz;      // at the 2.0833 m wavelength, as the window shows it
  double sunAzimuthDeg;
  double sunElevationDeg;
};
std::optional<StandardFigures> StandardFiguresAt(const Site& site, std::int64_t utcSeconds);

// The standard echo Doppler carried to another frequency in proportion.
double StandardEchoDopplerHz(const StandardFigures& standard, double frequencyHz);

struct StandardComparison {
  std::size_t count = 0;  // moments compared
  Spread directionDeg;     // geometric topocentric direction
  Spread distanceKm;       // geocentric distance
  Spread rangeRateMps;     // geocentric range rate
  Spread doppler1296Hz;    // home echo Doppler at 1296 MHz
  Spread doppler10368Hz;   // and at 10368 MHz
};

// Compares the two sets of figures at `count` moments drawn from 1960-2099
// with stations spread evenly over the earth (height 0, which the standard
// theory assumes), keeping only moments with the moon above the station's
// horizon, where the figures are used. The same seed gives the same draw.
StandardComparison CompareWithStandard(std::size_t count, std::uint64_t seed);

}  // namespace kelvora::precise

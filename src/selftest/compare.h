// How far the standard figures (astro/, link/) are from the accurate ones
// (precise/) over many moments and stations: the self-test of
// `kelvora-cli selftest`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/result.h"
#include "precise/precise.h"

namespace kelvora::selftest {

using precise::Site;

// Median, 95th percentile and maximum of a set of non-negative differences
// (nearest-rank percentiles); all zero for an empty set.
struct Spread {
  double median = 0.0;
  double p95 = 0.0;
  double max = 0.0;
};
Spread SpreadOf(std::vector<double> values);

// The standard theory's figures for a station at a UTC moment, in the
// accurate figures' units; refused outside the standard theory's years or
// for a site it cannot work with.
struct StandardFigures {
  double azimuthDeg;
  double elevationDeg;
  double geocentricDistanceKm;    // the only distance the standard theory has
  double geocentricRangeRateMps;
  double rangeRateMps;            // topocentric, the station's own (link/range_rate.h)
  double sunAzimuthDeg;
  double sunElevationDeg;
};
Result<StandardFigures> StandardFiguresAt(const Site& site, std::int64_t utcSeconds);

// The standard echo Doppler at a frequency, from the station's range rate.
double StandardEchoDopplerHz(const StandardFigures& standard, double frequencyHz);

struct StandardComparison {
  std::size_t count = 0;  // moments compared
  Spread directionDeg;     // geometric topocentric direction
  Spread distanceKm;       // geocentric distance
  Spread rangeRateMps;     // geocentric range rate
  Spread topocentricRangeRateMps;  // the station's range rate, what the Doppler is made of
  Spread doppler1296Hz;    // home echo Doppler at 1296 MHz
  Spread doppler10368Hz;   // and at 10368 MHz
};

// What the standard figures promise against the accurate ones over
// 1960-2099 with the moon up; the self-test reports each spread's maximum
// against these.
struct StandardBounds {
  double directionDeg = 0.04;
  double distanceKm = 50.0;
  double rangeRateMps = 0.5;             // geocentric and topocentric alike
  double doppler1296Hz = 2.0 * 0.5 * 1296e6 / precise::kSpeedOfLightMps;    // 4.3 Hz
  double doppler10368Hz = 2.0 * 0.5 * 10368e6 / precise::kSpeedOfLightMps;  // 34.6 Hz
};
bool WithinBounds(const StandardComparison& comparison, const StandardBounds& bounds = {});

// Compares the two sets of figures at `count` moments drawn from 1960-2099
// with stations spread evenly over the earth (height 0, which the standard
// theory assumes), keeping only moments with the moon above the station's
// horizon, where the figures are used. The same seed gives the same draw.
StandardComparison CompareWithStandard(std::size_t count, std::uint64_t seed);

}  // namespace kelvora::selftest

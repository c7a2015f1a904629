#include "selftest/compare.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "link/angles.h"
#include "link/range_rate.h"

namespace kelvora::selftest {

using precise::kFirstPreciseSecond;
using precise::kLastPreciseSecond;

namespace {

constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;

// SplitMix64: a small generator whose sequence is the same on every machine,
// so a seed names one draw everywhere.
struct SplitMix64 {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
};

// Nearest-rank percentile of sorted values, fraction in (0, 1].
double Percentile(const std::vector<double>& sorted, double fraction) {
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

Spread SpreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  return {Percentile(values, 0.5), Percentile(values, 0.95), values.back()};
}

Result<StandardFigures> StandardFiguresAt(const Site& site, std::int64_t utcSeconds) {
  // The range rate checks the site and the moment first, with the reason.
  const Result<double> rate = StandardRangeRateMps(
      site.latitudeDeg, site.longitudeWestDeg, site.heightM, utcSeconds);
  if (!rate) return rate.failure();
  const TimeBase utc{};
  const auto moon = MoonPosition(site.latitudeDeg, site.longitudeWestDeg, utcSeconds, utc);
  if (!moon) {
    return Fail("the moment (UTC seconds " + std::to_string(utcSeconds) +
                ") is outside 1901-2099, where the standard figures work");
  }
  const kelvora::SunFix sun = SunPosition(site.latitudeDeg, site.longitudeWestDeg, utcSeconds, utc);
  return StandardFigures{moon->azimuth, moon->elevation, moon->distance, sun.moonRangeRate,
                         *rate,         sun.azimuth,     sun.elevation};
}

double StandardEchoDopplerHz(const StandardFigures& standard, double frequencyHz) {
  return precise::EchoDopplerHz(standard.rangeRateMps, frequencyHz);
}

bool WithinBounds(const StandardComparison& c, const StandardBounds& bounds) {
  return c.directionDeg.max <= bounds.directionDeg && c.distanceKm.max <= bounds.distanceKm &&
         c.rangeRateMps.max <= bounds.rangeRateMps &&
         c.topocentricRangeRateMps.max <= bounds.rangeRateMps &&
         c.doppler1296Hz.max <= bounds.doppler1296Hz &&
         c.doppler10368Hz.max <= bounds.doppler10368Hz;
}

StandardComparison CompareWithStandard(std::size_t count, std::uint64_t seed) {
  SplitMix64 random{seed};
  std::vector<double> direction, distance, rangeRate, topocentricRate, doppler1296, doppler10368;
  const auto span = static_cast<double>(kLastPreciseSecond - kFirstPreciseSecond);
  // Each station sees the moon about half the time; the bound on attempts
  // only guards against a loop without end.
  for (std::size_t attempts = 0; direction.size() < count && attempts < 100 * count + 100;
       ++attempts) {
    const auto utc = kFirstPreciseSecond + static_cast<std::int64_t>(random.Unit() * span);
    const Site site{std::asin(2.0 * random.Unit() - 1.0) / kRadPerDeg,
                    360.0 * random.Unit() - 180.0, 0.0};
    const auto accurate = precise::PreciseMoon(site, utc);
    const auto standard = StandardFiguresAt(site, utc);
    if (!accurate || !standard || accurate->elevationDeg <= 0.0) continue;
    direction.push_back(AngularSeparationDeg(standard->azimuthDeg, standard->elevationDeg,
                                             accurate->azimuthDeg, accurate->elevationDeg));
    distance.push_back(std::fabs(standard->geocentricDistanceKm - accurate->geocentricDistanceKm));
    rangeRate.push_back(
        std::fabs(standard->geocentricRangeRateMps - accurate->geocentricRangeRateMps));
    topocentricRate.push_back(std::fabs(standard->rangeRateMps - accurate->rangeRateMps));
    doppler1296.push_back(std::fabs(StandardEchoDopplerHz(*standard, 1296e6) -
                                    precise::EchoDopplerHz(accurate->rangeRateMps, 1296e6)));
    doppler10368.push_back(std::fabs(StandardEchoDopplerHz(*standard, 10368e6) -
                                     precise::EchoDopplerHz(accurate->rangeRateMps, 10368e6)));
  }
  StandardComparison out;
  out.count = direction.size();
  out.directionDeg = SpreadOf(std::move(direction));
  out.distanceKm = SpreadOf(std::move(distance));
  out.rangeRateMps = SpreadOf(std::move(rangeRate));
  out.topocentricRangeRateMps = SpreadOf(std::move(topocentricRate));
  out.doppler1296Hz = SpreadOf(std::move(doppler1296));
  out.doppler10368Hz = SpreadOf(std::move(doppler10368));
  return out;
}

}  // namespace kelvora::selftest

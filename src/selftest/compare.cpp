#include "precise/compare.h"

#include <algorithm>
#include <cmath>

#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "link/doppler.h"

namespace kelvora::precise {

namespace {

constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;

// The wavelength the standard Doppler constants are made for (link/doppler.cpp
// divides by it; its range-rate factor rounds it to 2.083 m).
constexpr double kStandardDopplerWavelengthM = 2.0833;

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

double SeparationDeg(double azimuth1Deg, double elevation1Deg, double azimuth2Deg,
                     double elevation2Deg) {
  // The haversine form keeps its digits for small angles, where the
  // cosine form loses them.
  const double e1 = elevation1Deg * kRadPerDeg;
  const double e2 = elevation2Deg * kRadPerDeg;
  const double sinHalfElevation = std::sin((e2 - e1) / 2.0);
  const double sinHalfAzimuth = std::sin((azimuth2Deg - azimuth1Deg) * kRadPerDeg / 2.0);
  const double h = sinHalfElevation * sinHalfElevation +
                   std::cos(e1) * std::cos(e2) * sinHalfAzimuth * sinHalfAzimuth;
  return 2.0 * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0))) / kRadPerDeg;
}

std::optional<StandardFigures> StandardFiguresAt(const Site& site, std::int64_t utcSeconds) {
  const TimeBase utc{};
  const auto moon = MoonPosition(site.latitudeDeg, site.longitudeWestDeg, utcSeconds, utc);
  if (!moon) return std::nullopt;
  const kelvora::SunFix sun = SunPosition(site.latitudeDeg, site.longitudeWestDeg, utcSeconds, utc);
  DopplerInput doppler{};
  doppler.homeLatitude = site.latitudeDeg;
  doppler.homeLongitude = site.longitudeWestDeg;
  doppler.moonHourAngle = moon->hourAngle;
  doppler.moonDeclination = moon->declination * kRadToDeg;
  doppler.moonRangeRate = sun.moonRangeRate;
  doppler.moonUpHome = true;
  return StandardFigures{moon->azimuth, moon->elevation, moon->distance, sun.moonRangeRate,
                         HomeEchoDopplerHz(doppler), sun.azimuth, sun.elevation};
}

double StandardEchoDopplerHz(const StandardFigures& standard, double frequencyHz) {
  return standard.echoDopplerAt144Hz * frequencyHz * kStandardDopplerWavelengthM /
         kSpeedOfLightMps;
}

StandardComparison CompareWithStandard(std::size_t count, std::uint64_t seed) {
  SplitMix64 random{seed};
  std::vector<double> direction, distance, rangeRate, doppler1296, doppler10368;
  const auto span = static_cast<double>(kLastPreciseSecond - kFirstPreciseSecond);
  // Each station sees the moon about half the time; the bound on attempts
  // only guards against a loop without end.
  for (std::size_t attempts = 0; direction.size() < count && attempts < 100 * count + 100;
       ++attempts) {
    const auto utc = kFirstPreciseSecond + static_cast<std::int64_t>(random.Unit() * span);
    const Site site{std::asin(2.0 * random.Unit() - 1.0) / kRadPerDeg,
                    360.0 * random.Unit() - 180.0, 0.0};
    const auto accurate = PreciseMoon(site, utc);
    const auto standard = StandardFiguresAt(site, utc);
    if (!accurate || !standard || accurate->elevationDeg <= 0.0) continue;
    direction.push_back(SeparationDeg(standard->azimuthDeg, standard->elevationDeg,
                                      accurate->azimuthDeg, accurate->elevationDeg));
    distance.push_back(std::fabs(standard->geocentricDistanceKm - accurate->geocentricDistanceKm));
    rangeRate.push_back(
        std::fabs(standard->geocentricRangeRateMps - accurate->geocentricRangeRateMps));
    doppler1296.push_back(std::fabs(StandardEchoDopplerHz(*standard, 1296e6) -
                                    EchoDopplerHz(accurate->rangeRateMps, 1296e6)));
    doppler10368.push_back(std::fabs(StandardEchoDopplerHz(*standard, 10368e6) -
                                     EchoDopplerHz(accurate->rangeRateMps, 10368e6)));
  }
  StandardComparison out;
  out.count = direction.size();
  out.directionDeg = SpreadOf(std::move(direction));
  out.distanceKm = SpreadOf(std::move(distance));
  out.rangeRateMps = SpreadOf(std::move(rangeRate));
  out.doppler1296Hz = SpreadOf(std::move(doppler1296));
  out.doppler10368Hz = SpreadOf(std::move(doppler10368));
  return out;
}

}  // namespace kelvora::precise

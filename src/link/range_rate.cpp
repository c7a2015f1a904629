#include "link/range_rate.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "link/earth.h"
#include "precise/precise.h"

namespace kelvora {

namespace {

constexpr std::int64_t kRangeRateHalfSpanSeconds = 30;

// Earth-fixed position of the moon's centre in km (axes as EarthFixedStationKm).
std::optional<std::array<double, 3>> MoonEarthFixedKm(std::int64_t utcSeconds) {
  const Result<MoonFix> fix = MoonPosition(0.0, 0.0, utcSeconds, TimeBase{});
  if (!fix) return std::nullopt;
  const double c = std::cos(fix->declination);
  return std::array<double, 3>{fix->distance * c * std::cos(fix->hourAngle),
                               -fix->distance * c * std::sin(fix->hourAngle),
                               fix->distance * std::sin(fix->declination)};
}

double Range(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

}  // namespace

FigureSource FigureSourceAt(std::int64_t utcSeconds) {
  return utcSeconds >= precise::kFirstPreciseSecond && utcSeconds <= precise::kLastPreciseSecond
             ? FigureSource::Accurate
             : FigureSource::Standard;
}

std::optional<double> StandardTopocentricDistanceKm(double latitude, double westLongitude,
                                                    double heightM, std::int64_t utcSeconds) {
  if (!std::isfinite(latitude) || !std::isfinite(westLongitude) || !std::isfinite(heightM) ||
      std::fabs(latitude) > 90.0) {
    return std::nullopt;
  }
  const auto moon = MoonEarthFixedKm(utcSeconds);
  if (!moon) return std::nullopt;
  return Range(*moon, EarthFixedStationKm(latitude, westLongitude, heightM));
}

std::optional<double> StandardRangeRateMps(double latitude, double westLongitude, double heightM,
                                           std::int64_t utcSeconds) {
  if (utcSeconds < FirstSupportedSecond() || utcSeconds > LastSupportedSecond()) {
    return std::nullopt;
  }
  const std::int64_t before =
      std::max(utcSeconds - kRangeRateHalfSpanSeconds, FirstSupportedSecond());
  const std::int64_t after = std::min(utcSeconds + kRangeRateHalfSpanSeconds, LastSupportedSecond());
  const auto r0 = StandardTopocentricDistanceKm(latitude, westLongitude, heightM, before);
  const auto r1 = StandardTopocentricDistanceKm(latitude, westLongitude, heightM, after);
  if (!r0 || !r1) return std::nullopt;
  return (*r1 - *r0) * 1000.0 / static_cast<double>(after - before);
}

std::optional<double> MoonRangeRateMps(double latitude, double westLongitude, double heightM,
                                       std::int64_t utcSeconds) {
  if (FigureSourceAt(utcSeconds) == FigureSource::Standard) {
    return StandardRangeRateMps(latitude, westLongitude, heightM, utcSeconds);
  }
  const auto fix = precise::PreciseMoon(precise::Site{latitude, westLongitude, heightM}, utcSeconds);
  if (!fix) return std::nullopt;
  return fix->rangeRateMps;
}

}  // namespace kelvora

#include "link/range_rate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "link/earth.h"
#include "precise/precise.h"

namespace kelvora {

namespace {

constexpr std::int64_t kRangeRateHalfSpanSeconds = 30;

Failure OutsideStandardYears(std::int64_t utcSeconds) {
  return Fail("the moment (UTC seconds " + std::to_string(utcSeconds) +
              ") is outside 1901-2099, where the standard figures work");
}

// Earth-fixed position of the moon's centre in km (axes as EarthFixedStationKm).
Result<std::array<double, 3>> MoonEarthFixedKm(std::int64_t utcSeconds) {
  const auto fix = MoonPosition(0.0, 0.0, utcSeconds, TimeBase{});
  if (!fix) return OutsideStandardYears(utcSeconds);
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

Result<double> StandardTopocentricDistanceKm(double latitude, double westLongitude, double heightM,
                                             std::int64_t utcSeconds) {
  if (!std::isfinite(latitude) || !std::isfinite(westLongitude) || !std::isfinite(heightM)) {
    return Fail("the station's latitude, longitude or height is not a finite number");
  }
  if (std::fabs(latitude) > 90.0) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", latitude);
    return Fail("the latitude " + std::string(text) + " is outside -90..90 degrees");
  }
  const auto moon = MoonEarthFixedKm(utcSeconds);
  if (!moon) return moon.failure();
  return Range(*moon, EarthFixedStationKm(latitude, westLongitude, heightM));
}

Result<double> StandardRangeRateMps(double latitude, double westLongitude, double heightM,
                                    std::int64_t utcSeconds) {
  if (utcSeconds < FirstSupportedSecond() || utcSeconds > LastSupportedSecond()) {
    return OutsideStandardYears(utcSeconds);
  }
  const std::int64_t before =
      std::max(utcSeconds - kRangeRateHalfSpanSeconds, FirstSupportedSecond());
  const std::int64_t after = std::min(utcSeconds + kRangeRateHalfSpanSeconds, LastSupportedSecond());
  const auto r0 = StandardTopocentricDistanceKm(latitude, westLongitude, heightM, before);
  const auto r1 = StandardTopocentricDistanceKm(latitude, westLongitude, heightM, after);
  if (!r0) return r0.failure();
  if (!r1) return r1.failure();
  return (*r1 - *r0) * 1000.0 / static_cast<double>(after - before);
}

Result<double> MoonRangeRateMps(double latitude, double westLongitude, double heightM,
                                std::int64_t utcSeconds) {
  if (FigureSourceAt(utcSeconds) == FigureSource::Standard) {
    return StandardRangeRateMps(latitude, westLongitude, heightM, utcSeconds);
  }
  const auto fix = precise::PreciseMoon(precise::Site{latitude, westLongitude, heightM}, utcSeconds);
  if (!fix) return fix.failure();
  return fix->rangeRateMps;
}

}  // namespace kelvora

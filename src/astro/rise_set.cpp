#include "astro/rise_set.h"

#include <cmath>
#include <limits>

#include "astro/astro_internal.h"
#include "astro/moon.h"
#include "astro/time_helpers.h"

namespace kelvora {

namespace {

// The quick moon: the dozen largest terms of the lunar longitude, seven of the
// latitude and six of the horizontal parallax, on mean elements in degrees
// counted from 1992-12-31 00:00 (a short series of the kind given with
// almanac-style low-precision formulae; a few tenths of a degree), enough to
// find where the elevation changes sign.

// 1992-12-31 on the day count below: int(365.25 * 1992) and int(30.6 * 13) + 31.
constexpr int kEpochYearPart = 727578;
constexpr int kEpochMonthDayPart = 428;

// Fixed obliquity of the short lunar theory, radians.
constexpr double kQuickObliquity = 0.40911564864300975;
constexpr double kQuickEarthRadiusKm = 6378.14;  // scale of the equatorial vector only

// The hourly step of the search, the final margin past the crossing and the
// refinement after a set.
constexpr std::int64_t kSearchStepSeconds = 3600;
constexpr std::int64_t kCrossingMarginSeconds = 30;
constexpr std::int64_t kSetRefineStepSeconds = 5;
constexpr int kSetRefineSteps = 22;

double SinDeg(double degrees) { return std::sin(degrees * kDegToRad); }
double CosDeg(double degrees) { return std::cos(degrees * kDegToRad); }

Result<double> Elevation(Body body, double latitude, double longitude, std::int64_t time) {
  if (body == Body::Moon) return QuickMoonElevation(latitude, longitude, time);
  return QuickSunElevation(latitude, longitude, time);
}

}  // namespace

double QuickSunElevation(double latitude, double longitude, std::int64_t time) {
  return internal::ComputeSunPlace(latitude, longitude, static_cast<double>(time) / 86400)
      .elevation;
}

Result<double> QuickMoonElevation(double latitude, double longitude, std::int64_t time) {
  const auto civil = BreakDownTime(time);
  if (!civil) return civil.failure();

  // Days from 1992-12-31 00:00, by the count int(365.25 y) + int(30.6 (m + 1))
  // + day with March as the first month. That date counts as
  // kEpochYearPart + kEpochMonthDayPart and is taken off in two steps.
  const double hour = civil->hour + civil->minute / 60.0 + civil->second / 3600.0;
  const int y = civil->month >= 3 ? civil->year : civil->year - 1;
  const int m = civil->month >= 3 ? civil->month : civil->month + 12;
  const double d = static_cast<int>(365.25 * y) + static_cast<int>(30.6 * (m + 1)) + civil->day +
                   hour / 24 - kEpochMonthDayPart - kEpochYearPart;

  // Mean elements, degrees.
  const double l = 201.2434 + 13.06499 * d;
  const double lp = 356.8528 + 0.98560027 * d;
  const double F = 99.2094 + 13.22935 * d;
  const double D = 80.0093 + 12.19075 * d;
  const double L = 359.6821 + 13.1764 * d;

  const double lambda = L + 6.289 * SinDeg(l) + 0.214 * SinDeg(2 * l) -
                        1.274 * SinDeg(l - 2 * D) + 0.658 * SinDeg(2 * D) -
                        0.057 * SinDeg(l + lp - 2 * D) - 0.114 * SinDeg(2 * F) -
                        0.059 * SinDeg(2 * l - 2 * D) - 0.186 * SinDeg(lp) -
                        0.035 * SinDeg(D) + 0.041 * SinDeg(l - lp) + 0.053 * SinDeg(l + 2 * D) -
                        0.046 * SinDeg(lp - 2 * D);
  const double beta = 5.128 * SinDeg(F) + 0.281 * SinDeg(l + F) - 0.278 * SinDeg(F - l) -
                      0.173 * SinDeg(F - 2 * D) + 0.046 * SinDeg(2 * D - l - F) +
                      0.055 * SinDeg(2 * D + F - l) + 0.033 * SinDeg(2 * D + F);
  const double parallax = 0.9507 + 0.0518 * CosDeg(l) + 0.0095 * CosDeg(l - 2 * D) +
                          0.0078 * CosDeg(2 * D) + 0.0028 * CosDeg(2 * l) +
                          0.0009 * CosDeg(l + 2 * D);
  const double r = kQuickEarthRadiusKm / SinDeg(parallax);

  const double sinEps = std::sin(kQuickObliquity);
  const double cosEps = std::cos(kQuickObliquity);
  const double rCosBeta = r * CosDeg(beta);
  const double rSinBeta = r * SinDeg(beta);
  const double sinLambda = SinDeg(lambda);
  const double cosLambda = CosDeg(lambda);
  const double delta =
      internal::SafeAsin((sinEps * rCosBeta * sinLambda + cosEps * rSinBeta) / r);
  double alpha =
      FullArcTangent(rCosBeta * sinLambda * cosEps - rSinBeta * sinEps, rCosBeta * cosLambda);
  if (alpha < 0) alpha += kTwoPi;
  if (alpha > kTwoPi) alpha -= kTwoPi;

  const double x = static_cast<double>(time) / 86400;
  double g = GreenwichSiderealHours(x) * kSiderealHoursToRad - alpha;
  if (g < 0) g += kTwoPi;
  if (g > kTwoPi) g -= kTwoPi;
  const double phi = latitude * kDegToRad;
  const double hourAngle = longitude * kDegToRad - g;
  const double sinAlt = std::cos(phi) * std::cos(delta) * std::cos(hourAngle) +
                        std::sin(phi) * std::sin(delta);
  const double alt = internal::SafeAsin(sinAlt);

  // Spherical-earth parallax from the full distance series.
  const double distance = MoonDistanceKm(x);
  const double parallaxInAlt =
      FullArcTangent(kEarthRadiusKm * std::cos(alt), distance - kEarthRadiusKm * std::sin(alt));
  return (alt - parallaxInAlt) * kRadToDeg;
}

Result<std::int32_t> FindHorizonCrossing(double latitude, double longitude, Body body,
                                         std::int64_t clock, std::int32_t gmtOffsetHours,
                                         std::int32_t timeOffset) {
  const Failure noElevation = Fail("no elevation of the body there and then");
  const Failure beyondYears = Fail("the crossing lies outside the years " +
                                   std::to_string(kFirstSupportedYear) + "-" +
                                   std::to_string(kLastSupportedYear));
  const std::int64_t base = clock + GmtOffsetSeconds(gmtOffsetHours);
  const std::int64_t now = base + timeOffset;
  const auto e = [&](std::int64_t at) { return Elevation(body, latitude, longitude, at); };

  std::int64_t offset = timeOffset;
  // No elevation (outside the supported years) or an undefined one (from
  // undefined coordinates): nothing to find.
  const auto defined = [](const Result<double>& v) { return v && !std::isnan(*v); };
  const auto first = e(now);
  if (!defined(first)) return noElevation;
  double h = *first;
  if (h != 0) {
    const bool setting = h > 0;
    double previous = h;
    std::int64_t s = 0;
    for (;;) {
      previous = h;
      const auto next = e(now + s);
      if (!defined(next)) return beyondYears;
      h = *next;
      if (setting ? h <= 0 : h >= 0) break;
      s += kSearchStepSeconds;
      if (s > kCrossingSearchLimitSeconds) {
        return Fail("no rise or set within 366 days", FailureKind::kNotFound);
      }
    }
    // Linear interpolation inside the last hour stepped.
    offset += s - static_cast<std::int64_t>(3600 * h / (h - previous));
    if (setting) {
      // Step past the set in 5-second steps while the body is still up.
      const auto up = [&](std::int64_t at) {
        const auto v = e(at);
        return v && *v > 0;
      };
      if (up(base + offset)) {
        for (int i = 0; i < kSetRefineSteps; ++i) {
          const bool stillUp = up(base + offset);
          offset += kSetRefineStepSeconds;
          if (!stillUp) break;
        }
      }
    }
  }
  offset += kCrossingMarginSeconds;

  if (offset < std::numeric_limits<std::int32_t>::min() ||
      offset > std::numeric_limits<std::int32_t>::max()) {
    return Fail("the crossing lies beyond the time offset's limit of " +
                std::to_string(std::numeric_limits<std::int32_t>::max()) + " s");
  }
  const std::int64_t target = base + offset;
  if (target < FirstSupportedSecond() || target > LastSupportedSecond()) return beyondYears;
  return static_cast<std::int32_t>(offset);
}

}  // namespace kelvora

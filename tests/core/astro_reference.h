// Today's astronomy routines as they stood before the series were rebuilt
// for speed: the reference the faster code is held to. Copied once and never
// tuned; only names were moved into this namespace. Library helpers that the
// rebuild did not touch (calendar, sidereal time, arctangent, map rows and
// columns) are called, not copied.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "astro/astro_internal.h"
#include "astro/footprint.h"
#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/rise_set.h"
#include "astro/time_helpers.h"

namespace kelvora::reference {

enum class Kind : unsigned char { Argument, SinV, CosV, SinVSecular, CosVSecular };

struct Term {
  double coef;
  signed char nl, nD, nF, nlp, nOm;
  Kind kind = Kind::Argument;
};

// Ecliptic longitude, arc seconds.
constexpr std::array<Term, 55> kLongitudeTerms = {{
    {22640, 1, 0, 0, 0, 0},   {-4586, 1, -2, 0, 0, 0},  {2370, 0, 2, 0, 0, 0},
    {769, 2, 0, 0, 0, 0},     {-668, 0, 0, 0, 1, 0},    {-412, 0, 0, 2, 0, 0},
    {-212, 2, -2, 0, 0, 0},   {-206, 1, -2, 0, 1, 0},   {192, 1, 2, 0, 0, 0},
    {165, 0, 2, 0, -1, 0},    {148, 1, 0, 0, -1, 0},    {-125, 0, 1, 0, 0, 0},
    {-110, 1, 0, 0, 1, 0},    {-55, 0, -2, 2, 0, 0},    {-45, 1, 0, 2, 0, 0},
    {40, 1, 0, -2, 0, 0},     {-38, 1, -4, 0, 0, 0},    {36, 3, 0, 0, 0, 0},
    {-31, 2, -4, 0, 0, 0},    {28, 1, -2, 0, -1, 0},    {-24, 0, 2, 0, 1, 0},
    {19, 1, -1, 0, 0, 0},     {18, 0, 1, 0, 1, 0},      {15, 1, 2, 0, -1, 0},
    {14, 2, 2, 0, 0, 0},      {14, 0, 4, 0, 0, 0},      {-13, 3, -2, 0, 0, 0},
    {-11, 0, 0, 0, 0, 0, Kind::SinV},                   {10, 2, 0, 0, -1, 0},
    {9, 1, -2, -2, 0, 0},     {9, 0, 0, 0, 0, 0, Kind::CosV},
    {-9, 2, -2, 0, 1, 0},     {-8, 1, 1, 0, 0, 0},      {8, 0, 2, 0, -2, 0},
    {-8, 2, 0, 0, 1, 0},      {-7, 0, 0, 0, 2, 0},      {-7, 1, -2, 0, 2, 0},
    {7, 0, 0, 0, 0, 1},       {-6, 1, 2, -2, 0, 0},     {-6, 0, 2, 2, 0, 0},
    {-4, 1, -4, 0, 1, 0},     {4, 0, 0, 0, 0, 0, Kind::CosVSecular},
    {-4, 2, 0, 2, 0, 0},      {4, 0, 0, 0, 0, 0, Kind::SinVSecular},
    {3, 1, -3, 0, 0, 0},      {-3, 1, 2, 0, 1, 0},      {-3, 2, -4, 0, 1, 0},
    {3, 1, 0, 0, -2, 0},      {3, 1, -2, 0, -2, 0},     {-2, 2, -2, 0, -1, 0},
    {-2, 0, -2, 2, 1, 0},     {2, 0, 4, 0, -1, 0},      {2, 1, 4, 0, 0, 0},
    {2, 2, -1, 0, 0, 0},      {2, 4, 0, 0, 0, 0},
}};

// Ecliptic latitude, arc seconds.
constexpr std::array<Term, 38> kLatitudeTerms = {{
    {18461, 0, 0, 1, 0, 0},  {1010, 1, 0, 1, 0, 0},   {1000, 1, 0, -1, 0, 0},
    {-624, 0, -2, 1, 0, 0},  {-199, 1, -2, -1, 0, 0}, {-167, 1, -2, 1, 0, 0},
    {117, 0, 2, 1, 0, 0},    {62, 2, 0, 1, 0, 0},     {33, 1, 2, -1, 0, 0},
    {32, 2, 0, -1, 0, 0},    {-30, 0, -2, 1, 1, 0},   {-16, 2, -2, 1, 0, 0},
    {15, 1, 2, 1, 0, 0},     {12, 0, -2, 1, -1, 0},   {-9, 1, -2, -1, 1, 0},
    {-8, 0, 0, 1, 0, 1},     {8, 0, 2, 1, -1, 0},     {-7, 1, -2, 1, 1, 0},
    {7, 1, 0, 1, -1, 0},     {-7, 1, -4, 1, 0, 0},    {-6, 0, 0, 1, 1, 0},
    {-6, 0, 0, 3, 0, 0},     {6, 1, 0, -1, -1, 0},    {-5, 0, 1, 1, 0, 0},
    {-5, 1, 0, 1, 1, 0},     {-5, 1, 0, -1, 1, 0},    {5, 0, 0, 1, -1, 0},
    {5, 0, -1, 1, 0, 0},     {4, 3, 0, 1, 0, 0},      {-4, 0, -4, 1, 0, 0},
    {-3, 1, -4, -1, 0, 0},   {3, 1, 0, -3, 0, 0},     {-2, 2, -4, -1, 0, 0},
    {-2, 0, -2, 3, 0, 0},    {2, 1, 2, -1, -1, 0},    {2, 3, 0, -1, 0, 0},
    {2, 2, -2, -1, 0, 0},    {2, 2, 2, -1, 0, 0},
}};

// Distance, earth radii.
constexpr std::array<Term, 29> kDistanceTerms = {{
    {-3.27746, 1, 0, 0, 0, 0},  {-0.57994, 1, -2, 0, 0, 0}, {-0.46357, 0, 2, 0, 0, 0},
    {-0.08904, 2, 0, 0, 0, 0},  {0.03865, 2, -2, 0, 0, 0},  {-0.03237, 0, 2, 0, -1, 0},
    {-0.02688, 1, 2, 0, 0, 0},  {-0.02358, 1, -2, 0, 1, 0}, {-0.02030, 1, 0, 0, -1, 0},
    {0.01719, 0, 1, 0, 0, 0},   {0.01671, 1, 0, 0, 1, 0},   {0.01247, 1, 0, -2, 0, 0},
    {0.00704, 0, 0, 0, 1, 0},   {0.00529, 0, 2, 0, 1, 0},   {-0.00524, 1, -4, 0, 0, 0},
    {0.00398, 1, -2, 0, -1, 0}, {-0.00366, 3, 0, 0, 0, 0},  {-0.00295, 2, -4, 0, 0, 0},
    {-0.00263, 0, 1, 0, 1, 0},  {0.00249, 3, -2, 0, 0, 0},  {-0.00221, 1, 2, 0, -1, 0},
    {0.00185, 0, -2, 2, 0, 0},  {-0.00161, 0, 2, 0, -2, 0}, {0.00147, 1, -2, 2, 0, 0},
    {-0.00142, 0, 4, 0, 0, 0},  {0.00139, 2, -2, 0, 1, 0},  {-0.00118, 1, -4, 0, 1, 0},
    {-0.00116, 2, 2, 0, 0, 0},  {-0.00110, 2, 0, 0, -1, 0},
}};

// Terms are written l, D, F, l', Omega in that order, so summing the
// multiples in that order reproduces each written argument exactly.
inline double ArgumentOf(const Term& term, const internal::LunarArguments& a) {
  double x = term.nl * a.l;
  x += term.nD * a.D;
  x += term.nF * a.F;
  x += term.nlp * a.lp;
  x += term.nOm * a.Omega;
  return x;
}

template <std::size_t N>
double SineSeries(const std::array<Term, N>& terms, const internal::LunarArguments& a,
                  double sinV, double cosV, double secular) {
  double sum = 0;
  for (const Term& term : terms) {
    switch (term.kind) {
      case Kind::Argument:
        sum += term.coef * std::sin(ArgumentOf(term, a));
        break;
      case Kind::SinV:
        sum += term.coef * sinV;
        break;
      case Kind::CosV:
        sum += term.coef * cosV;
        break;
      case Kind::SinVSecular:
        sum += term.coef * secular * sinV;
        break;
      case Kind::CosVSecular:
        sum += term.coef * secular * cosV;
        break;
    }
  }
  return sum;
}

inline double Frac(double x) { return x - std::trunc(x); }

inline constexpr double kCosObliquity = 0.917463;
inline constexpr double kSinObliquity = 0.397821;

inline internal::LunarArguments FundamentalArguments(double t, double twoPi, bool withNode) {
  internal::LunarArguments a{};
  a.l = twoPi * Frac(0.374897 + 0.03629164709 * t);
  a.F = twoPi * Frac(0.259091 + 0.0367481952 * t);
  a.D = twoPi * Frac(0.827362 + 0.03386319198 * t);
  a.lp = twoPi * Frac(0.993126 + 0.0027377785 * t);
  a.Omega = withNode ? twoPi * Frac(0.347343 - 0.00014709391 * t) : 0.0;
  return a;
}

inline double DistanceSeries(const internal::LunarArguments& args) {
  double sum = 0;
  for (const Term& term : kDistanceTerms) sum += term.coef * std::cos(ArgumentOf(term, args));
  return sum;
}

inline double MoonDistanceEarthRadii(double daysFromJ2000) {
  const auto args = FundamentalArguments(daysFromJ2000, kTwoPi, false);
  return 60.36298 + DistanceSeries(args);
}

inline double MoonDistanceAt(double a, double b) {
  return kEarthRadiusKm * MoonDistanceEarthRadii(a + b);
}

// The range rate as the sun routine computed it, m/s.
inline double MoonRangeRate(double x) {
  const double r0 = MoonDistanceEarthRadii(x - 10957.5);
  const double r1 = MoonDistanceEarthRadii(x - 10957.5 + 0.0006944444444444445);
  return (r1 - r0) * 106302.66666666667;
}

inline std::optional<internal::MoonEquatorial> MoonEquatorialAt(std::int64_t adjusted,
                                                                bool withDistance) {
  using internal::FullArcTangentPi;
  const auto civil = BreakDownTime(adjusted);
  if (!civil) return std::nullopt;
  internal::MoonEquatorial place{};
  place.dayCount = static_cast<double>(adjusted) / 86400;
  const double f = (civil->minute / 60.0 + civil->hour + civil->second / 3600.0) / 24;
  const int n = DayNumber(civil->year, civil->month, civil->day);
  place.d50 = n - 35735;
  place.dayFraction = f;
  const double t = n - 53997.5 + f;
  const double centuries = t * 2.7378507871321012e-05;
  const auto args = FundamentalArguments(t, kTwoPiMoon, true);
  const double ls = kTwoPiMoon * Frac(0.779072 + 0.00273790931 * t);
  const double lv = kTwoPiMoon * Frac(0.505498 + 0.00445046867 * t);
  const double v = args.l + 16 * ls - 18 * lv;
  const double sinV = std::sin(v);
  const double cosV = std::cos(v);
  const double sumLongitude = SineSeries(kLongitudeTerms, args, sinV, cosV, 1 + centuries);
  const double sumLatitude = SineSeries(kLatitudeTerms, args, sinV, cosV, 1 + centuries);
  const double lambda = kTwoPiMoon * Frac(0.606434 + 0.03660110129 * t) +
                        kTwoPiMoon * (sumLongitude * 7.716049382716049e-07);
  const double beta = kTwoPiMoon * (sumLatitude * 7.716049382716049e-07);
  if (withDistance) {
    place.distance = kEarthRadiusKm * (60.36298 + DistanceSeries(args));
  }
  const double sinBeta = std::sin(beta);
  const double cosBeta = std::cos(beta);
  const double sinLambda = std::sin(lambda);
  const double cosLambda = std::cos(lambda);
  const double sinDelta = sinBeta * kCosObliquity + cosBeta * sinLambda * kSinObliquity;
  const double delta =
      FullArcTangentPi(sinDelta, internal::SqrtOneMinusSquare(sinDelta), kPiMoon);
  const double cosDelta = std::cos(delta);
  const double y = (cosBeta * sinLambda * kCosObliquity - sinBeta * kSinObliquity) / cosDelta;
  const double x = cosBeta * cosLambda / cosDelta;
  double alpha = FullArcTangentPi(y, x, kPiMoon);
  if (alpha < 0) alpha += kTwoPiMoon;
  if (alpha > kTwoPiMoon) alpha -= kTwoPiMoon;
  place.eclipticLongitude = lambda;
  place.eclipticLatitude = beta;
  place.rightAscension = alpha;
  place.declination = delta;
  place.sinDelta = sinDelta;
  place.cosDelta = cosDelta;
  return place;
}

inline std::optional<MoonFix> MoonPosition(double latitude, double longitude,
                                           std::int64_t clock, const TimeBase& base) {
  using internal::FullArcTangentPi;
  const auto place = MoonEquatorialAt(base.Adjust(clock), true);
  if (!place) return std::nullopt;
  MoonFix fix{};
  fix.dayCount = place->dayCount;
  const double alpha = place->rightAscension;
  const double delta = place->declination;
  const double sinDelta = place->sinDelta;
  const double cosDelta = place->cosDelta;
  const double distance = place->distance;
  const double theta = internal::SiderealHours(place->d50, place->dayFraction, kMoonDegToRad);
  double g = theta * kSiderealHoursToRad - alpha;
  if (g < 0) g += kTwoPiMoon;
  if (g > kTwoPiMoon) g -= kTwoPiMoon;
  const double phi = latitude * kMoonDegToRad;
  const double hourAngle = longitude * kMoonDegToRad - g;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double sinH = std::sin(hourAngle);
  const double cosH = std::cos(hourAngle);
  const double sinAlt = cosH * cosDelta * cosPhi + sinPhi * sinDelta;
  const double alt = internal::SafeAsin(sinAlt);
  const double cosAlt = std::cos(alt);
  double sinA = 0;
  double cosA = 0;
  if (cosAlt * cosPhi != 0) {
    cosA = sinDelta / (cosAlt * cosPhi) - std::tan(alt) * std::tan(phi);
    sinA = sinH * cosDelta / cosAlt;
  } else {
    cosA = sinDelta - sinAlt * sinPhi;
    sinA = sinH * cosDelta * cosPhi;
  }
  double azimuth = FullArcTangentPi(sinA, cosA, kPiMoon);
  if (azimuth <= 0) azimuth += kTwoPiMoon;
  double azimuthSouth = azimuth - kPiMoon;
  if (azimuthSouth <= 0) azimuthSouth += kTwoPiMoon;
  const double gamma = 0.000536775 * std::sin(2 * phi) - 9.03e-07 * std::sin(4 * phi);
  const double rho = 0.99832005 + 0.00168349 * std::cos(2 * phi) -
                     3.55e-06 * std::cos(4 * phi) + 1e-08 * std::cos(6 * phi);
  const double parallax = internal::SafeAsin(std::sin(kEarthRadiusKm / distance));
  const double z = kPiMoon / 2 - alt;
  const double zTopo = z + parallax * rho * std::sin(z - gamma * std::cos(azimuthSouth));
  const double sinZ = std::sin(z);
  double azTopo = azimuthSouth + kPiMoon;
  if (sinZ != 0) {
    azTopo = azimuthSouth + parallax * rho * std::sin(gamma) * std::sin(azimuthSouth) / sinZ +
             kPiMoon;
  }
  if (azTopo > kTwoPiMoon) azTopo -= kTwoPiMoon;
  if (azTopo <= 0 || azTopo > kTwoPiMoon) {
    azTopo = std::fmod(azTopo, kTwoPiMoon);
    if (azTopo <= 0) azTopo += kTwoPiMoon;
  }
  fix.hourAngle = g;
  fix.azimuth = azTopo * kMoonRadToDeg;
  fix.elevation = (kPiMoon / 2 - zTopo) * kMoonRadToDeg;
  fix.declination = delta;
  fix.rightAscension = alpha;
  fix.distance = distance;
  fix.eclipticLongitude = place->eclipticLongitude;
  fix.eclipticLatitude = place->eclipticLatitude;
  fix.siderealHours = theta;
  fix.geocentricElevation = alt * kMoonRadToDeg;
  return fix;
}

// The perigee and apogee counts from fresh daily samples on every call.
inline PerigeeApogee UpdatePerigeeApogee(double moonDayCount, PerigeeApogee previous) {
  constexpr int kSearchDays = 30;
  constexpr int kSpan = kSearchDays + 1;
  const double todayStart = std::floor(moonDayCount);
  std::array<std::optional<std::int32_t>, 2 * kSpan + 1> samples{};
  const auto sample = [&](int day) {
    auto& slot = samples[static_cast<std::size_t>(day + kSpan)];
    if (!slot) slot = static_cast<std::int32_t>(MoonDistanceAt(-10957.5, todayStart + day));
    return *slot;
  };
  const auto firstDay = [&](auto turned) -> std::optional<int> {
    for (int j = 1; j <= kSearchDays; ++j) {
      if (turned(j)) return j;
    }
    return std::nullopt;
  };
  const std::int32_t today = sample(0);
  const std::int32_t tomorrow = sample(1);
  const std::int32_t yesterday = sample(-1);
  PerigeeApogee result = previous;
  if (today > tomorrow) {
    if (auto j = firstDay([&](int d) { return sample(d) <= sample(d + 1); })) {
      result.perigeeDays = *j;
    }
    if (today < yesterday) {
      if (auto j = firstDay([&](int d) { return sample(-d) >= sample(-d - 1); })) {
        result.apogeeDays = -*j;
      }
    } else {
      result.apogeeDays = 0;
    }
  } else if (today < tomorrow) {
    if (auto j = firstDay([&](int d) { return sample(d) >= sample(d + 1); })) {
      result.apogeeDays = *j;
    }
    if (today > yesterday) {
      if (auto j = firstDay([&](int d) { return sample(-d) <= sample(-d - 1); })) {
        result.perigeeDays = -*j;
      }
    } else {
      result.perigeeDays = 0;
    }
  }
  return result;
}

// The original all-pairs exchange pass that orders the outline by column.
template <std::size_t N>
void ExchangePass(std::array<MapPoint, N>& pts, std::size_t count = kCircleSteps) {
  for (std::size_t p = 0; p < count; ++p) {
    for (std::size_t q = 0; q < count; ++q) {
      if (pts[p].x < pts[q].x) std::swap(pts[p], pts[q]);
    }
    if (pts[p].x >= 429) pts[p].x = 429;
  }
}

// The outline with the original all-pairs exchange pass.
inline Footprint VisibilityFootprint(double declination, double hourAngle,
                                     const CircleTables& circles) {
  const double radius = std::acos(0.0);
  const double cr = std::cos(radius);
  const double sr = std::sin(radius);
  const double sinDelta = std::sin(declination);
  const double cosDelta = std::cos(declination);
  const double sinG = std::sin(hourAngle);
  const double cosG = std::cos(hourAngle);
  Footprint out{};
  auto& pts = out.points;
  for (std::size_t i = 0; i < kCircleSteps; ++i) {
    const double si = circles.circleSin[i];
    const double ci = circles.circleCos[i];
    const double a = cr * cosDelta - sr * si * sinDelta;
    const double b = sr * ci;
    const double x = cosG * a - sinG * b;
    const double y = sinG * a + cosG * b;
    const double westLongitude = FullArcTangent(y, x) * kMapRadToDeg + 180;
    const double latitude = internal::SafeAsin(sr * si * cosDelta + cr * sinDelta) * kMapRadToDeg;
    pts[i] = {MapXForLongitude(westLongitude), MapYForLatitude(-latitude)};
  }
  ExchangePass(pts);
  for (std::size_t i = 0; i < kCircleSteps; ++i) {
    pts[i].y += 148;
    if (pts[i].y > 473) pts[i].y = 473;
  }
  const double declinationDegrees = declination * kMapRadToDeg;
  if (declinationDegrees < -1.01 || declinationDegrees > 1.01) {
    const int edgeRow = declinationDegrees < 0 ? 473 : 170;
    pts[0] = {1, edgeRow};
    pts[1].x = 1;
    pts[178].x = 429;
    pts[179] = {429, edgeRow};
    pts[180] = {1, edgeRow};
    out.count = kFootprintPoints;
    return out;
  }
  const int subColumn = MapXForLongitude(hourAngle * kMapRadToDeg);
  int left = subColumn - 105;
  if (left < 1) left += 429;
  int right = subColumn + 105;
  if (right > 427) right -= 429;
  if (right > left) {
    pts[0] = {left, 171};
    pts[1] = {right, 171};
    pts[2] = {right, 474};
    pts[3] = {left, 474};
    pts[4] = {left, 171};
    out.count = 5;
  } else {
    pts[0] = {1, 171};
    pts[1] = {right, 171};
    pts[2] = {right, 474};
    pts[3] = {1, 474};
    pts[4] = {1, 171};
    pts[5] = {left, 171};
    pts[6] = {429, 171};
    pts[7] = {429, 474};
    pts[8] = {left, 474};
    pts[9] = {left, 171};
    out.count = 10;
  }
  return out;
}

// The short moon series of the rise and set search and the search itself.
inline double SinDeg(double degrees) { return std::sin(degrees * kDegToRad); }
inline double CosDeg(double degrees) { return std::cos(degrees * kDegToRad); }

inline double QuickMoonElevation(double latitude, double longitude, std::int64_t time) {
  const auto civil = BreakDownTime(time);
  if (!civil) return std::numeric_limits<double>::quiet_NaN();

  // Days from 1992-12-31 00:00.
  const double hour = civil->hour + civil->minute / 60.0 + civil->second / 3600.0;
  const int y = civil->month >= 3 ? civil->year : civil->year - 1;
  const int m = civil->month >= 3 ? civil->month : civil->month + 12;
  const double d = static_cast<int>(365.25 * y) + static_cast<int>(30.6 * (m + 1)) + civil->day +
                   hour / 24 - 428 - 727578;

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
  const double r = 6378.14 / SinDeg(parallax);

  const double sinEps = std::sin(0.40911564864300975);
  const double cosEps = std::cos(0.40911564864300975);
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
  const double distance = reference::MoonDistanceAt(-10957.5, x);
  const double parallaxInAlt =
      FullArcTangent(kEarthRadiusKm * std::cos(alt), distance - kEarthRadiusKm * std::sin(alt));
  return (alt - parallaxInAlt) * kRadToDeg;
}

inline std::optional<std::int32_t> FindHorizonCrossing(double latitude, double longitude, Body body,
                                                std::int64_t clock, std::int32_t gmtOffsetHours,
                                                std::int32_t timeOffset) {
  const std::int64_t base = clock + std::int64_t{gmtOffsetHours} * 3600;
  const std::int64_t now = base + timeOffset;
  const auto e = [&](std::int64_t at) { return body == Body::Moon ? QuickMoonElevation(latitude, longitude, at) : QuickSunElevation(latitude, longitude, at); };

  std::int64_t offset = timeOffset;
  double h = e(now);
  if (std::isnan(h)) return std::nullopt;
  if (h != 0) {
    const bool setting = h > 0;
    double previous = h;
    std::int64_t s = 0;
    for (;;) {
      previous = h;
      h = e(now + s);
      if (std::isnan(h)) return std::nullopt;
      if (setting ? h <= 0 : h >= 0) break;
      s += 3600;
      if (s > 366LL * 86400) return std::nullopt;
    }
    // Linear interpolation inside the last hour stepped.
    offset += s - static_cast<std::int64_t>(3600 * h / (h - previous));
    if (setting) {
      // Step past the set in 5-second steps while the body is still up.
      if (e(base + offset) > 0) {
        for (int i = 0; i < 22; ++i) {
          const double stillUp = e(base + offset);
          offset += 5;
          if (!(stillUp > 0)) break;
        }
      }
    }
  }
  offset += 30;

  if (offset < std::numeric_limits<std::int32_t>::min() ||
      offset > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  const std::int64_t target = base + offset;
  if (target < FirstSupportedSecond() || target > LastSupportedSecond()) return std::nullopt;
  return static_cast<std::int32_t>(offset);
}

}  // namespace kelvora::reference

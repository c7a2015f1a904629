#include "astro/moon.h"

#include <array>
#include <cmath>

#include "astro/astro_internal.h"

namespace kelvora {

namespace {

// A periodic term coef * sin or cos (nl*l + nD*D + nF*F + nlp*l' + nOm*Omega),
// or one of the Venus terms in V = l + 16 Ls - 18 Lv.
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

// Obliquity of the ecliptic, fixed.
constexpr double kCosObliquity = 0.917463;
constexpr double kSinObliquity = 0.397821;

}  // namespace

namespace internal {

LunarArguments FundamentalArguments(double t, double twoPi, bool withNode) {
  LunarArguments a{};
  a.l = twoPi * Frac(0.374897 + 0.03629164709 * t);
  a.F = twoPi * Frac(0.259091 + 0.0367481952 * t);
  a.D = twoPi * Frac(0.827362 + 0.03386319198 * t);
  a.lp = twoPi * Frac(0.993126 + 0.0027377785 * t);
  a.Omega = withNode ? twoPi * Frac(0.347343 - 0.00014709391 * t) : 0.0;
  return a;
}

double DistanceSeries(const LunarArguments& args) {
  double sum = 0;
  for (const Term& term : kDistanceTerms) sum += term.coef * std::cos(ArgumentOf(term, args));
  return sum;
}

}  // namespace internal

double MoonDistanceEarthRadii(double daysFromJ2000) {
  const auto args = internal::FundamentalArguments(daysFromJ2000, kTwoPi, false);
  return 60.36298 + internal::DistanceSeries(args);
}

double MoonDistanceAt(double a, double b) {
  return kEarthRadiusKm * MoonDistanceEarthRadii(a + b);
}

namespace internal {

std::optional<MoonEquatorial> MoonEquatorialAt(std::int64_t adjusted, bool withDistance) {
  using internal::FullArcTangentPi;

  // 1. Time, broken down on the UTC scale.
  const auto civil = BreakDownTime(adjusted);
  if (!civil) return std::nullopt;
  MoonEquatorial place{};
  place.dayCount = static_cast<double>(adjusted) / 86400;
  const double f = (civil->minute / 60.0 + civil->hour + civil->second / 3600.0) / 24;

  // 2. Day counts: from 1950-01-01 00:00 and from J2000.0.
  const int n = DayNumber(civil->year, civil->month, civil->day);
  place.d50 = n - 35735;
  place.dayFraction = f;
  const double t = n - 53997.5 + f;
  const double centuries = t * 2.7378507871321012e-05;

  // 3. Fundamental arguments.
  const auto args = internal::FundamentalArguments(t, kTwoPiMoon, true);
  const double ls = kTwoPiMoon * Frac(0.779072 + 0.00273790931 * t);
  const double lv = kTwoPiMoon * Frac(0.505498 + 0.00445046867 * t);
  const double v = args.l + 16 * ls - 18 * lv;
  const double sinV = std::sin(v);
  const double cosV = std::cos(v);

  // 4-6. Ecliptic longitude and latitude, distance.
  const double sumLongitude = SineSeries(kLongitudeTerms, args, sinV, cosV, 1 + centuries);
  const double sumLatitude = SineSeries(kLatitudeTerms, args, sinV, cosV, 1 + centuries);
  const double lambda = kTwoPiMoon * Frac(0.606434 + 0.03660110129 * t) +
                        kTwoPiMoon * (sumLongitude * 7.716049382716049e-07);
  const double beta = kTwoPiMoon * (sumLatitude * 7.716049382716049e-07);
  if (withDistance) {
    place.distance = kEarthRadiusKm * (60.36298 + internal::DistanceSeries(args));
  }

  // 7. Equatorial coordinates, fixed obliquity.
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

}  // namespace internal

std::optional<MoonFix> MoonPosition(double latitude, double longitude, std::int64_t clock,
                                    const TimeBase& base) {
  using internal::FullArcTangentPi;

  const auto place = internal::MoonEquatorialAt(base.Adjust(clock), true);
  if (!place) return std::nullopt;
  MoonFix fix{};
  fix.dayCount = place->dayCount;
  const double alpha = place->rightAscension;
  const double delta = place->declination;
  const double sinDelta = place->sinDelta;
  const double cosDelta = place->cosDelta;
  const double distance = place->distance;

  // 8. Sidereal time and Greenwich hour angle.
  const double theta = internal::SiderealHours(place->d50, place->dayFraction, kMoonDegToRad);
  double g = theta * kSiderealHoursToRad - alpha;
  if (g < 0) g += kTwoPiMoon;
  if (g > kTwoPiMoon) g -= kTwoPiMoon;

  // 9. Geocentric horizontal coordinates. H is minus the local hour angle
  // because longitudes are west positive.
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
    // Moon in the zenith or observer at a pole: the same angle scaled by
    // cos h cos phi, which stays finite (and gives 0, i.e. north, at the zenith).
    cosA = sinDelta - sinAlt * sinPhi;
    sinA = sinH * cosDelta * cosPhi;
  }
  double azimuth = FullArcTangentPi(sinA, cosA, kPiMoon);
  if (azimuth <= 0) azimuth += kTwoPiMoon;
  double azimuthSouth = azimuth - kPiMoon;
  if (azimuthSouth <= 0) azimuthSouth += kTwoPiMoon;

  // 10. Topocentric correction for an ellipsoidal earth; no refraction.
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
  // Within a hair of the zenith the correction term above grows without
  // bound; keep the azimuth in its range there.
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

}  // namespace kelvora

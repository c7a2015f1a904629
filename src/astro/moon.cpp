#include "astro/moon.h"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "astro/astro_internal.h"

namespace kelvora {

// The lunar theory: low-precision trigonometric series of the kind published
// for the planets and the moon around 1980 (mean elements as linear
// functions of time in revolutions, periodic terms in arc seconds for the
// longitude and latitude and in earth radii for the distance). Their error
// is a few hundredths of a degree in direction and a few tens of kilometres
// in distance over the supported years.
//
// Fundamental arguments, each 2pi * frac(constant + rate * t), t in days from
// J2000.0 (the constant in revolutions, the rate in revolutions per day):
//   l      the moon's mean anomaly
//   F      the moon's argument of latitude (mean distance from its node)
//   D      the moon's mean elongation from the sun
//   l'     the sun's mean anomaly
//   Omega  the longitude of the moon's ascending node
// and, for the longitude itself and one planetary term, the moon's mean
// longitude, the sun's mean longitude Ls and Venus' mean longitude Lv,
// combined into V = l + 16 Ls - 18 Lv (a long-period perturbation by Venus).

namespace {

// Days from 1970-01-01 00:00 (day count 0) to J2000.0, 2000-01-01 12:00.
constexpr double kDaysFrom1970ToJ2000 = 10957.5;

// The periodic sums are in arc seconds: one turn is 1296000 of them.
constexpr double kTurnsPerArcSecond = 1.0 / 1296000;

// Mean distance of the series, earth radii.
constexpr double kMeanDistanceEarthRadii = 60.36298;

// One minute in days: the step of the range-rate difference, and the factor
// from earth radii per minute to metres per second.
constexpr double kRangeRateStepDays = 1.0 / 1440;
constexpr double kEarthRadiiPerMinuteToMetresPerSecond = kEarthRadiusKm * 1000 / 60;

// Obliquity of the ecliptic, fixed at its value near 1980.
constexpr double kCosObliquity = 0.917463;
constexpr double kSinObliquity = 0.397821;

// The earth's ellipsoid for the parallax correction, as series in the
// observer's latitude phi: the small angle gamma (sin 2phi, sin 4phi terms)
// between the vertical and the direction to the earth's centre, and the
// distance rho from the centre in equatorial radii (cos 2phi, 4phi, 6phi).
constexpr double kGammaSin2Phi = 0.000536775;
constexpr double kGammaSin4Phi = 9.03e-07;
constexpr double kRhoMean = 0.99832005;
constexpr double kRhoCos2Phi = 0.00168349;
constexpr double kRhoCos4Phi = 3.55e-06;
constexpr double kRhoCos6Phi = 1e-08;

// A periodic term coef * sin or cos (nl*l + nD*D + nF*F + nlp*l' + nOm*Omega),
// or one of the Venus terms in V.
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

inline double Frac(double x) { return x - std::trunc(x); }

// cos and sin of one angle.
struct Rotation {
  double c;
  double s;
};

// The angle sum by the addition formulas.
inline Rotation Compose(Rotation a, Rotation b) {
  return {a.c * b.c - a.s * b.s, a.s * b.c + a.c * b.s};
}

// cos and sin of k * angle for k = -K..K, from a single cos/sin pair. The
// series are sums of sines and cosines of small integer combinations of the
// fundamental arguments; building the combinations by angle addition needs
// five trigonometric pairs per call instead of one per term.
template <int K>
class Multiples {
 public:
  explicit Multiples(double angle) {
    const Rotation once{std::cos(angle), std::sin(angle)};
    at_[K] = {1.0, 0.0};
    for (int k = 1; k <= K; ++k) {
      at_[K + k] = Compose(at_[K + k - 1], once);
      at_[K - k] = {at_[K + k].c, -at_[K + k].s};
    }
  }
  Rotation operator[](int k) const { return at_[static_cast<std::size_t>(K + k)]; }

 private:
  std::array<Rotation, 2 * K + 1> at_{};
};

// The largest multiples the three tables use of each argument.
struct ArgumentRotations {
  explicit ArgumentRotations(const internal::LunarArguments& a)
      : l(a.l), D(a.D), F(a.F), lp(a.lp), Omega(a.Omega) {}
  Multiples<4> l;
  Multiples<4> D;
  Multiples<3> F;
  Multiples<2> lp;
  Multiples<1> Omega;
};

// One factor of a term's angle: nothing for a zero multiple, the first
// non-zero multiple as it is, every later one by angle addition.
template <int N, bool kStarted, int K>
inline Rotation Factor(Rotation sofar, const Multiples<K>& multiples) {
  if constexpr (N == 0) {
    return sofar;
  } else if constexpr (!kStarted) {
    return multiples[N];
  } else {
    return Compose(sofar, multiples[N]);
  }
}

template <const auto& kTerms, std::size_t I>
inline Rotation TermRotation(const ArgumentRotations& r) {
  constexpr Term t = kTerms[I];
  static_assert(t.nl >= 0 && t.nl <= 4 && t.nD >= -4 && t.nD <= 4 && t.nF >= -3 && t.nF <= 3 &&
                t.nlp >= -2 && t.nlp <= 2 && t.nOm >= 0 && t.nOm <= 1);
  static_assert(t.kind != Kind::Argument || t.nl != 0 || t.nD != 0 || t.nF != 0 || t.nlp != 0 ||
                t.nOm != 0);
  constexpr bool afterL = t.nl != 0;
  constexpr bool afterD = afterL || t.nD != 0;
  constexpr bool afterF = afterD || t.nF != 0;
  constexpr bool afterLp = afterF || t.nlp != 0;
  Rotation x{1.0, 0.0};
  x = Factor<t.nl, false>(x, r.l);
  x = Factor<t.nD, afterL>(x, r.D);
  x = Factor<t.nF, afterD>(x, r.F);
  x = Factor<t.nlp, afterF>(x, r.lp);
  x = Factor<t.nOm, afterLp>(x, r.Omega);
  return x;
}

// The Venus term's values for the sine series.
struct VenusTerm {
  double sinV;
  double cosV;
  double secular;  // 1 + Julian centuries from J2000.0
};

template <const auto& kTerms, std::size_t I>
inline double SineTerm(const ArgumentRotations& r, const VenusTerm& v) {
  constexpr Term t = kTerms[I];
  if constexpr (t.kind == Kind::Argument) {
    return t.coef * TermRotation<kTerms, I>(r).s;
  } else if constexpr (t.kind == Kind::SinV) {
    return t.coef * v.sinV;
  } else if constexpr (t.kind == Kind::CosV) {
    return t.coef * v.cosV;
  } else if constexpr (t.kind == Kind::SinVSecular) {
    return t.coef * v.secular * v.sinV;
  } else {
    return t.coef * v.secular * v.cosV;
  }
}

// The terms are summed in table order, as they are written.
template <const auto& kTerms, std::size_t... I>
double SineSum(const ArgumentRotations& r, const VenusTerm& v, std::index_sequence<I...>) {
  double sum = 0;
  ((sum += SineTerm<kTerms, I>(r, v)), ...);
  return sum;
}

template <const auto& kTerms>
double SineSeries(const ArgumentRotations& r, const VenusTerm& v) {
  return SineSum<kTerms>(r, v, std::make_index_sequence<kTerms.size()>());
}

template <std::size_t... I>
double CosineSum(const ArgumentRotations& r, std::index_sequence<I...>) {
  double sum = 0;
  ((sum += kDistanceTerms[I].coef * TermRotation<kDistanceTerms, I>(r).c), ...);
  return sum;
}

// Sum of the distance series in earth radii, without the mean distance.
double DistanceSeries(const ArgumentRotations& r) {
  return CosineSum(r, std::make_index_sequence<kDistanceTerms.size()>());
}

// V = l + 16 Ls - 18 Lv, brought back to one turn before its sine and cosine.
VenusTerm VenusTermAt(double l, double ls, double lv, double centuries) {
  constexpr double kFullTurn = 2 * std::numbers::pi;
  double v = l + 16 * ls - 18 * lv;
  v -= kFullTurn * std::round(v / kFullTurn);
  return {std::sin(v), std::cos(v), 1 + centuries};
}

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

}  // namespace internal

double MoonDistanceEarthRadii(double daysFromJ2000) {
  const auto args = internal::FundamentalArguments(daysFromJ2000, kTwoPi, false);
  return kMeanDistanceEarthRadii + DistanceSeries(ArgumentRotations(args));
}

double MoonDistanceKm(double daysSince1970) {
  return kEarthRadiusKm * MoonDistanceEarthRadii(daysSince1970 - kDaysFrom1970ToJ2000);
}

double MoonRangeRate(double daysSince1970) {
  const double r0 = MoonDistanceEarthRadii(daysSince1970 - kDaysFrom1970ToJ2000);
  const double r1 =
      MoonDistanceEarthRadii(daysSince1970 - kDaysFrom1970ToJ2000 + kRangeRateStepDays);
  return (r1 - r0) * kEarthRadiiPerMinuteToMetresPerSecond;
}

namespace internal {

Result<MoonEquatorial> MoonEquatorialAt(std::int64_t adjusted, bool withDistance) {
  using internal::FullArcTangentPi;

  // The moment broken down on the UTC scale.
  const auto civil = BreakDownTime(adjusted);
  if (!civil) return civil.failure();
  MoonEquatorial place{};
  place.dayCount = static_cast<double>(adjusted) / 86400;
  const double f = (civil->minute / 60.0 + civil->hour + civil->second / 3600.0) / 24;

  // Day counts: whole days from 1950-01-01 00:00 for the sidereal time, days
  // with fraction from J2000.0 for the theory.
  const int n = DayNumber(civil->year, civil->month, civil->day);
  place.d50 = n - kDayNumber1950;
  place.dayFraction = f;
  const double t = n - kDayNumberJ2000 + f;
  const double centuries = t * kCenturiesPerDay;

  // The fundamental arguments and the Venus term.
  const auto args = internal::FundamentalArguments(t, kTwoPiMoon, true);
  const ArgumentRotations rotations(args);
  const double ls = kTwoPiMoon * Frac(0.779072 + 0.00273790931 * t);
  const double lv = kTwoPiMoon * Frac(0.505498 + 0.00445046867 * t);
  const VenusTerm venus = VenusTermAt(args.l, ls, lv, centuries);

  // Ecliptic longitude (mean longitude plus the periodic sum) and latitude,
  // and the distance when asked for.
  const double sumLongitude = SineSeries<kLongitudeTerms>(rotations, venus);
  const double sumLatitude = SineSeries<kLatitudeTerms>(rotations, venus);
  const double lambda = kTwoPiMoon * Frac(0.606434 + 0.03660110129 * t) +
                        kTwoPiMoon * (sumLongitude * kTurnsPerArcSecond);
  const double beta = kTwoPiMoon * (sumLatitude * kTurnsPerArcSecond);
  if (withDistance) {
    place.distance = kEarthRadiusKm * (kMeanDistanceEarthRadii + DistanceSeries(rotations));
  }

  // Ecliptic to equatorial coordinates, fixed obliquity.
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

Result<MoonFix> MoonPosition(double latitude, double longitude, std::int64_t clock,
                             const TimeBase& base) {
  using internal::FullArcTangentPi;

  const auto place = internal::MoonEquatorialAt(base.Adjust(clock), true);
  if (!place) return place.failure();
  MoonFix fix{};
  fix.dayCount = place->dayCount;
  const double alpha = place->rightAscension;
  const double delta = place->declination;
  const double sinDelta = place->sinDelta;
  const double cosDelta = place->cosDelta;
  const double distance = place->distance;

  // Sidereal time and the Greenwich hour angle.
  const double theta = internal::SiderealHours(place->d50, place->dayFraction, kMoonDegToRad);
  double g = theta * kSiderealHoursToRad - alpha;
  if (g < 0) g += kTwoPiMoon;
  if (g > kTwoPiMoon) g -= kTwoPiMoon;

  // Geocentric horizontal coordinates. H is minus the local hour angle
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

  // Topocentric correction for an ellipsoidal earth; no refraction.
  const double gamma = kGammaSin2Phi * std::sin(2 * phi) - kGammaSin4Phi * std::sin(4 * phi);
  const double rho = kRhoMean + kRhoCos2Phi * std::cos(2 * phi) -
                     kRhoCos4Phi * std::cos(4 * phi) + kRhoCos6Phi * std::cos(6 * phi);
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

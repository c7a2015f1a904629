#include "precise/libration.h"

#include <erfa.h>
#include <erfam.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvora::precise {

namespace {

constexpr double kRadPerDeg = ERFA_DPI / 180.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kDaysPerCentury = 36525.0;

// One periodic argument of the IAU model, E_n = e0 + rate * d (degrees,
// d in days from J2000), with its terms in the pole's right ascension
// (sine), declination (cosine) and the prime meridian (sine), degrees.
struct Term {
  double e0, rate, alpha, delta, w;
};

constexpr std::array<Term, 13> kTerms = {{
    {125.045, -0.0529921, -3.8787, 1.5419, 3.5610},   // E1
    {250.089, -0.1059842, -0.1204, 0.0239, 0.1208},   // E2
    {260.008, 13.0120009, 0.0700, -0.0278, -0.0642},  // E3
    {176.625, 13.3407154, -0.0172, 0.0068, 0.0158},   // E4
    {357.529, 0.9856003, 0.0, 0.0, 0.0252},           // E5
    {311.589, 26.4057084, 0.0072, -0.0029, -0.0066},  // E6
    {134.963, 13.0649930, 0.0, 0.0009, -0.0047},      // E7
    {276.617, 0.3287146, 0.0, 0.0, -0.0046},          // E8
    {34.226, 1.7484877, 0.0, 0.0, 0.0028},            // E9
    {15.134, -0.1589763, -0.0052, 0.0008, 0.0052},    // E10
    {119.743, 0.0036096, 0.0, 0.0, 0.0040},           // E11
    {239.961, 0.1643573, 0.0, 0.0, 0.0019},           // E12
    {25.053, 12.9590088, 0.0043, -0.0009, -0.0044},   // E13
}};

// The polynomial parts: degrees, degrees per century (pole) or per day (W).
constexpr double kAlpha0 = 269.9949, kAlphaRate = 0.0031;
constexpr double kDelta0 = 66.5392, kDeltaRate = 0.0130;
constexpr double kW0 = 38.3213, kWRate = 13.17635815, kWQuadratic = -1.4e-12;

struct Vec {
  double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Norm(Vec a) { return std::sqrt(Dot(a, a)); }
Vec FromArray(const double v[3]) { return {v[0], v[1], v[2]}; }
Vec Apply(const double r[3][3], Vec v) {
  return {r[0][0] * v.x + r[0][1] * v.y + r[0][2] * v.z,
          r[1][0] * v.x + r[1][1] * v.y + r[1][2] * v.z,
          r[2][0] * v.x + r[2][1] * v.y + r[2][2] * v.z};
}
Vec ApplyTransposed(const double r[3][3], Vec v) {
  return {r[0][0] * v.x + r[1][0] * v.y + r[2][0] * v.z,
          r[0][1] * v.x + r[1][1] * v.y + r[2][1] * v.z,
          r[0][2] * v.x + r[1][2] * v.y + r[2][2] * v.z};
}

Result<Vec> StationPosition(const Site& site) {
  if (Status checked = CheckSite(site); !checked) return checked.failure();
  double xyz[3];
  if (eraGd2gc(ERFA_WGS84, -site.longitudeWestDeg * kRadPerDeg, site.latitudeDeg * kRadPerDeg,
               site.heightM, xyz) != 0) {
    return Fail("ERFA refused the station's place on the WGS84 ellipsoid", FailureKind::kBroken);
  }
  return FromArray(xyz);
}

// A direction from the moon's centre (GCRS) as a point of its surface.
Libration PointOnMoon(double tt1, double tt2, Vec gcrs) {
  const MoonOrientation o = MoonOrientationAt(tt1, tt2);
  const Vec b = Apply(o.gcrsToBody, gcrs);
  return {std::atan2(b.z, std::hypot(b.x, b.y)) / kRadPerDeg, std::atan2(b.y, b.x) / kRadPerDeg};
}

}  // namespace

MoonOrientation MoonOrientationAt(double tt1, double tt2) {
  const double d = (tt1 - ERFA_DJ00) + tt2;
  const double t = d / kDaysPerCentury;
  // Angles in degrees, their rates in degrees per day.
  double alpha = kAlpha0 + kAlphaRate * t;
  double delta = kDelta0 + kDeltaRate * t;
  double w = std::fmod(kW0 + kWRate * d, 360.0) + kWQuadratic * d * d;
  double alphaDot = kAlphaRate / kDaysPerCentury;
  double deltaDot = kDeltaRate / kDaysPerCentury;
  double wDot = kWRate + 2.0 * kWQuadratic * d;
  for (const Term& term : kTerms) {
    const double e = std::fmod(term.e0 + term.rate * d, 360.0) * kRadPerDeg;
    const double s = std::sin(e);
    const double c = std::cos(e);
    const double eDot = term.rate * kRadPerDeg;  // radians per day
    alpha += term.alpha * s;
    delta += term.delta * c;
    w += term.w * s;
    alphaDot += term.alpha * c * eDot;
    deltaDot -= term.delta * s * eDot;
    wDot += term.w * c * eDot;
  }
  // Body axes from the ICRF by the Euler angles 90 + alpha (about z), 90 -
  // delta (about the node) and W (about the pole).
  const double phi = (90.0 + alpha) * kRadPerDeg;
  const double theta = (90.0 - delta) * kRadPerDeg;
  MoonOrientation o{};
  eraIr(o.gcrsToBody);
  eraRz(phi, o.gcrsToBody);
  eraRx(theta, o.gcrsToBody);
  eraRz(w * kRadPerDeg, o.gcrsToBody);
  // The rotation vector is the sum of the three angles' rates along their
  // axes: the ICRF pole, the node and the moon's pole.
  const double toRadPerS = kRadPerDeg / kSecondsPerDay;
  const Vec node{std::cos(phi), std::sin(phi), 0.0};
  const Vec pole{o.gcrsToBody[2][0], o.gcrsToBody[2][1], o.gcrsToBody[2][2]};
  const Vec spin = (alphaDot * toRadPerS) * Vec{0.0, 0.0, 1.0} + (-deltaDot * toRadPerS) * node +
                   (wDot * toRadPerS) * pole;
  o.spinRadPerS[0] = spin.x;
  o.spinRadPerS[1] = spin.y;
  o.spinRadPerS[2] = spin.z;
  return o;
}

Result<Libration> StationLibration(const Moment& moment, const Site& site) {
  const auto station = StationPosition(site);
  if (!station) return station.failure();
  const Vec toStation = *station - FromArray(moment.moonPositionM);
  return PointOnMoon(moment.tt1, moment.tt2,
                     ApplyTransposed(moment.celestialToTerrestrial, toStation));
}

Libration GeocentricLibration(const Moment& moment) {
  return PointOnMoon(
      moment.tt1, moment.tt2,
      ApplyTransposed(moment.celestialToTerrestrial, -1.0 * FromArray(moment.moonPositionM)));
}

Result<LineOfSight> LineOfSightAt(const Moment& moment, const Site& site) {
  const auto station = StationPosition(site);
  if (!station) return station.failure();
  const Vec line = FromArray(moment.moonPositionM) - *station;
  const Vec v = FromArray(moment.moonVelocityMps);
  const Vec a = FromArray(moment.moonAccelerationMps2);
  LineOfSight out{};
  const double range = Norm(line);
  out.distanceM = range;
  out.rangeRateMps = Dot(line, v) / range;
  out.rangeAccelerationMps2 =
      (Dot(v, v) + Dot(line, a) - out.rangeRateMps * out.rangeRateMps) / range;
  // The line's inertial turning: the station is carried round by the
  // earth's rotation, which adds to the moon's motion against it.
  const Vec inertial =
      v + Vec{-kEarthRotationRadPerS * line.y, kEarthRotationRadPerS * line.x, 0.0};
  const Vec turning = (1.0 / (range * range)) * Cross(line, inertial);
  const Vec axis = Cross((1.0 / range) * line, FromArray(moment.moonSpinRadPerS) - turning);
  out.spreadAxis[0] = axis.x;
  out.spreadAxis[1] = axis.y;
  out.spreadAxis[2] = axis.z;
  out.apparentRotationRadPerS = Norm(axis);
  return out;
}

double EchoSpreadHz(const LineOfSight& station, double frequencyHz) {
  return 4.0 * frequencyHz * kMoonRadiusM * station.apparentRotationRadPerS / kSpeedOfLightMps;
}

double TwoStationSpreadHz(const LineOfSight& home, const LineOfSight& dx, double frequencyHz) {
  const Vec sum = FromArray(home.spreadAxis) + FromArray(dx.spreadAxis);
  return 2.0 * frequencyHz * kMoonRadiusM * Norm(sum) / kSpeedOfLightMps;
}

double EchoDopplerRateHzPerS(double rangeAccelerationMps2, double frequencyHz) {
  return EchoDopplerHz(rangeAccelerationMps2, frequencyHz);
}

double TwoStationDopplerRateHzPerS(double homeAccelerationMps2, double dxAccelerationMps2,
                                   double frequencyHz) {
  return TwoStationDopplerHz(homeAccelerationMps2, dxAccelerationMps2, frequencyHz);
}

Result<MicrowaveFigures> MicrowaveAt(const Moment& moment, const Site& home,
                                     const std::optional<Site>& dx, double frequencyHz) {
  if (!(frequencyHz > 0.0 && frequencyHz <= kHighestMicrowaveHz)) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", frequencyHz);
    return Fail("the frequency " + std::string(text) + " Hz is outside 0 < f <= 1e12 Hz");
  }
  const auto here = LineOfSightAt(moment, home);
  if (!here) return Fail("home station: " + here.reason(), here.kind());
  MicrowaveFigures out{};
  out.frequencyHz = frequencyHz;
  out.home = *here;
  out.echoDelayS = 2.0 * here->distanceM / kSpeedOfLightMps;
  out.echoDopplerRateHzPerS = EchoDopplerRateHzPerS(here->rangeAccelerationMps2, frequencyHz);
  out.echoSpreadHz = EchoSpreadHz(*here, frequencyHz);
  if (dx) {
    const auto there = LineOfSightAt(moment, *dx);
    if (!there) return Fail("DX station: " + there.reason(), there.kind());
    out.dx = *there;
    out.dxEchoDelayS = 2.0 * there->distanceM / kSpeedOfLightMps;
    out.dxEchoDopplerRateHzPerS = EchoDopplerRateHzPerS(there->rangeAccelerationMps2, frequencyHz);
    out.dxEchoSpreadHz = EchoSpreadHz(*there, frequencyHz);
    out.pathDelayS = (here->distanceM + there->distanceM) / kSpeedOfLightMps;
    out.pathDopplerRateHzPerS = TwoStationDopplerRateHzPerS(
        here->rangeAccelerationMps2, there->rangeAccelerationMps2, frequencyHz);
    out.pathSpreadHz = TwoStationSpreadHz(*here, *there, frequencyHz);
  }
  return out;
}

}  // namespace kelvora::precise

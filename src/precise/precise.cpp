#include "precise/precise.h"

#include "precise/libration.h"

#include <erfa.h>
#include <erfam.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvora::precise {

namespace {

constexpr double kDegPerRad = 180.0 / ERFA_DPI;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kUnixEpochJd = 2440587.5;  // 1970-01-01 00:00 as a Julian date
constexpr double kMetresPerAu = ERFA_DAU;
// Added to Saemundsson's refraction so that it vanishes at the zenith.
constexpr double kRefractionZenithArcMin = 0.0019279;
// The moon's share of the earth-moon mass (earth/moon mass ratio
// 81.3005691, IAU 2009 system of constants).
constexpr double kMoonMassShare = 1.0 / (1.0 + 81.3005691);
// G times the earth's and the moon's mass together, m^3/s^2 (the earth's
// from the IERS conventions 2010, the moon's share as above): the moon's
// acceleration about the earth. The sun's pull on the pair, left out,
// changes it by about 1 %, under 3e-5 m/s^2.
constexpr double kEarthMoonGm = 3.986004418e14 / (1.0 - kMoonMassShare);

struct Vec {
  double x, y, z;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Norm(Vec a) { return std::sqrt(Dot(a, a)); }
// The earth's rotation vector (along +z) crossed with a.
Vec SpinCross(Vec a) { return {-kEarthRotationRadPerS * a.y, kEarthRotationRadPerS * a.x, 0.0}; }

Vec Apply(const double r[3][3], const double v[3]) {
  return {r[0][0] * v[0] + r[0][1] * v[1] + r[0][2] * v[2],
          r[1][0] * v[0] + r[1][1] * v[1] + r[1][2] * v[2],
          r[2][0] * v[0] + r[2][1] * v[1] + r[2][2] * v[2]};
}

// The inverse rotation: r is orthogonal.
Vec ApplyTransposed(const double r[3][3], Vec v) {
  return {r[0][0] * v.x + r[1][0] * v.y + r[2][0] * v.z,
          r[0][1] * v.x + r[1][1] * v.y + r[2][1] * v.z,
          r[0][2] * v.x + r[1][2] * v.y + r[2][2] * v.z};
}

Vec FromArray(const double v[3]) { return {v[0], v[1], v[2]}; }

double WrapDegrees360(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0.0) d += 360.0;
  if (d >= 360.0) d -= 360.0;  // -tiny + 360 rounds to 360
  return d;
}

// A station's place and its local east, north and up unit vectors, in the
// terrestrial frame.
struct StationFrame {
  Vec position;  // metres from the earth's centre
  Vec east, north, up;
  double eastLongitudeRad;
  double latitudeRad;
};

Result<StationFrame> FrameOf(const Site& site) {
  if (Status checked = CheckSite(site); !checked) return checked.failure();
  StationFrame f{};
  f.latitudeRad = site.latitudeDeg / kDegPerRad;
  f.eastLongitudeRad = -site.longitudeWestDeg / kDegPerRad;
  double xyz[3];
  if (eraGd2gc(ERFA_WGS84, f.eastLongitudeRad, f.latitudeRad, site.heightM, xyz) != 0) {
    return Fail("ERFA refused the station's place on the WGS84 ellipsoid", FailureKind::kBroken);
  }
  f.position = FromArray(xyz);
  const double sl = std::sin(f.eastLongitudeRad);
  const double cl = std::cos(f.eastLongitudeRad);
  const double sp = std::sin(f.latitudeRad);
  const double cp = std::cos(f.latitudeRad);
  f.east = {-sl, cl, 0.0};
  f.north = {-sp * cl, -sp * sl, cp};
  f.up = {cp * cl, cp * sl, sp};
  return f;
}

Direction HorizontalOf(Vec line, const StationFrame& f) {
  const double e = Dot(line, f.east);
  const double n = Dot(line, f.north);
  const double u = Dot(line, f.up);
  // At the zenith east and north are both 0 and atan2 gives azimuth 0.
  return {WrapDegrees360(std::atan2(e, n) * kDegPerRad),
          std::atan2(u, std::hypot(e, n)) * kDegPerRad};
}

// The signed parallactic angle in radians: at the moon, from the direction
// of the celestial pole to that of the station's zenith, positive when the
// moon stands west of the meridian.
double ParallacticAngle(double hourAngleRad, double declinationRad, double latitudeRad) {
  return std::atan2(std::sin(hourAngleRad) * std::cos(latitudeRad),
                    std::sin(latitudeRad) * std::cos(declinationRad) -
                        std::cos(latitudeRad) * std::sin(declinationRad) *
                            std::cos(hourAngleRad));
}

}  // namespace

double StandardRefractionDeg(double elevationDeg) {
  const double h = std::fmax(elevationDeg, -1.0);
  const double arcMinutes =
      1.02 / std::tan((h + 10.3 / (h + 5.11)) / kDegPerRad) + kRefractionZenithArcMin;
  // The constant leaves a rounding step below zero at the zenith itself.
  return std::fmax(arcMinutes / 60.0, 0.0);
}

bool IsValidSite(const Site& site) {
  return std::isfinite(site.latitudeDeg) && std::isfinite(site.longitudeWestDeg) &&
         std::isfinite(site.heightM) && std::fabs(site.latitudeDeg) <= 90.0 &&
         site.heightM >= kLowestSiteM && site.heightM <= kHighestSiteM;
}

namespace {

// A figure for a reason: as short as it reads ("95", "9000.5").
std::string FigureText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

}  // namespace

Status CheckSite(const Site& site) {
  if (IsValidSite(site)) return Done();
  if (!std::isfinite(site.latitudeDeg)) return Fail("the latitude is not a finite number");
  if (!std::isfinite(site.longitudeWestDeg)) return Fail("the longitude is not a finite number");
  if (!std::isfinite(site.heightM)) return Fail("the height is not a finite number");
  if (std::fabs(site.latitudeDeg) > 90.0) {
    return Fail("the latitude " + FigureText(site.latitudeDeg) + " is outside -90..90 degrees");
  }
  return Fail("the height " + FigureText(site.heightM) + " m is outside -500..9000 m");
}

namespace {

// ERFA fills its table of TAI-UTC on first use, without a lock. Station
// control asks from its own threads, so the first use happens here, once,
// under C++'s guarantee for the initialisation of a local static; later
// calls only read the table.
void FillLeapSecondTableOnce() {
  static const bool filled = [] {
    double taiMinusUtc = 0.0;
    return eraDat(2000, 1, 1, 0.0, &taiMinusUtc) == 0;
  }();
  static_cast<void>(filled);
}

CelestialFrame ComputeFrame(std::int64_t utcSeconds, double tt1, double tt2) {
  CelestialFrame frame{};
  const MoonOrientation moon = MoonOrientationAt(tt1, tt2);
  for (int i = 0; i < 3; ++i) frame.moonSpinRadPerS[i] = moon.spinRadPerS[i];
  frame.utcSeconds = utcSeconds;
  // Frame bias, IAU 2000 precession and IAU 2000B nutation: 1 mas, far
  // below what is needed, for a fraction of the cost of the 2000A series.
  double dpsi = 0.0;
  double deps = 0.0;
  eraNut00b(tt1, tt2, &dpsi, &deps);
  double epsa = 0.0;
  double rb[3][3], rp[3][3], rbp[3][3], rn[3][3];
  eraPn00(tt1, tt2, dpsi, deps, &epsa, rb, rp, rbp, rn, frame.biasPrecessionNutation);
  // The classical equation of the equinoxes; the complementary terms of
  // eraEe00 stay under 3 mas and cost as much as the nutation.
  frame.equationOfEquinoxesRad = dpsi * std::cos(epsa);
  return frame;
}

// TT of a UTC moment as a two-part Julian date; the UTC date in the same
// form goes to utc1, utc2. False when ERFA refuses the moment.
bool TtOfUtc(std::int64_t utcSeconds, double& utc1, double& utc2, double& tt1, double& tt2) {
  // UTC as a two-part quasi Julian date (the whole day apart from its
  // fraction, as eraUtctai wants it for leap-second days); TT from it.
  const std::int64_t day = utcSeconds >= 0 ? utcSeconds / 86400 : -((-utcSeconds + 86399) / 86400);
  utc1 = kUnixEpochJd + static_cast<double>(day);
  utc2 = static_cast<double>(utcSeconds - day * 86400) / kSecondsPerDay;
  double tai1 = 0.0;
  double tai2 = 0.0;
  // Status 1 ("dubious year") past the table's last entry still gives the
  // last known TAI-UTC, the best guess for the future; only errors refuse.
  if (eraUtctai(utc1, utc2, &tai1, &tai2) < 0) return false;
  eraTaitt(tai1, tai2, &tt1, &tt2);
  return true;
}

// Fills the frame's moon anchors for the stretch of the grid holding the
// moment, taking over the end the frame already has when the stretch
// follows its own. False when ERFA refuses a moment.
bool AnchorMoon(CelestialFrame& frame, std::int64_t utcSeconds) {
  std::int64_t first = utcSeconds - utcSeconds % kMoonAnchorSeconds;
  if (utcSeconds % kMoonAnchorSeconds < 0) first -= kMoonAnchorSeconds;
  if (frame.hasMoonAnchors && frame.moonAnchorUtc == first) return true;
  const bool follows = frame.hasMoonAnchors && frame.moonAnchorUtc + kMoonAnchorSeconds == first;
  frame.hasMoonAnchors = false;
  for (int k = 0; k < 3; ++k) {
    if (k == 0 && follows) {
      std::copy(&frame.moonAnchorTt[2][0], &frame.moonAnchorTt[2][0] + 2,
                &frame.moonAnchorTt[0][0]);
      std::copy(&frame.moonAnchorPv[2][0][0], &frame.moonAnchorPv[2][0][0] + 6,
                &frame.moonAnchorPv[0][0][0]);
      continue;
    }
    double utc1, utc2;
    if (!TtOfUtc(first + k * kMoonAnchorSeconds / 2, utc1, utc2, frame.moonAnchorTt[k][0],
                 frame.moonAnchorTt[k][1])) {
      return false;
    }
    eraMoon98(frame.moonAnchorTt[k][0], frame.moonAnchorTt[k][1], frame.moonAnchorPv[k]);
  }
  frame.moonAnchorUtc = first;
  frame.hasMoonAnchors = true;
  return true;
}

// The moon's GCRS state (au, au/day) at TT tt1 + tt2 from the frame's
// anchors: position by cubic Hermite between the ends, velocity by the
// parabola through the three.
void InterpolateMoon(const CelestialFrame& frame, double tt1, double tt2, double pv[2][3]) {
  const auto& tt = frame.moonAnchorTt;
  const double h = (tt[2][0] - tt[0][0]) + (tt[2][1] - tt[0][1]);
  const double s = ((tt1 - tt[0][0]) + (tt2 - tt[0][1])) / h;
  const double s2 = s * s;
  const double s3 = s2 * s;
  const double h00 = 2.0 * s3 - 3.0 * s2 + 1.0, h10 = s3 - 2.0 * s2 + s;
  const double h01 = -2.0 * s3 + 3.0 * s2, h11 = s3 - s2;
  // Lagrange weights of the start, middle and end at s.
  const double l0 = 2.0 * (s - 0.5) * (s - 1.0), l1 = -4.0 * s * (s - 1.0),
               l2 = 2.0 * s * (s - 0.5);
  const auto& a = frame.moonAnchorPv[0];
  const auto& m = frame.moonAnchorPv[1];
  const auto& b = frame.moonAnchorPv[2];
  for (int k = 0; k < 3; ++k) {
    pv[0][k] = h00 * a[0][k] + h10 * h * a[1][k] + h01 * b[0][k] + h11 * h * b[1][k];
    pv[1][k] = l0 * a[1][k] + l1 * m[1][k] + l2 * b[1][k];
  }
}

}  // namespace

bool IsValidUt1MinusUtc(double seconds) {
  return std::isfinite(seconds) && std::fabs(seconds) <= kMaxUt1MinusUtcS;
}

Result<Moment> PrepareMoment(std::int64_t utcSeconds, const CelestialFrame* reuse,
                             double ut1MinusUtcS) {
  if (utcSeconds < kFirstPreciseSecond || utcSeconds > kLastPreciseSecond) {
    return Fail("the moment (UTC seconds " + std::to_string(utcSeconds) +
                ") is outside 1960-2099, where the accurate figures work");
  }
  if (!IsValidUt1MinusUtc(ut1MinusUtcS)) {
    return Fail("UT1-UTC " + FigureText(ut1MinusUtcS) + " s is outside -1..1 s");
  }
  FillLeapSecondTableOnce();
  Moment m{};
  m.utcSeconds = utcSeconds;
  double utc1 = 0.0;
  double utc2 = 0.0;
  if (!TtOfUtc(utcSeconds, utc1, utc2, m.tt1, m.tt2)) {
    return Fail("ERFA refused the moment (UTC seconds " + std::to_string(utcSeconds) + ")",
                FailureKind::kBroken);
  }

  const bool reusable = reuse != nullptr && reuse->utcSeconds >= utcSeconds - kFrameReuseSeconds &&
                        reuse->utcSeconds <= utcSeconds + kFrameReuseSeconds;
  m.frame = reusable ? *reuse : ComputeFrame(utcSeconds, m.tt1, m.tt2);
  const double gmst = eraGmst00(utc1, utc2 + ut1MinusUtcS / kSecondsPerDay, m.tt1, m.tt2);
  m.greenwichSiderealRad = eraAnp(gmst + m.frame.equationOfEquinoxesRad);
  eraCr(m.frame.biasPrecessionNutation, m.celestialToTerrestrial);
  eraRz(m.greenwichSiderealRad, m.celestialToTerrestrial);

  // A reused frame keeps the moon's anchors, a fresh one evaluates the
  // series at the moment itself. The last stretch would end past the
  // supported years: the series then serves.
  double pv[2][3];
  if (reuse != nullptr && !reuse->reused && !reuse->hasMoonAnchors) {
    m.frame.reused = true;
    eraMoon98(m.tt1, m.tt2, pv);
  } else if (reuse != nullptr) {
    if (reuse->hasMoonAnchors) {
      m.frame.hasMoonAnchors = true;
      m.frame.moonAnchorUtc = reuse->moonAnchorUtc;
      std::copy(&reuse->moonAnchorTt[0][0], &reuse->moonAnchorTt[0][0] + 6,
                &m.frame.moonAnchorTt[0][0]);
      std::copy(&reuse->moonAnchorPv[0][0][0], &reuse->moonAnchorPv[0][0][0] + 18,
                &m.frame.moonAnchorPv[0][0][0]);
    }
    if (AnchorMoon(m.frame, utcSeconds)) {
      InterpolateMoon(m.frame, m.tt1, m.tt2, pv);
    } else {
      m.frame.hasMoonAnchors = false;
      eraMoon98(m.tt1, m.tt2, pv);
    }
  } else {
    eraMoon98(m.tt1, m.tt2, pv);
  }
  const Vec r = kMetresPerAu * Apply(m.celestialToTerrestrial, pv[0]);
  const Vec vInertial = (kMetresPerAu / kSecondsPerDay) * Apply(m.celestialToTerrestrial, pv[1]);
  const Vec v = vInertial - SpinCross(r);
  // Against the rotating earth: gravity less the Coriolis and centrifugal
  // terms of the rotating axes.
  const double distance = Norm(r);
  const Vec gravity = (-kEarthMoonGm / (distance * distance * distance)) * r;
  const Vec a = gravity - 2.0 * SpinCross(v) - SpinCross(SpinCross(r));
  const Vec spin = Apply(m.celestialToTerrestrial, m.frame.moonSpinRadPerS);
  for (int k = 0; k < 3; ++k) {
    m.moonPositionM[k] = k == 0 ? r.x : k == 1 ? r.y : r.z;
    m.moonVelocityMps[k] = k == 0 ? v.x : k == 1 ? v.y : v.z;
    m.moonAccelerationMps2[k] = k == 0 ? a.x : k == 1 ? a.y : a.z;
    m.moonSpinRadPerS[k] = k == 0 ? spin.x : k == 1 ? spin.y : spin.z;
  }
  return m;
}

Result<MoonFix> PreciseMoon(const Moment& moment, const Site& site) {
  const auto frame = FrameOf(site);
  if (!frame) return frame.failure();
  const Vec r = FromArray(moment.moonPositionM);
  const Vec v = FromArray(moment.moonVelocityMps);
  const Vec line = r - frame->position;  // the station stands still in this frame
  const double range = Norm(line);
  const double geocentricRange = Norm(r);

  MoonFix fix{};
  const Direction h = HorizontalOf(line, *frame);
  fix.azimuthDeg = h.azimuthDeg;
  fix.elevationDeg = h.elevationDeg;
  fix.apparentElevationDeg = h.elevationDeg + StandardRefractionDeg(h.elevationDeg);
  fix.distanceKm = range / 1000.0;
  fix.rangeRateMps = Dot(line, v) / range;
  fix.echoDelayS = 2.0 * range / kSpeedOfLightMps;
  fix.geocentricDistanceKm = geocentricRange / 1000.0;
  fix.geocentricRangeRateMps = Dot(r, v) / geocentricRange;

  // Equatorial figures of date: the line's own longitude in the rotating
  // frame, turned back by the sidereal time.
  const double lineLongitude = std::atan2(line.y, line.x);
  fix.declinationDeg = std::atan2(line.z, std::hypot(line.x, line.y)) * kDegPerRad;
  fix.hourAngleDeg = WrapDegrees360((frame->eastLongitudeRad - lineLongitude) * kDegPerRad);
  fix.rightAscensionHours =
      WrapDegrees360((moment.greenwichSiderealRad + lineLongitude) * kDegPerRad) / 15.0;
  return fix;
}

Result<MoonFix> PreciseMoon(const Site& site, std::int64_t utcSeconds) {
  if (Status checked = CheckSite(site); !checked) return checked.failure();
  const auto moment = PrepareMoment(utcSeconds);
  if (!moment) return moment.failure();
  return PreciseMoon(*moment, site);
}

Result<Direction> MoonLightDirection(const Moment& moment, const Site& site) {
  const auto frame = FrameOf(site);
  if (!frame) return frame.failure();
  const Vec r = FromArray(moment.moonPositionM);
  const Vec line = r - frame->position;
  // Light left the moon one light-time ago, and the station's own motion
  // tilts it (aberration). The earth's orbital motion enters both and
  // cancels, which leaves the motion of the moon against the station in an
  // inertial frame: its velocity against the rotating earth plus the
  // rotation carried over the line of sight.
  const Vec relative = FromArray(moment.moonVelocityMps) + SpinCross(line);
  const double lightTime = Norm(line) / kSpeedOfLightMps;
  return HorizontalOf(line - lightTime * relative, *frame);
}

Result<SunFix> PreciseSun(const Moment& moment, const Site& site) {
  const auto frame = FrameOf(site);
  if (!frame) return frame.failure();
  // The earth-moon barycentre's heliocentric state (au, au/day, J2000
  // equator, within 23 mas of the GCRS); the earth lies off it towards the
  // moon's opposite by the moon's share of their mass. eraPlan94 warns only
  // outside 1000-3000.
  double emb[2][3];
  eraPlan94(moment.tt1, moment.tt2, 3, emb);
  const Vec moonTerrestrial = FromArray(moment.moonPositionM);
  const Vec moonInertialVelocity = FromArray(moment.moonVelocityMps) + SpinCross(moonTerrestrial);
  const Vec earth = FromArray(emb[0]) - (kMoonMassShare / kMetresPerAu) *
                                           ApplyTransposed(moment.celestialToTerrestrial,
                                                           moonTerrestrial);
  const Vec earthVelocity =
      FromArray(emb[1]) - (kMoonMassShare * kSecondsPerDay / kMetresPerAu) *
                              ApplyTransposed(moment.celestialToTerrestrial, moonInertialVelocity);

  // Aberration from the earth's motion (the sun's own motion about the
  // barycentre, 10 m/s, over the 500 s light-time moves it 0.003 arc
  // seconds, so the heliocentric velocity serves).
  const Vec sun = -1.0 * earth;
  const double distanceAu = Norm(sun);
  double natural[3] = {sun.x / distanceAu, sun.y / distanceAu, sun.z / distanceAu};
  double velocityC[3] = {earthVelocity.x / ERFA_DC, earthVelocity.y / ERFA_DC,
                         earthVelocity.z / ERFA_DC};
  const double v2 = velocityC[0] * velocityC[0] + velocityC[1] * velocityC[1] +
                    velocityC[2] * velocityC[2];
  double proper[3];
  eraAb(natural, velocityC, distanceAu, std::sqrt(1.0 - v2), proper);

  // To the rotating earth at the sun's distance, then from the station
  // (the sun's parallax is up to 9 arc seconds).
  const Vec geocentric = (distanceAu * kMetresPerAu) * Apply(moment.celestialToTerrestrial, proper);
  return HorizontalOf(geocentric - frame->position, *frame);
}

Result<SunFix> PreciseSun(const Site& site, std::int64_t utcSeconds) {
  if (Status checked = CheckSite(site); !checked) return checked.failure();
  const auto moment = PrepareMoment(utcSeconds);
  if (!moment) return moment.failure();
  return PreciseSun(*moment, site);
}

double EchoDopplerHz(double rangeRateMps, double frequencyHz) {
  return -2.0 * frequencyHz * rangeRateMps / kSpeedOfLightMps;
}

double TwoStationDopplerHz(double homeRangeRateMps, double dxRangeRateMps, double frequencyHz) {
  return -frequencyHz * (homeRangeRateMps + dxRangeRateMps) / kSpeedOfLightMps;
}

namespace {

// Polarity offset from two stations' own fixes (topocentric hour angle and
// declination) and geodetic latitudes, in degrees, (-90, 90].
double OffsetFromFixes(const MoonFix& home, const Site& homeSite, const MoonFix& dx,
                       const Site& dxSite) {
  const double homeAngle = ParallacticAngle(home.hourAngleDeg / kDegPerRad,
                                            home.declinationDeg / kDegPerRad,
                                            homeSite.latitudeDeg / kDegPerRad);
  const double dxAngle = ParallacticAngle(dx.hourAngleDeg / kDegPerRad,
                                          dx.declinationDeg / kDegPerRad,
                                          dxSite.latitudeDeg / kDegPerRad);
  // A linear polarisation is the same turned by 180 degrees.
  double offset = std::fmod((homeAngle - dxAngle) * kDegPerRad, 180.0);
  if (offset <= -90.0) offset += 180.0;
  if (offset > 90.0) offset -= 180.0;
  return offset;
}

// A refusal of one of two stations, saying which.
Failure StationFailure(const char* station, const Failure& failure) {
  return Fail(std::string(station) + " station: " + failure.reason, failure.kind);
}

// Done, or which of the two stations is refused and why.
Status CheckSites(const Site& home, const Site& dx) {
  if (Status checked = CheckSite(home); !checked) return StationFailure("home", checked.failure());
  if (Status checked = CheckSite(dx); !checked) return StationFailure("DX", checked.failure());
  return Done();
}

}  // namespace

Result<double> PrecisePolarityOffsetDeg(const Moment& moment, const Site& home, const Site& dx) {
  const auto homeFix = PreciseMoon(moment, home);
  if (!homeFix) return StationFailure("home", homeFix.failure());
  const auto dxFix = PreciseMoon(moment, dx);
  if (!dxFix) return StationFailure("DX", dxFix.failure());
  return OffsetFromFixes(*homeFix, home, *dxFix, dx);
}

Result<double> PrecisePolarityOffsetDeg(const Site& home, const Site& dx, std::int64_t utcSeconds) {
  if (Status checked = CheckSites(home, dx); !checked) return checked.failure();
  const auto moment = PrepareMoment(utcSeconds);
  if (!moment) return moment.failure();
  return PrecisePolarityOffsetDeg(*moment, home, dx);
}

Result<PathFix> PrecisePath(const Site& home, const Site& dx, std::int64_t utcSeconds) {
  if (Status checked = CheckSites(home, dx); !checked) return checked.failure();
  const auto moment = PrepareMoment(utcSeconds);
  if (!moment) return moment.failure();
  const auto homeFix = PreciseMoon(*moment, home);
  if (!homeFix) return StationFailure("home", homeFix.failure());
  const auto dxFix = PreciseMoon(*moment, dx);
  if (!dxFix) return StationFailure("DX", dxFix.failure());
  return PathFix{*homeFix, *dxFix, OffsetFromFixes(*homeFix, home, *dxFix, dx)};
}

}  // namespace kelvora::precise

// Accurate moon and sun figures for the microwave bands, on ERFA (the IAU's
// standard fundamental-astronomy routines), beside the standard theory in
// astro/, which stays as it is and keeps feeding the main window.
//
// Time: `utcSeconds` counts seconds since 1970-01-01 00:00 UTC, 86400 to the
// day (leap seconds are not counted, as in the rest of the program). The
// program's clock value is local standard time counted as UTC, so callers
// pass the tracked moment TimeBase::Adjust(clock) = clock + gmtOffsetHours *
// 3600 + timeOffset (astro/time_helpers.h), never the clock value itself.
// UT1 is taken equal to UTC unless the caller gives UT1 - UTC (published
// weekly by the IERS in Bulletin A, within +-0.9 s): without it the earth's
// rotation angle is off by up to 0.9 s of rotation, about 0.004 degrees in
// hour angle and azimuth and, by the station's own rotation, up to 0.03 m/s
// in range rate.
//
// Frames: the moon comes from eraMoon98 (GCRS), the earth-moon barycentre
// for the sun from eraPlan94; IAU 2000 precession with IAU 2000B nutation
// and Greenwich apparent sidereal time take them to the rotating earth; no
// polar motion.
// Stations stand on the WGS84 ellipsoid. Longitudes are WEST positive.
//
// Every function is pure (the moment goes in, a small struct comes out) and
// may be called from several threads at once.
// A failed result says which input was refused: a moment outside
// [kFirstPreciseSecond, kLastPreciseSecond], a NaN or infinity, a latitude
// beyond +-90 degrees or a height outside [kLowestSiteM, kHighestSiteM].
#pragma once

#include <cstdint>

#include "common/result.h"

namespace kelvora::precise {

// 1960-01-01 00:00 UTC: where ERFA's table of TAI-UTC (eraDat) begins.
inline constexpr std::int64_t kFirstPreciseSecond = -315619200;
// 2099-12-31 23:59:59 UTC: the end of the program's calendar, and of the
// interval (1950-2100) the moon series was checked over by its authors.
inline constexpr std::int64_t kLastPreciseSecond = 4102444799;
inline constexpr double kLowestSiteM = -500.0;   // metres above the ellipsoid
inline constexpr double kHighestSiteM = 9000.0;

inline constexpr double kSpeedOfLightMps = 299792458.0;
// The earth's rotation rate against the stars (rad/s): the earth rotation
// angle advances 1.00273781191135448 turns per UT1 day. Precession adds
// about 1e-10 of it, far below what the range rate needs.
inline constexpr double kEarthRotationRadPerS =
    1.00273781191135448 * 6.283185307179586476925287 / 86400.0;
// UT1 - UTC a caller may give, seconds: UTC is kept within 0.9 s of UT1.
inline constexpr double kMaxUt1MinusUtcS = 1.0;

struct Site {
  double latitudeDeg;        // geodetic, north positive
  double longitudeWestDeg;   // west positive, like the rest of the program
  double heightM = 0.0;      // above the WGS84 ellipsoid
};

// The moon seen from one station.
struct MoonFix {
  double azimuthDeg;              // topocentric, geometric, from north through east, [0, 360)
  double elevationDeg;            // topocentric, geometric (no refraction)
  double apparentElevationDeg;    // elevationDeg raised by standard refraction
  double distanceKm;              // station to the moon's centre, geometric
  double rangeRateMps;            // rate of distanceKm, m/s, positive receding
  double echoDelayS;              // round trip at the speed of light
  double declinationDeg;          // topocentric, true equator and equinox of date
  double hourAngleDeg;            // topocentric local hour angle, west of the meridian, [0, 360)
  double rightAscensionHours;     // topocentric, true equinox of date, [0, 24)
  double geocentricDistanceKm;    // earth's centre to the moon's centre
  double geocentricRangeRateMps;  // rate of geocentricDistanceKm, m/s
};

// A topocentric direction, no refraction.
struct Direction {
  double azimuthDeg;    // from north through east, [0, 360)
  double elevationDeg;
};

// The sun's apparent place (aberration applied: where the sun is seen).
using SunFix = Direction;

// The slowly changing part of the rotation from the celestial to the
// terrestrial frame: frame bias, precession and nutation. It moves by about
// 0.01 arc seconds in an hour, so a caller asking every second may hand the
// last one back to PrepareMoment for up to kFrameReuseSeconds and save a
// third of the work.
//
// A reused frame also carries the moon's geocentric state at the ends and
// the middle of a kMoonAnchorSeconds stretch of a fixed grid; moments inside
// it take the moon's position from a cubic Hermite interpolation between
// the ends and its velocity from a parabola through the three (under a
// millimetre and 1e-6 m/s from the series itself; the series' velocity is
// not quite the rate of its position, so one interpolation cannot serve
// both), and a once-a-second caller evaluates the moon's series twice per
// stretch instead of every second. A frame computed afresh has no anchors:
// its own moment's moon is exact, and so is the first moment that reuses
// it; the anchors are laid from the second reuse on, when the frame is
// plainly being handed on tick after tick.
inline constexpr std::int64_t kFrameReuseSeconds = 3600;
inline constexpr std::int64_t kMoonAnchorSeconds = 1200;
struct CelestialFrame {
  std::int64_t utcSeconds;                // the moment it was computed for
  double biasPrecessionNutation[3][3];    // GCRS to true equator and equinox of date
  double equationOfEquinoxesRad;          // apparent minus mean sidereal time
  double moonSpinRadPerS[3];              // the moon's rotation vector, GCRS axes (libration.h)
  bool reused;                            // handed back once already
  bool hasMoonAnchors;                    // the two below are filled
  std::int64_t moonAnchorUtc;             // stretch start, a multiple of kMoonAnchorSeconds
  double moonAnchorTt[3][2];              // TT of start, middle and end, two-part Julian dates
  double moonAnchorPv[3][2][3];           // eraMoon98 there: au, au/day, GCRS
};

// The work every station shares at one moment: time scales, the rotation
// from the celestial to the terrestrial frame and the moon's geocentric
// state. Build it once per moment and hand it to the per-station calls.
struct Moment {
  std::int64_t utcSeconds;
  double tt1, tt2;                 // TT as a two-part Julian date
  CelestialFrame frame;            // the one used: computed, or `reuse` when near enough
  double greenwichSiderealRad;     // apparent sidereal time, UT1 = UTC, [0, 2pi)
  double celestialToTerrestrial[3][3];  // GCRS to the rotating earth
  double moonPositionM[3];         // geocentric, terrestrial axes, metres
  double moonVelocityMps[3];       // relative to the rotating earth, terrestrial axes
  double moonAccelerationMps2[3];  // relative to the rotating earth, terrestrial axes
  double moonSpinRadPerS[3];       // the moon's rotation vector, terrestrial axes (inertial spin)
};

bool IsValidSite(const Site& site);
// Done, or which of the station's figures is refused and why.
Status CheckSite(const Site& site);
// `reuse`, when given and computed within kFrameReuseSeconds of the moment,
// stands in for the frame; otherwise the frame is computed afresh. Either
// way the result depends only on the arguments. `ut1MinusUtcS` (within
// +-kMaxUt1MinusUtcS, else refused) sets the earth's rotation angle.
Result<Moment> PrepareMoment(std::int64_t utcSeconds, const CelestialFrame* reuse = nullptr,
                             double ut1MinusUtcS = 0.0);
bool IsValidUt1MinusUtc(double seconds);

Result<MoonFix> PreciseMoon(const Moment& moment, const Site& site);
Result<MoonFix> PreciseMoon(const Site& site, std::int64_t utcSeconds);
Result<SunFix> PreciseSun(const Moment& moment, const Site& site);
Result<SunFix> PreciseSun(const Site& site, std::int64_t utcSeconds);

// The direction the moon's light arrives from (light-time and aberration
// applied, as catalogues and optical sightings give it), topocentric, no
// refraction. It differs from MoonFix's geometric direction by under
// 0.001 degrees; the geometric one is the right one to point an antenna
// whose echo returns, this one is for comparing with other sources.
Result<Direction> MoonLightDirection(const Moment& moment, const Site& site);

// Standard refraction in degrees for a geometric elevation in degrees:
// Saemundsson's formula (1010 hPa, 10 C, as the almanacs use it), made to
// vanish at the zenith. It holds down to the horizon; below -1 degree it
// keeps its value there rather than run into its pole near -5 degrees.
double StandardRefractionDeg(double elevationDeg);

// Doppler shifts in Hz for a frequency in Hz from range rates in m/s
// (positive receding, so a receding moon gives a negative shift).
double EchoDopplerHz(double rangeRateMps, double frequencyHz);  // -2 f v / c
double TwoStationDopplerHz(double homeRangeRateMps, double dxRangeRateMps,
                           double frequencyHz);                 // -f (vh + vd) / c

// Spatial polarity offset in degrees, (-90, 90]: how far a linear
// polarisation sent out horizontal at `home` arrives turned against the
// horizontal at `dx`, from each station's own topocentric line of sight and
// vertical. The sign follows the main window's text: positive reads "cw",
// negative "ccw".
Result<double> PrecisePolarityOffsetDeg(const Moment& moment, const Site& home, const Site& dx);
Result<double> PrecisePolarityOffsetDeg(const Site& home, const Site& dx, std::int64_t utcSeconds);

// Everything a two-station tick needs, the ERFA work done once.
struct PathFix {
  MoonFix home;
  MoonFix dx;
  double polarityOffsetDeg;  // as PrecisePolarityOffsetDeg
};
Result<PathFix> PrecisePath(const Site& home, const Site& dx, std::int64_t utcSeconds);

}  // namespace kelvora::precise

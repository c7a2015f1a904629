// The moon's orientation and what its libration does to an echo: the point
// of the moon under a station, the apparent rotation of the moon seen from
// there and the spread of Doppler shifts it puts across the moon's disk.
//
// Orientation: the IAU rotation model of the moon (Archinal et al. 2011,
// "Report of the IAU Working Group on Cartographic Coordinates and
// Rotational Elements: 2009", Celestial Mechanics and Dynamical Astronomy
// 109, 101-135, table 2; the same model stands in the 2015 report): the
// pole's right ascension and declination on the ICRF and the prime
// meridian's angle W, each a polynomial in time plus 13 periodic terms.
// Its body axes are close to the moon's mean-earth/polar-axis frame
// (about 0.01 degrees), so the point under the earth's centre is the
// libration the almanacs give.
//
// Pure functions; longitudes on the moon are east positive as the IAU
// counts them.
#pragma once

#include <optional>

#include "common/result.h"
#include "precise/precise.h"

namespace kelvora::precise {

// The moon's mean radius, metres (IAU 2009).
inline constexpr double kMoonRadiusM = 1737.4e3;

struct MoonOrientation {
  double gcrsToBody[3][3];  // a GCRS vector's components on the moon's body axes
  double spinRadPerS[3];    // the moon's rotation vector, GCRS axes
};

// At a moment given as TT, a two-part Julian date (TT stands in for TDB:
// they differ by under 2 ms).
MoonOrientation MoonOrientationAt(double tt1, double tt2);

// A point on the moon, selenographic, degrees.
struct Libration {
  double latitudeDeg;
  double longitudeDeg;  // east positive, (-180, 180]
};

// The point of the moon's surface under a station (on the line from the
// moon's centre to it), geometric: the station's libration.
Result<Libration> StationLibration(const Moment& moment, const Site& site);
// The same for the earth's centre: the geocentric libration.
Libration GeocentricLibration(const Moment& moment);

// The moon's motion seen from one station.
struct LineOfSight {
  double distanceM;              // geometric, station to the moon's centre
  double rangeRateMps;           // positive receding
  double rangeAccelerationMps2;  // rate of rangeRateMps
  // The apparent rotation of the moon against the line of sight (the moon's
  // spin less the line's own turning, both inertial), its part across the
  // line, rad/s: the rate at which the point under the station moves over
  // the moon's surface.
  double apparentRotationRadPerS;
  // u x (moon's spin - line's turning), terrestrial axes, rad/s, with u the
  // unit line of sight: a point p of the moon's surface (from its centre)
  // recedes from the station faster than the centre by p . spreadAxis.
  double spreadAxis[3];
};

Result<LineOfSight> LineOfSightAt(const Moment& moment, const Site& site);

// Limb-to-limb widths of the Doppler spread, Hz, at frequency f: the own
// echo 4 f R w / c (w = apparentRotationRadPerS), and the path from one
// station to another 2 f R |a1 + a2| / c (a = spreadAxis).
double EchoSpreadHz(const LineOfSight& station, double frequencyHz);
double TwoStationSpreadHz(const LineOfSight& home, const LineOfSight& dx, double frequencyHz);

// Rates of the Doppler shifts, Hz/s: -2 f a / c for the echo and
// -f (a1 + a2) / c for the path, a the range accelerations.
double EchoDopplerRateHzPerS(double rangeAccelerationMps2, double frequencyHz);
double TwoStationDopplerRateHzPerS(double homeAccelerationMps2, double dxAccelerationMps2,
                                   double frequencyHz);

// The microwave figures of one station and, when given, the path to a
// second one, at one frequency.
struct MicrowaveFigures {
  double frequencyHz;
  LineOfSight home;
  double echoDelayS;  // 2 rho / c, rho the geometric distance
  double echoDopplerRateHzPerS;
  double echoSpreadHz;
  std::optional<LineOfSight> dx;
  std::optional<double> dxEchoDelayS;
  std::optional<double> dxEchoDopplerRateHzPerS;
  std::optional<double> dxEchoSpreadHz;
  std::optional<double> pathDelayS;  // (rho1 + rho2) / c
  std::optional<double> pathDopplerRateHzPerS;
  std::optional<double> pathSpreadHz;
};

// Frequencies above this are refused, like a NaN or one at or below zero.
inline constexpr double kHighestMicrowaveHz = 1e12;

// Refused for a site the accurate figures refuse or a frequency outside
// 0 < f <= kHighestMicrowaveHz.
Result<MicrowaveFigures> MicrowaveAt(const Moment& moment, const Site& home,
                                     const std::optional<Site>& dx, double frequencyHz);

}  // namespace kelvora::precise

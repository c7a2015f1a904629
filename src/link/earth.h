// The earth's figure, one model for every station position the program
// forms itself: the WGS84 ellipsoid (the accurate figures use ERFA's copy of
// the same ellipsoid, ERFA_WGS84).
#pragma once

#include <array>

namespace kelvora {

inline constexpr double kWgs84EquatorialKm = 6378.137;
inline constexpr double kWgs84Flattening = 1.0 / 298.257223563;

// Earth-fixed position in km of a station at geodetic latitude and west
// longitude (degrees) and height above the ellipsoid (metres): x towards
// Greenwich on the equator, y towards 90 E, z towards the north pole.
std::array<double, 3> EarthFixedStationKm(double latitude, double westLongitude,
                                          double heightM = 0.0);

}  // namespace kelvora

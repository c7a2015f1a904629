// The moon's range rate at a station, the figure every Doppler shift is made
// of, and the one rule that decides which figures serve a moment.
#pragma once

#include <cstdint>

#include "common/result.h"

namespace kelvora {

// The accurate figures (precise/) serve every moment from 1960 to the end of
// 2099; the standard theory (astro/) serves the years before. Whatever shows
// or uses a Doppler shift, a pointing or a path figure asks this, once per
// moment, and never mixes the two within one figure.
enum class FigureSource { Accurate, Standard };
FigureSource FigureSourceAt(std::int64_t utcSeconds);

// Distance in km from a station (geodetic degrees, longitude west positive,
// metres above the WGS84 ellipsoid) to the moon's centre by the standard
// theory. Refused outside the theory's years (1901-2099), for a latitude
// beyond +-90 degrees or for a NaN or infinity.
Result<double> StandardTopocentricDistanceKm(double latitude, double westLongitude, double heightM,
                                             std::int64_t utcSeconds);

// The rate of that distance in m/s, positive while the moon recedes: the
// distance half a minute either side of the moment (one side only at the
// very ends of the theory's years). Refused outside its years and for a
// station StandardTopocentricDistanceKm refuses.
Result<double> StandardRangeRateMps(double latitude, double westLongitude, double heightM,
                                    std::int64_t utcSeconds);

// The range rate by the rule above: accurate or standard. Refused when the
// figures it picks refuse the moment or the station.
Result<double> MoonRangeRateMps(double latitude, double westLongitude, double heightM,
                                std::int64_t utcSeconds);

}  // namespace kelvora

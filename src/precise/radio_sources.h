// Radio sources for pointing an antenna: a J2000 catalogue of the sources
// the program offers, and any star given in J2000 or B1950, carried to a
// moment and a station with ERFA (precession-nutation, light deflection by
// the sun, annual aberration, the earth's rotation). Pure functions, safe to
// call from several threads at once, like the rest of this folder.
#pragma once

#include <cstdint>
#include <optional>

#include "common/result.h"
#include "precise/precise.h"

namespace kelvora::precise {

// The equator and equinox a catalogue position is given in: J2000.0
// (FK5/ICRS), or B1950.0 (FK4), which is turned into J2000 with ERFA's
// eraFk45z (the E-terms of aberration and the equinox correction included).
enum class CatalogueEpoch { J2000, B1950 };

struct CataloguePosition {
  double rightAscensionHours;  // [0, 24)
  double declinationDeg;       // [-90, 90]
  CatalogueEpoch epoch;
};

// The sources of the source menu, in its order.
enum class RadioSourceId { QuietSky, CassiopeiaA, CentaurusA, CygnusA, GalacticCentre, TaurusA };

// Their J2000 positions. The quiet-sky point is the program's own cold spot
// of the sky (9.51 h, +40.2 degrees in B1950), carried to J2000.
CataloguePosition CatalogueSource(RadioSourceId source);

// The menu's source codes 1..6 (kSourceQuietSky .. kSourceTaurusA in
// astro/sources.h); empty for any other code, the user star's 7 included.
std::optional<RadioSourceId> RadioSourceFromCode(int code);

// Where a catalogue position stands in a station's sky at a UTC moment.
struct SourceDirection {
  double azimuthDeg;            // from north through east, [0, 360)
  double elevationDeg;          // airless
  double apparentElevationDeg;  // raised by standard refraction (StandardRefractionDeg)
};

// Refused when the moment or the station is refused (as PreciseMoon) or the
// position is not a position: a right ascension outside [0, 24) hours, a
// declination beyond +-90 degrees, or a NaN or infinity.
Result<SourceDirection> SourceDirectionAt(const CataloguePosition& position, const Moment& moment,
                                          const Site& site);
Result<SourceDirection> SourceDirectionAt(const CataloguePosition& position, const Site& site,
                                          std::int64_t utcSeconds);

}  // namespace kelvora::precise

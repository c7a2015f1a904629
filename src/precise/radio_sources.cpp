#include "precise/radio_sources.h"

#include <erfa.h>
#include <erfam.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvora::precise {

namespace {

constexpr double kDegPerRad = 180.0 / ERFA_DPI;
constexpr double kRadPerHour = ERFA_D2PI / 24.0;

// J2000 positions: the radio centroids of the four strong sources and the
// Crab nebula, SgrA* for the Galactic Centre.
constexpr double Hours(double h, double m, double s) { return h + m / 60.0 + s / 3600.0; }
constexpr double Degrees(double sign, double d, double m, double s) {
  return sign * (d + m / 60.0 + s / 3600.0);
}
constexpr std::array<CataloguePosition, 6> kCatalogue = {{
    // The program's quiet-sky point, 9.51 h +40.2 deg (B1950), by eraFk45z.
    {9.562098, 39.97758, CatalogueEpoch::J2000},
    {Hours(23, 23, 24.0), Degrees(+1, 58, 48, 54.0), CatalogueEpoch::J2000},   // Cassiopeia A
    {Hours(13, 25, 27.6), Degrees(-1, 43, 1, 8.8), CatalogueEpoch::J2000},     // Centaurus A
    {Hours(19, 59, 28.36), Degrees(+1, 40, 44, 2.1), CatalogueEpoch::J2000},   // Cygnus A
    {Hours(17, 45, 40.04), Degrees(-1, 29, 0, 28.1), CatalogueEpoch::J2000},   // Sgr A*
    {Hours(5, 34, 31.94), Degrees(+1, 22, 0, 52.2), CatalogueEpoch::J2000},    // Taurus A
}};

std::string FigureText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// Done, or what makes the position no position; then the station.
Status CheckPositionAndSite(const CataloguePosition& p, const Site& site) {
  if (!std::isfinite(p.rightAscensionHours) || !std::isfinite(p.declinationDeg)) {
    return Fail("the source's right ascension or declination is not a finite number");
  }
  if (p.rightAscensionHours < 0.0 || p.rightAscensionHours >= 24.0) {
    return Fail("the source's right ascension " + FigureText(p.rightAscensionHours) +
                " h is outside 0..24 h");
  }
  if (std::fabs(p.declinationDeg) > 90.0) {
    return Fail("the source's declination " + FigureText(p.declinationDeg) +
                " is outside -90..90 degrees");
  }
  return CheckSite(site);
}

}  // namespace

CataloguePosition CatalogueSource(RadioSourceId source) {
  return kCatalogue[static_cast<std::size_t>(source)];
}

std::optional<RadioSourceId> RadioSourceFromCode(int code) {
  if (code < 1 || code > static_cast<int>(kCatalogue.size())) return std::nullopt;
  return static_cast<RadioSourceId>(code - 1);
}

Result<SourceDirection> SourceDirectionAt(const CataloguePosition& position, const Moment& moment,
                                          const Site& site) {
  if (Status checked = CheckPositionAndSite(position, site); !checked) return checked.failure();
  double ra = position.rightAscensionHours * kRadPerHour;
  double dec = position.declinationDeg / kDegPerRad;
  if (position.epoch == CatalogueEpoch::B1950) {
    double ra2000 = 0.0;
    double dec2000 = 0.0;
    eraFk45z(ra, dec, eraEpb(moment.tt1, moment.tt2), &ra2000, &dec2000);
    ra = ra2000;
    dec = dec2000;
  }
  double catalogue[3];
  eraS2c(ra, dec, catalogue);

  // The earth's heliocentric and barycentric state (au, au/day).
  double heliocentric[2][3];
  double barycentric[2][3];
  eraEpv00(moment.tt1, moment.tt2, heliocentric, barycentric);
  // Light bent by the sun, then aberration of the earth's orbital motion:
  // the direction in the GCRS.
  double sunDistance = 0.0;
  double fromSun[3];
  eraPn(heliocentric[0], &sunDistance, fromSun);
  double deflected[3];
  eraLdsun(catalogue, fromSun, sunDistance, deflected);
  double velocity[3];
  for (int i = 0; i < 3; ++i) velocity[i] = barycentric[1][i] * ERFA_DAU / ERFA_DAYSEC / ERFA_CMPS;
  const double inverseLorentz = std::sqrt(1.0 - eraPm(velocity) * eraPm(velocity));
  double apparent[3];
  eraAb(deflected, velocity, sunDistance, inverseLorentz, apparent);

  // Into the rotating earth, then the station's east, north and up.
  double terrestrial[3];
  for (int i = 0; i < 3; ++i) {
    const double* row = moment.celestialToTerrestrial[i];
    terrestrial[i] = row[0] * apparent[0] + row[1] * apparent[1] + row[2] * apparent[2];
  }
  const double lambda = -site.longitudeWestDeg / kDegPerRad;
  const double phi = site.latitudeDeg / kDegPerRad;
  const double sl = std::sin(lambda), cl = std::cos(lambda);
  const double sp = std::sin(phi), cp = std::cos(phi);
  const double east = -sl * terrestrial[0] + cl * terrestrial[1];
  const double north = -sp * cl * terrestrial[0] - sp * sl * terrestrial[1] + cp * terrestrial[2];
  const double up = cp * cl * terrestrial[0] + cp * sl * terrestrial[1] + sp * terrestrial[2];

  SourceDirection out{};
  out.azimuthDeg = std::atan2(east, north) * kDegPerRad;
  if (out.azimuthDeg < 0.0) out.azimuthDeg += 360.0;
  if (out.azimuthDeg >= 360.0) out.azimuthDeg -= 360.0;
  out.elevationDeg = std::atan2(up, std::hypot(east, north)) * kDegPerRad;
  out.apparentElevationDeg = out.elevationDeg + StandardRefractionDeg(out.elevationDeg);
  return out;
}

Result<SourceDirection> SourceDirectionAt(const CataloguePosition& position, const Site& site,
                                          std::int64_t utcSeconds) {
  if (Status checked = CheckPositionAndSite(position, site); !checked) return checked.failure();
  const Result<Moment> moment = PrepareMoment(utcSeconds);
  if (!moment) return moment.failure();
  return SourceDirectionAt(position, *moment, site);
}

}  // namespace kelvora::precise

// Fixed radio sources and the user star.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "astro/time_helpers.h"

namespace kelvora {

struct HorizontalFix {
  double azimuth;    // degrees, (0, 360]
  double elevation;  // degrees
};

// Azimuth and elevation of a fixed point of the sky (declination in degrees,
// right ascension in hours) for the home station at clock + offsets.
HorizontalFix SourcePosition(double declinationDegrees, double rightAscensionHours,
                             double homeLatitude, double homeLongitude, std::int64_t clock,
                             const TimeBase& base);

// Codes of the tracked source.
inline constexpr int kSourceQuietSky = 1;
inline constexpr int kSourceCassiopeiaA = 2;
inline constexpr int kSourceCentaurusA = 3;
inline constexpr int kSourceCygnusA = 4;
inline constexpr int kSourceGalacticCentre = 5;
inline constexpr int kSourceTaurusA = 6;
inline constexpr int kSourceUserStar = 7;

struct RadioSource {
  int code;
  int commandId;          // menu command of "&Track another star"
  const char* menuText;   // as shown in the menu
  const char* name;       // name in the source line; nullptr when not available
  double rightAscension;  // hours
  double declination;     // degrees
  bool wideSpacing;       // three blanks before "El:" instead of one
};

// The seven entries of the source menu, in menu order (codes 1..7).
std::span<const RadioSource> RadioSources();
const RadioSource* FindSourceByCode(int code);
const RadioSource* FindSourceByCommand(int commandId);

// The source line of a source the program has no coordinates for.
inline constexpr const char* kSourceNotAvailableText = "Not Available";

// "Quiet Sky   Az:  123.4° El:   45.6°" and its siblings;
// kSourceNotAvailableText for Centaurus A and Taurus A. The degree sign is UTF-8.
std::string FormatSourceLine(const RadioSource& source, const HorizontalFix& fix);

// The user star's line, from the two stored texts read like strtod (0 when
// they hold no number).
std::string UserStarLine(const std::string& raText, const std::string& decText,
                         double homeLatitude, double homeLongitude, std::int64_t clock,
                         const TimeBase& base);

}  // namespace kelvora

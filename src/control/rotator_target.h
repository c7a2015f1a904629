// What the antenna points at: the moon or the sun for the home station, the
// radio source chosen in the source menu (or the user's star), or a fixed
// direction. Each becomes a TargetFunction of UTC seconds.
#pragma once

#include "precise/radio_sources.h"

#include <cstdint>
#include <optional>
#include <string>

#include "astro/rise_set.h"
#include "common/result.h"
#include "control/rotator_rules.h"
#include "control/wrap_planner.h"

namespace kelvora {


enum class TargetKind { Moon, Sun, Source, Fixed };

struct RotatorTarget {
  TargetKind kind = TargetKind::Moon;
  AzEl fixed{0, 0};               // Fixed: true azimuth and elevation, degrees
  double rightAscensionHours = 0;  // Source
  double declinationDegrees = 0;   // Source
  // Source: the equinox its position is given in (the catalogue's are J2000).
  precise::CatalogueEpoch epoch = precise::CatalogueEpoch::J2000;
  std::string name = "Moon";       // for status lines: "Moon", "Cygnus A", "az 180.0 el 30.0"
};

struct ControlSite {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, west positive
};

// The tracked entry of the source menu (code 1..7; 7 is the user's star with
// its typed right ascension in hours and declination in degrees, in the
// equinox `userStarEpoch`). Sources 1..6 come from the J2000 catalogue.
// Refused when it has no position to point at.
Result<RotatorTarget> SourceTarget(int sourceCode, const std::string& userStarRa,
                                   const std::string& userStarDec,
                                   precise::CatalogueEpoch userStarEpoch);

// "moon", "sun", "source" (needs the source's figures from the caller) or
// "azel:AZ,EL"; refused for anything else.
Result<RotatorTarget> ParseTargetText(const std::string& text);

// Which figures of the moon and the sun: the accurate ones (ERFA-based,
// src/precise), or the standard theory of the main window, about a
// hundred times cheaper and good to a few tenths of a degree: enough to
// plan a pass's cable wrap, not to point a dish.
enum class Figures { Accurate, Standard };

// The target's true direction for the site at UTC seconds. With accurate
// figures a moment they refuse falls back to the standard theory; the
// standard moon is empty outside the years its theory covers.
TargetFunction MakeTargetFunction(const RotatorTarget& target, ControlSite site,
                                  Figures figures = Figures::Accurate);

// The first moment at or after `from` when the target stands at or above
// minimumElevation, searched up to kRiseSearchSeconds ahead. The moon and
// the sun jump over their time below the horizon with the program's horizon
// search; other targets, and the last stretch, are stepped a minute at a
// time.
inline constexpr std::int64_t kRiseSearchSeconds = 36 * 3600;
std::optional<std::int64_t> NextRise(const RotatorTarget& target, const TargetFunction& direction,
                                     ControlSite site, std::int64_t from, double minimumElevation);

}  // namespace kelvora

// The figures of one tick: numbers only, each with its unit. They are what
// the tracking tick shows as texts and draws as marks, and what kelvora-cli
// prints raw.
#pragma once

#include <cstdint>
#include <optional>

#include "astro/moon.h"
#include "astro/perigee.h"
#include "astro/sky.h"
#include "astro/sun.h"
#include "link/path_loss.h"
#include "link/polarity.h"
#include "state/records.h"

namespace kelvora {

struct TickFigures {
  std::int64_t clock = 0;       // the clock value the figures are for
  std::int64_t utcSeconds = 0;  // the tracked moment: clock + GMT offset + time offset,
                                // seconds since 1970-01-01 00:00 UTC

  SunFix sun{};  // for the position the sun was loaded for at start-up

  // The moon for each station; empty outside 1901-2099, and for the second
  // station also when there is none (SecondStation::IsSet).
  std::optional<MoonFix> homeMoon;
  std::optional<MoonFix> station2Moon;
  bool station2Set = false;  // SecondStation::IsSet at the time of the figures

  // The sky-map track for today and the next 25 days; only while the sky map
  // is shown, and empty when one of those days lies outside 1901-2099.
  std::optional<MoonTrackResult> moonTrack;

  // From the home moon; all empty without it.
  std::optional<double> skyTemperatureK;  // behind the moon
  // Path loss against 356140 km and degradation, dB. Not finite for a
  // distance no moon has (the texts then show kNoFigureText).
  std::optional<double> pathLossDb;
  std::optional<double> degradationDb;
  std::optional<double> echoDopplerHz;        // also empty while the moon is below home's horizon
  std::optional<double> station2DopplerHz;    // two-station path; also empty unless the moon is
                                              // up at both ends and the station counts for it
  std::optional<PolarityOffset> polarityOffset;  // also empty without a second station
  std::optional<PerigeeApogee> perigeeApogee;    // whole days to or since each
};

// Everything the tick computes, for the model as it is and the clock value.
// Reads the model only: the tracking record's previous perigee and apogee
// counts (recounted once a day) and its moon-up flag for the second station
// (kept from an earlier tick while the station has no fix).
TickFigures ComputeFigures(const TrackerModel& model, std::int64_t clock);

// The tracking record takes over what the marks, the window and the next
// tick read from it: the sun, the moon (home's, or the sky-map track's last
// evaluation), the moon-up flags and the perigee and apogee counts. Values
// without a figure this time stay as they were.
void KeepFigures(TrackingState& tracking, const TickFigures& figures);


}  // namespace kelvora

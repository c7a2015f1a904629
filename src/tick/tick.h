// The tracking tick: from the shared state and the clock value to the 21
// display texts and what the window must repaint.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "state/records.h"

namespace kelvora {

inline constexpr unsigned kRefreshTimerId = 0;  // direct calls from keys and mouse
inline constexpr unsigned kTickTimerId = 1;     // 1000 ms
inline constexpr unsigned kStatusTimerId = 2;   // 5000 ms
inline constexpr unsigned kStepTimerId = 3;     // 500 ms, single shot

inline constexpr int kTickTimerPeriodMs = 1000;
inline constexpr int kStatusTimerPeriodMs = 5000;
inline constexpr int kStepTimerPeriodMs = 500;

// A window rectangle, corners as given (right and bottom exclusive).
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
  bool operator==(const PixelRect&) const = default;
};

// The panel rectangle the tick invalidates for footprint changes.
inline constexpr PixelRect kPanelRect{0, 165, 431, 476};
// The phase picture (224, 30)-(256, 56) with its word below it from (217, 56),
// whose widest form fits in 80 pixels of the small bold face.
inline constexpr PixelRect kPhaseRect{217, 30, 297, 72};

struct TickOutcome {
  // The texts as the tick's data exchange pushed them (text 19 is formed
  // after the exchange, so it reaches the window one exchange later).
  std::optional<DisplayTexts> exchanged;
  bool invalidateAll = false;            // whole client area, with erasing
  std::vector<PixelRect> invalidate;     // each with erasing
  int checkedSourceCommand = 0;          // source menu item to check; 0 leaves the marks
};

// One run of the timer handler. The status timer changes only text 20 and
// does not look at the clock; the step timer clears stepPending first; every
// other id runs the full tick for the clock value.
TickOutcome RunTick(TrackerModel& model, unsigned timerId, std::int64_t clock);

// Text for a perigee or apogee day count: "in 3 days", "1 day ago", ...
std::string PerigeeDaysText(int days);

// Whole-degree phase index 0..40 from the moon's and sun's hour angles
// truncated to whole degrees.
int PhaseIndex(int moonWholeDegrees, int sunWholeDegrees);

// Path loss (dB against 356140 km) and degradation (dB).
double PathLoss(double moonDistanceKm);
double Degradation(double skyTemperatureK, double pathLossDb);

// Texts 13 and 14: "%2.2fdb" and "%3.2fdb", or kNoFigureText when the figure
// is infinite or undefined.
std::string PathLossText(double pathLossDb);
std::string DegradationText(double degradationDb);

// Shown in place of a figure that cannot be computed: a moment outside the
// years the calendar handles, or a logarithm of a value that is not positive.
inline constexpr const char* kNoFigureText = "---";

}  // namespace kelvora

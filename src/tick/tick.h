// The tracking tick: from the shared state and the clock value to the
// figures, the 21 display texts and what the window must repaint.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "state/records.h"
#include "tick/figures.h"
#include "tick/texts.h"

namespace kelvora {

struct TickOutcome {
  // The texts as the tick's data exchange pushed them (the source line is
  // formed after the exchange, so it reaches the window one exchange later).
  std::optional<DisplayTexts> exchanged;
  bool invalidateAll = false;            // whole client area, with erasing
  std::vector<PixelRect> invalidate;     // each with erasing
  int checkedSourceCommand = 0;          // source menu item to check; 0 leaves the marks
  std::optional<TickFigures> figures;    // what a full tick computed (none for the status timer)
};

// One run of the timer handler. The status timer changes only the status
// line and does not look at the clock; the step timer clears stepPending
// first; every other id runs the full tick for the clock value:
// ComputeFigures, KeepFigures, FormatTexts, the exchange, UpdateMarks and the
// source line.
TickOutcome RunTick(TrackerModel& model, unsigned timerId, std::int64_t clock);

// The marks of a full tick, from the tracking record as KeepFigures left it:
// the full repaint a dialog asked for, the sun's and the moon's marker and
// outline (rebuilt when the body in view passes a whole degree of hour angle
// or the view asks for it; `moonKnown` says whether this tick has a moon), the
// phase, and the home and second-station markers.
void UpdateMarks(TrackerModel& model, bool moonKnown, TickOutcome& outcome);

// The tracked source's line into the source-line text, as the tick refreshes
// it; returns the source menu item to check, 0 when the marks are to stay.
int RefreshSourceLine(TrackerModel& model, std::int64_t clock);

// Whole-degree phase index 0..40 from the moon's and sun's hour angles
// truncated to whole degrees.
int PhaseIndex(int moonWholeDegrees, int sunWholeDegrees);

}  // namespace kelvora

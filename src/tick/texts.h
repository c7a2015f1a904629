// Every text the tracking tick forms, from its figures: the one place of the
// tick's format strings.
#pragma once

#include <string>

#include "link/placeholders.h"
#include "state/records.h"
#include "tick/figures.h"

namespace kelvora {

// The display texts after a full tick: every text from the figures, except
// the source line and the status line, which come from the model as they
// are (the source line is formed after the window has taken the texts).
DisplayTexts FormatTexts(const TickFigures& figures, const TrackerModel& model);

// The same written over `texts`, whose source line and status line stay as
// they are (what the tick does with the model's own texts).
void FormatTexts(const TickFigures& figures, const TrackerModel& model, DisplayTexts& texts);

// Text for a perigee or apogee day count: "in 3 days", "1 day ago", ...
std::string PerigeeDaysText(int days);

// Texts 13 and 14: "%2.2fdb" and "%3.2fdb", or kNoFigureText when the figure
// is infinite or undefined.
std::string PathLossText(double pathLossDb);
std::string DegradationText(double degradationDb);

// Text 11 when the second station has no six-character locator.
inline constexpr const char* kNoLocatorText = "None";

}  // namespace kelvora

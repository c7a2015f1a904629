// The texts shown in place of a figure, named once for the whole program.
// They live at the lowest layer that shows one (the link figures' texts);
// the source line's "Not Available" belongs to the source catalogue
// (kSourceNotAvailableText in astro/sources.h).
#pragma once

namespace kelvora {

// No second station, or a figure that needs one the program does not have.
inline constexpr const char* kNotApplicableText = "N/A";
// The home station's echo Doppler while the moon is below its horizon.
inline constexpr const char* kNoMoonText = "no moon";
// A figure that cannot be computed: a moment outside the years the calendar
// handles, or a logarithm of a value that is not positive.
inline constexpr const char* kNoFigureText = "---";

}  // namespace kelvora

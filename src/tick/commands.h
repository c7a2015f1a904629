// The window's view, map, source and time-step commands as operations on the
// shared state. Each says what the window must repaint and which menu marks
// to set; the window itself only carries that out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "state/records.h"
#include "tick/tick.h"

namespace kelvora {

// Menu command ids.
inline constexpr int kCmdPrimarySetup = 32771;
inline constexpr int kCmdSave = 32772;
inline constexpr int kCmdAbout = 32775;
inline constexpr int kCmdExit = 32776;
inline constexpr int kCmdEmeDir = 32778;
inline constexpr int kCmdStation2 = 32779;
inline constexpr int kCmdQuietSky = 32782;
inline constexpr int kCmdCassiopeiaA = 32783;
inline constexpr int kCmdCentaurusA = 32784;
inline constexpr int kCmdCygnusA = 32785;
inline constexpr int kCmdGalacticCentre = 32786;
inline constexpr int kCmdTaurusA = 32787;
inline constexpr int kCmdOtherStar = 32788;
inline constexpr int kCmdFromMoon = 32793;
inline constexpr int kCmdFromSun = 32794;
inline constexpr int kCmdSkyMap = 32795;
inline constexpr int kCmdEarthMap = 32797;
inline constexpr int kCmdHelp = 57670;
inline constexpr int kSkyViewCheckBox = 1055;

struct CommandOutcome {
  std::vector<PixelRect> invalidate;  // each with erasing
  bool pushTexts = false;             // push the 21 texts to the controls
  bool skyViewBox = false;            // state of check box 1055 after the command
  std::vector<std::pair<int, bool>> menuChecks;  // (command id, checked)
};

// "From &Sun" / "From &Moon": switch the view and request its recomputation.
CommandOutcome SelectSunView(TrackerModel& model);
CommandOutcome SelectMoonView(TrackerModel& model);
// "S&ky Map" / "&Earth Map" and the "SkyView" box (also Ctrl+V).
CommandOutcome SelectSkyMap(TrackerModel& model);
CommandOutcome SelectEarthMap(TrackerModel& model);
CommandOutcome ToggleMap(TrackerModel& model);
// Ctrl+S.
CommandOutcome ToggleSunView(TrackerModel& model);

// A built-in source of "&Track another star" (codes 1-6): computes its line
// into text 19 at once (codes 1, 2, 4, 5), sets the tracked source, and
// returns the menu marks (its own item checked, the six others cleared).
CommandOutcome SelectSource(TrackerModel& model, int code, std::int64_t clock);
// The marks for the user-star item after the star dialog ends.
CommandOutcome CheckUserStarItem();

// Adds a time step (seconds, negative to go back) to the time offset, with
// the offset kept inside its 32-bit range and the supported years.
void StepTime(TrackerModel& model, std::int64_t seconds, std::int64_t clock);

// The horizon search for a station: moon, or sun in Sun View. Returns false
// when no crossing was found (the offset is then unchanged).
bool JumpToHorizonCrossing(TrackerModel& model, double latitude, double longitude,
                           std::int64_t clock);

// Ctrl+K: 0 becomes 1, anything else 0. The settings record is not changed.
void ToggleDistanceUnit(TrackerModel& model);

// Runs at start-up after the window exists: settings from `folder`, the home
// locator from the loaded position. Returns the notice to show once when the
// settings file had damaged fields.
std::optional<std::string> StartUp(TrackerModel& model, const std::filesystem::path& folder);

}  // namespace kelvora

// The window's commands as operations on the shared state: view, map,
// source and time steps, the second station and the home station. Each says
// what the window must repaint and which menu marks to set; the window and
// its dialogs only carry that out and mirror their fields.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "state/records.h"
#include "stations/bearing.h"
#include "tick/tick.h"

namespace kelvora {

struct CommandOutcome {
  std::vector<PixelRect> invalidate;  // each with erasing
  bool pushTexts = false;             // push the 21 texts to the controls
  bool skyViewBox = false;            // state of the SkyView box after the command
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

// What the status line says when a time step or a jump cannot be taken
// whole; the status timer's next turn clears it.
inline constexpr const char* kTimeLimitNote =
    "Time offset at its limit: no further step. Esc: live time.";
inline constexpr const char* kNoCrossingNote =
    "No rise or set within the time offset's limit. Esc: live time.";

// Adds a time step (seconds, negative to go back) to the time offset, with
// the offset kept inside its 32-bit range and the supported years; a step
// cut short there puts kTimeLimitNote on the status line.
void StepTime(TrackerModel& model, std::int64_t seconds, std::int64_t clock);

// The horizon search for a station: moon, or sun in Sun View. Fails, with the
// search's reason, when no crossing was found (the offset is then unchanged
// and the status line says kNoCrossingNote).
Status JumpToHorizonCrossing(TrackerModel& model, double latitude, double longitude,
                             std::int64_t clock);

// Esc, and a right click on Rise/Clear: back to live time. Returns whether
// the time offset was not 0 before.
bool ReturnToLiveTime(TrackerModel& model);

// Ctrl+K: 0 becomes 1, anything else 0. The settings record is not changed.
void ToggleDistanceUnit(TrackerModel& model);

// ---- The second station ----

// A position as typed or clicked: the locator is made from it, nothing is
// rounded. (The Station2 dialog's LAT and LON, kelvora-cli --station2.)
void PlaceStation2(TrackerModel& model, double latitude, double longitude);

// A left click on the earth map at window pixel (x, y): the station goes to
// the point under the pointer, and the Station2 dialog is asked to forget
// the call it showed.
void PlaceStation2OnMap(TrackerModel& model, int x, int y);

// The centre of a locator's subsquare, rounded to hundredths of a degree; the
// locator is made anew from that position (for every six-character locator
// it is the locator given, upper-cased). Refused, with nothing changed, when
// the text names no subsquare. (kelvora-cli --station2-grid, and the two below.)
Status PlaceStation2AtLocator(TrackerModel& model, std::string_view locator);

// What the Station2 dialog's GRID field does with an entry: four characters
// get "MM"; an entry the field's rule refuses (IsAcceptedStation2Grid) places
// the station at kFallbackStation2Locator instead.
void PlaceStation2AtGridEntry(TrackerModel& model, std::string_view entry);
inline constexpr const char* kFallbackStation2Locator = "EL29HK";

// What the dialog's CALL field does: the call (or its beginning) looked up in
// the EME directory file, and the station placed at the record's locator.
// A failure, with nothing changed, when the directory is missing, the call is
// not in it or its record has no usable locator; the reason says which.
Status PlaceStation2FromDirectory(TrackerModel& model, const std::filesystem::path& directory,
                                  std::string_view call);

// The dialog's "&Delete Stn2" and a right click on the earth map: no second
// station, no locator, nothing parked.
void RemoveStation2(TrackerModel& model);

// The parking pair around the Station2 dialog. The Station2 command parks the
// locator before the dialog opens (the map then shows no cross for it); the
// dialog's end parks the locator the dialog leaves, or takes the parked one
// back when it leaves none, and asks for a full repaint.
void ParkStation2Locator(TrackerModel& model);
void UnparkStation2Locator(TrackerModel& model);

// The Station2 dialog's refresh, which every one of its handlers runs: the
// position rounded to hundredths, the parked locator taken back while there
// is none, the local-time text formed for the tracked moment, and the path
// from home. `clearCall`: the dialog's call field is to be emptied (there is
// no locator, or a map click placed the station; the click's request is
// served here).
struct Station2Refresh {
  bool clearCall = false;
  BearingDistance path{};
};
Station2Refresh RefreshStation2(TrackerModel& model, std::int64_t clock);

// ---- The home station ----

// The setup dialog's LAT and LON: the home station and the settings record
// take the value, and the locator follows. (The sun keeps the position it
// was loaded for at start-up.)
void SetHomeLatitude(TrackerModel& model, double latitude);
void SetHomeLongitude(TrackerModel& model, double longitude);

// The setup dialog's GRID: home and the settings record to the centre of the
// locator's subsquare, rounded to hundredths, the locator made anew. Refused,
// with nothing changed, when the text names no subsquare (one, three or five
// characters).
Status SetHomeFromLocator(TrackerModel& model, std::string_view locator);

// kelvora-cli --home: as though the settings file had held this position (the
// home station, the sun's copy, the settings record and the locator).
void SetHomeAtStartUp(TrackerModel& model, double latitude, double longitude);

// Runs at start-up after the window exists: settings from `folder`, the home
// locator from the loaded position. A failure, whose reason is the notice to
// show once, when the settings file had damaged fields (the model holds their
// defaults all the same).
Status StartUp(TrackerModel& model, const std::filesystem::path& folder);

}  // namespace kelvora

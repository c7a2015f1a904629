#include "tick/commands.h"

#include "app/clock.h"
#include "astro/rise_set.h"
#include "astro/sources.h"
#include "stations/locator.h"

namespace kelvora {

namespace {

// The part of the panel holding the view picture, and the whole panel with
// both maps. Ctrl+S repaints from the row under the top value boxes.
constexpr PixelRect kViewRect{1, 167, 430, 475};
constexpr PixelRect kMapRect{0, 165, 431, 475};
constexpr PixelRect kCtrlSViewRect{1, 67, 430, 475};

void CheckViewItems(CommandOutcome& outcome, bool sunView) {
  outcome.menuChecks = {{kCmdFromSun, sunView}, {kCmdFromMoon, !sunView}};
}

void CheckMapItems(CommandOutcome& outcome, bool skyMap) {
  outcome.menuChecks = {{kCmdSkyMap, skyMap}, {kCmdEarthMap, !skyMap}};
}

// Puts the mark on one item of the source menu and takes it off the others.
std::vector<std::pair<int, bool>> SourceMenuChecks(int checkedCommand) {
  std::vector<std::pair<int, bool>> checks;
  for (const RadioSource& source : RadioSources()) {
    checks.emplace_back(source.commandId, source.commandId == checkedCommand);
  }
  return checks;
}

void ShowMap(TrackerModel& model, bool skyMap, CommandOutcome& outcome) {
  model.view.mapBitmap = skyMap ? kSkyMapBitmap : kEarthMapBitmap;
  model.view.skyMap = skyMap;
  outcome.pushTexts = true;
  outcome.invalidate.push_back(kMapRect);
}

}  // namespace

CommandOutcome SelectSunView(TrackerModel& model) {
  CommandOutcome outcome;
  CheckViewItems(outcome, true);
  if (!model.view.sunView) {
    model.view.sunView = true;
    model.view.sunViewRefresh = true;
    outcome.invalidate.push_back(kViewRect);
  }
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome SelectMoonView(TrackerModel& model) {
  CommandOutcome outcome;
  CheckViewItems(outcome, false);
  if (model.view.sunView) {
    model.view.sunView = false;
    model.view.moonViewRefresh = true;
    outcome.invalidate.push_back(kViewRect);
  }
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome SelectSkyMap(TrackerModel& model) {
  CommandOutcome outcome;
  CheckMapItems(outcome, true);
  if (model.view.mapBitmap == kEarthMapBitmap) ShowMap(model, true, outcome);
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome SelectEarthMap(TrackerModel& model) {
  CommandOutcome outcome;
  CheckMapItems(outcome, false);
  if (model.view.mapBitmap == kSkyMapBitmap) ShowMap(model, false, outcome);
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome ToggleMap(TrackerModel& model) {
  CommandOutcome outcome;
  const bool toSkyMap = model.view.mapBitmap == kEarthMapBitmap;
  ShowMap(model, toSkyMap, outcome);
  CheckMapItems(outcome, toSkyMap);
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome ToggleSunView(TrackerModel& model) {
  CommandOutcome outcome;
  model.view.sunView = !model.view.sunView;
  if (model.view.sunView) {
    model.view.sunViewRefresh = true;
  } else {
    model.view.moonViewRefresh = true;
  }
  CheckViewItems(outcome, model.view.sunView);
  outcome.invalidate.push_back(kCtrlSViewRect);
  outcome.skyViewBox = model.view.skyMap;
  return outcome;
}

CommandOutcome SelectSource(TrackerModel& model, int code, std::int64_t clock) {
  CommandOutcome outcome;
  outcome.skyViewBox = model.view.skyMap;
  const RadioSource* source = FindSourceByCode(code);
  // Only the six built-in items; the user star comes through its dialog.
  if (source == nullptr || code == kSourceUserStar) return outcome;
  if (source->name != nullptr) {
    const TimeBase base{model.home.gmtOffsetHours, model.tracking.timeOffset};
    const HorizontalFix fix =
        SourcePosition(source->declination, source->rightAscension, model.home.latitude,
                       model.home.longitude, clock, base);
    model.texts[19] = FormatSourceLine(*source, fix);
  }
  model.tracking.trackedSource = code;
  outcome.menuChecks = SourceMenuChecks(source->commandId);
  return outcome;
}

CommandOutcome CheckUserStarItem() {
  CommandOutcome outcome;
  outcome.menuChecks = SourceMenuChecks(kCmdOtherStar);
  return outcome;
}

void StepTime(TrackerModel& model, std::int64_t seconds, std::int64_t clock) {
  model.tracking.timeOffset =
      StepTimeOffset(model.tracking.timeOffset, seconds, clock, model.home.gmtOffsetHours);
}

bool JumpToHorizonCrossing(TrackerModel& model, double latitude, double longitude,
                           std::int64_t clock) {
  const Body body = model.view.sunView ? Body::Sun : Body::Moon;
  const std::optional<std::int32_t> offset = FindHorizonCrossing(
      latitude, longitude, body, clock, model.home.gmtOffsetHours, model.tracking.timeOffset);
  if (!offset) return false;
  model.tracking.timeOffset = *offset;
  return true;
}

void ToggleDistanceUnit(TrackerModel& model) {
  model.home.distanceUnit = model.home.distanceUnit == 0 ? 1 : 0;
}

std::optional<std::string> StartUp(TrackerModel& model, const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / kSettingsFileName;
  const SettingsLoad load = LoadSettings(file, model.settings, model.home);
  model.home.locator = PositionToLocator(model.home.sunLatitude, model.home.sunLongitude);
  return DamagedSettingsNotice(file, load);
}

}  // namespace kelvora

#include "tick/commands.h"

#include "app/clock.h"
#include "app/settings.h"
#include "astro/rise_set.h"
#include "astro/sources.h"
#include "stations/directory.h"
#include "stations/local_time.h"
#include "stations/locator.h"

namespace kelvora {

namespace {

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
  outcome.invalidate.push_back(kMapRepaintRect);
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

CommandOutcome SelectSunView(TrackerModel& model) {
  CommandOutcome outcome;
  CheckViewItems(outcome, true);
  if (!model.view.sunView) {
    model.view.sunView = true;
    model.view.sunViewRefresh = true;
    outcome.invalidate.push_back(kViewRepaintRect);
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
    outcome.invalidate.push_back(kViewRepaintRect);
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
  outcome.invalidate.push_back(kSunViewKeyRepaintRect);
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
    model.texts[TextId::kSourceLine] = FormatSourceLine(*source, fix);
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
  const std::int64_t wanted = std::int64_t{model.tracking.timeOffset} + seconds;
  model.tracking.timeOffset =
      StepTimeOffset(model.tracking.timeOffset, seconds, clock, model.home.gmtOffsetHours);
  if (model.tracking.timeOffset != wanted) model.texts[TextId::kStatusLine] = kTimeLimitNote;
}

Status JumpToHorizonCrossing(TrackerModel& model, double latitude, double longitude,
                             std::int64_t clock) {
  const Body body = model.view.sunView ? Body::Sun : Body::Moon;
  const Result<std::int32_t> offset = FindHorizonCrossing(
      latitude, longitude, body, clock, model.home.gmtOffsetHours, model.tracking.timeOffset);
  if (!offset) {
    model.texts[TextId::kStatusLine] = kNoCrossingNote;
    return offset.failure();
  }
  model.tracking.timeOffset = *offset;
  return Done();
}

bool ReturnToLiveTime(TrackerModel& model) {
  if (model.tracking.timeOffset == 0) return false;
  model.tracking.timeOffset = 0;
  return true;
}

void ToggleDistanceUnit(TrackerModel& model) {
  model.home.distanceUnit = model.home.distanceUnit == 0 ? 1 : 0;
}

void PlaceStation2(TrackerModel& model, double latitude, double longitude) {
  SecondStation& station = model.station2;
  station.latitude = latitude;
  station.longitude = longitude;
  station.locator = PositionToLocator(station.latitude, station.longitude);
}

void PlaceStation2OnMap(TrackerModel& model, int x, int y) {
  PlaceStation2(model, MapLatitudeForY(y), MapLongitudeForX(x));
  model.station2.callReset = true;
}

Status PlaceStation2AtLocator(TrackerModel& model, std::string_view locator) {
  const Result<GeoPosition> position = LocatorToPosition(locator);
  if (!position) return position.failure();
  PlaceStation2(model, RoundToHundredths(position->latitude),
                RoundToHundredths(position->longitude));
  return Done();
}

void PlaceStation2AtGridEntry(TrackerModel& model, std::string_view entry) {
  std::string completed(entry);
  if (completed.size() == 4) completed += "MM";
  if (!IsAcceptedStation2Grid(completed) || !PlaceStation2AtLocator(model, completed)) {
    // The fallback names a subsquare.
    static_cast<void>(PlaceStation2AtLocator(model, kFallbackStation2Locator));
  }
}

Status PlaceStation2FromDirectory(TrackerModel& model, const std::filesystem::path& directory,
                                  std::string_view call) {
  const DirectoryResult found = ReadDirectory(directory, call, DirectoryMode::Record);
  if (found.status != DirectoryStatus::Found) {
    // The reader's own message: the file, the call or its record is missing.
    return Fail(found.text, found.status == DirectoryStatus::NoCallEntered
                                ? FailureKind::kRefused
                                : FailureKind::kNotFound);
  }
  const std::string locator = ToUpperAscii(DirectoryLocatorColumns(found.text));
  if (!IsAcceptedDirectoryLocator(locator)) {
    return Fail("the directory record for " + std::string(call) + " has no usable locator");
  }
  return PlaceStation2AtLocator(model, locator);
}

void RemoveStation2(TrackerModel& model) {
  SecondStation& station = model.station2;
  station.latitude = 0.0;
  station.longitude = 0.0;
  station.locator.clear();
  station.savedLocator.clear();
}

void ParkStation2Locator(TrackerModel& model) {
  SecondStation& station = model.station2;
  station.savedLocator = station.locator;
  station.locator.clear();
}

void UnparkStation2Locator(TrackerModel& model) {
  SecondStation& station = model.station2;
  if (!station.locator.empty()) {
    station.savedLocator = station.locator;
  } else {
    station.locator = station.savedLocator;
  }
  model.tracking.fullRepaintRequest = true;
}

Station2Refresh RefreshStation2(TrackerModel& model, std::int64_t clock) {
  SecondStation& station = model.station2;
  station.latitude = RoundToHundredths(station.latitude);
  station.longitude = RoundToHundredths(station.longitude);
  if (station.locator.empty()) station.locator = station.savedLocator;
  Station2Refresh refresh;
  refresh.clearCall = station.locator.empty() || station.callReset;
  station.callReset = false;
  // No local time to show (outside the supported years): the field is blank.
  const Result<std::string> localTime =
      LocalTimeText(station.longitude, clock, model.home.gmtOffsetHours, model.tracking.timeOffset);
  station.localTimeText = localTime ? *localTime : std::string();
  refresh.path = BearingAndDistance(model.home.latitude, model.home.longitude, station.latitude,
                                    station.longitude, model.home.distanceUnit);
  return refresh;
}

void SetHomeLatitude(TrackerModel& model, double latitude) {
  model.home.latitude = latitude;
  model.settings.latitude = latitude;
  model.home.locator = PositionToLocator(latitude, model.home.longitude);
}

void SetHomeLongitude(TrackerModel& model, double longitude) {
  model.home.longitude = longitude;
  model.settings.longitude = longitude;
  model.home.locator = PositionToLocator(model.home.latitude, longitude);
}

Status SetHomeFromLocator(TrackerModel& model, std::string_view locator) {
  const Result<GeoPosition> position = LocatorToPosition(locator);
  if (!position) return position.failure();
  const double longitude = RoundToHundredths(position->longitude);
  model.settings.longitude = longitude;
  model.home.longitude = longitude;
  const double latitude = RoundToHundredths(position->latitude);
  model.settings.latitude = latitude;
  model.home.latitude = latitude;
  model.home.locator = PositionToLocator(model.home.latitude, model.home.longitude);
  return Done();
}

void SetHomeAtStartUp(TrackerModel& model, double latitude, double longitude) {
  model.settings.latitude = latitude;
  model.settings.longitude = longitude;
  model.home.latitude = model.home.sunLatitude = latitude;
  model.home.longitude = model.home.sunLongitude = longitude;
  model.home.locator = PositionToLocator(latitude, longitude);
}

Status StartUp(TrackerModel& model, const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / kSettingsFileName;
  const SettingsLoad load = LoadSettings(file, model.settings, model.home);
  model.home.locator = PositionToLocator(model.home.sunLatitude, model.home.sunLongitude);
  return CheckSettingsLoad(file, load);
}

}  // namespace kelvora

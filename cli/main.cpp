// kelvora-cli: the tracking figures of Kelvora Win for terminals and scripts.
// Runs the same core as the window program; reads "Dorvakin.dat" and
// "EME.DTA" from the current folder like it.
//
// Exit status: 0 done, 1 nothing found (no crossing, call not in the
// directory, directory missing), 2 bad arguments (a moment outside the
// supported years included), 3 an unexpected failure.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/clock.h"
#include "app/settings.h"
#include "app/version.h"
#include "arguments.h"
#include "exit_status.h"
#include "moment.h"
#include "option_checks.h"
#include "astro/map_projection.h"
#include "precise_commands.h"
#include "rotator_command.h"
#include "station_command.h"
#include "plan_command.h"
#include "astro/moon.h"
#include "astro/rise_set.h"
#include "astro/sources.h"
#include "astro/time_helpers.h"
#include "radio_command.h"
#include "state/records.h"
#include "stations/bearing.h"
#include "stations/directory.h"
#include "stations/local_time.h"
#include "stations/locator.h"
#include "tick/commands.h"
#include "tick/tick.h"
#include "wsjtx_command.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;


constexpr const char* kDescription =
    "Kelvora Win tracking figures for the terminal.\n"
    "Latitudes are north positive. Longitudes are WEST positive everywhere, as in the\n"
    "window program: 95.36 is 95.36 W, and east longitudes are negative (-151.21 is\n"
    "151.21 E). Without options the home station comes from Dorvakin.dat in the\n"
    "current folder (29.42 N, 95.36 W when it is missing) and the time from the\n"
    "computer's clock. --clock is a UTC moment in every subcommand; --gmt-offset\n"
    "gives the home's local standard time.";

// What `tick` and `watch` may set on top of the settings file.
struct StateOptions {
  std::string home;
  std::optional<std::int64_t> gmtOffset;
  std::optional<std::int64_t> timeOffset;
  std::string station2;
  std::string station2Grid;
  std::optional<int> source;
  std::string star;
  bool sunView = false;
  bool skyMap = false;
  bool km = false;
};

void AddStateOptions(CLI::App* command, StateOptions& options) {
  command->add_option("--home", options.home,
                      "home station LAT,LON in degrees (longitude west positive)")
      ->check(NonEmptyText());
  AddGmtOffsetOption(command, options.gmtOffset);
  command->add_option("--time-offset", options.timeOffset,
                      "seconds added to the clock, as the time-step keys do")
      ->check(WholeNumberIn(std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()));
  auto* station2 = command->add_option(
      "--station2", options.station2, "second station LAT,LON (longitude west positive)");
  station2->check(NonEmptyText());
  auto* grid = command->add_option("--station2-grid", options.station2Grid,
                                   "second station by Maidenhead locator");
  grid->check(NonEmptyText());
  station2->excludes(grid);
  command->add_option("--source", options.source,
                      "tracked source: 1 Quiet Sky, 2 Cassiopeia A, 3 Centaurus A, "
                      "4 Cygnus A, 5 Galactic Centre, 6 Taurus A, 7 user star")
      ->check(WholeNumberIn(1, 7));
  command->add_option("--star", options.star,
                      "user star RA_HOURS,DEC_DEG (tracks it unless --source says otherwise)")
      ->check(NonEmptyText());
  command->add_flag("--sun-view", options.sunView, "outline of the region that sees the sun");
  command->add_flag("--sky-map", options.skyMap, "sky map (computes the moon's 26-day track)");
  command->add_flag("--km", options.km, "distances in kilometres instead of miles");
}

std::int32_t ToInt32(std::int64_t value, const char* what) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw UsageError(std::string(what) + " " + std::to_string(value) + " is out of range");
  }
  return static_cast<std::int32_t>(value);
}

// The tracked moment must lie where the calendar and the moon theory work.
void CheckSupportedMoment(std::int64_t clock, const TimeBase& base) {
  const std::int64_t moment = base.Adjust(clock);
  if (moment < FirstSupportedSecond() || moment > LastSupportedSecond()) {
    throw UsageError("the tracked moment (clock " + std::to_string(clock) +
                     " plus offsets) is outside the years " +
                     std::to_string(kFirstSupportedYear) + "-" +
                     std::to_string(kLastSupportedYear));
  }
}

// The window's clock value (home local standard time counted as UTC) of a
// UTC moment.
std::int64_t ClockValueOf(std::int64_t utc, const TrackerModel& model) {
  return utc - std::int64_t{model.home.gmtOffsetHours} * 3600;
}

// The model as the window would have it after start-up and the given choices.
TrackerModel BuildModel(const StateOptions& options) {
  TrackerModel model;
  if (const Status loaded = StartUp(model, std::filesystem::current_path()); !loaded) {
    std::cerr << "kelvora-cli: " << loaded.reason() << '\n';
  }
  if (!options.home.empty()) {
    const LatLon home = ParseLatLonPair(options.home, "--home");
    SetHomeAtStartUp(model, home.latitude, home.longitude);
  }
  if (options.gmtOffset) {
    if (*options.gmtOffset < -kGmtOffsetLimitHours || *options.gmtOffset > kGmtOffsetLimitHours) {
      throw UsageError("--gmt-offset " + std::to_string(*options.gmtOffset) + " is outside -" +
                       std::to_string(kGmtOffsetLimitHours) + ".." +
                       std::to_string(kGmtOffsetLimitHours) + " hours");
    }
    model.home.gmtOffsetHours = static_cast<std::int32_t>(*options.gmtOffset);
  }
  if (options.timeOffset) {
    model.tracking.timeOffset = ToInt32(*options.timeOffset, "--time-offset");
  }
  if (!options.station2.empty()) {
    const LatLon station2 = ParseLatLonPair(options.station2, "--station2");
    PlaceStation2(model, station2.latitude, station2.longitude);
    if (!model.station2.IsSet()) {
      throw UsageError("--station2 0,0 means no second station; leave the option out");
    }
  }
  if (!options.station2Grid.empty()) {
    const std::string locator = ParseLocator(options.station2Grid);
    if (!PlaceStation2AtLocator(model, locator)) {
      throw UsageError("--station2-grid: cannot place '" + locator + "'");
    }
  }
  if (!options.star.empty()) {
    const std::size_t comma = options.star.find(',');
    const std::string ra = options.star.substr(0, comma);
    const std::string dec = comma == std::string::npos ? "" : options.star.substr(comma + 1);
    const std::optional<double> raHours = ParseNumber(ra);
    const std::optional<double> decDegrees = ParseNumber(dec);
    if (comma == std::string::npos || !raHours || !decDegrees) {
      throw UsageError("--star: expected RA_HOURS,DEC_DEG, got '" + options.star + "'");
    }
    if (*raHours < 0.0 || *raHours > 24.0 || *decDegrees < -90.0 || *decDegrees > 90.0) {
      throw UsageError("--star: '" + options.star +
                       "' is out of range: right ascension 0..24 h, declination -90..90 deg");
    }
    model.tracking.userStarRa = ra;
    model.tracking.userStarDec = dec;
    model.tracking.trackedSource = kSourceUserStar;
  }
  if (options.source) model.tracking.trackedSource = *options.source;
  if (options.km) model.home.distanceUnit = 0;
  if (options.skyMap) SelectSkyMap(model);
  // Either way the first tick draws the outline of the body in view.
  if (options.sunView) {
    SelectSunView(model);
  } else {
    model.view.moonViewRefresh = true;
  }
  return model;
}

void PrintTexts(const DisplayTexts& texts, std::ostream& out) {
  for (const DisplayTextInfo& info : kDisplayTextTable) {
    if (info.id == TextId::kStatusLine) continue;  // the status line holds only blanks
    char label[32];
    std::snprintf(label, sizeof label, "%-14s", info.label);
    out << label << texts[info.id] << '\n';
  }
}

json PointJson(const MapPoint& point) { return json{{"x", point.x}, {"y", point.y}}; }

// A figure that may be missing: the number, or null.
json OptionalJson(const std::optional<double>& value) {
  return value ? json(*value) : json(nullptr);
}

json MoonFixJson(const MoonFix& fix) {
  return {{"azimuthDeg", fix.azimuth},
          {"elevationDeg", fix.elevation},
          {"rightAscensionRad", fix.rightAscension},
          {"rightAscensionHours", fix.rightAscension * kRadToRaHours},
          {"declinationRad", fix.declination},
          {"declinationDeg", fix.declination * kRadToDeg},
          {"hourAngleRad", fix.hourAngle},
          {"distanceKm", fix.distance},
          {"dayCount", fix.dayCount}};
}

// TickFigures field by field, the unit in every name.
json FiguresJson(const TickFigures& f) {
  json out;
  out["clockSeconds"] = f.clock;
  out["utcSeconds"] = f.utcSeconds;
  out["sun"] = {{"azimuthDeg", f.sun.azimuth},
                {"elevationDeg", f.sun.elevation},
                {"rightAscensionRad", f.sun.rightAscension},
                {"rightAscensionHours", f.sun.rightAscension * kRadToRaHours},
                {"declinationRad", f.sun.declination},
                {"hourAngleRad", f.sun.hourAngle},
                {"moonRangeRateMps", f.sun.moonRangeRate}};
  out["homeMoon"] = f.homeMoon ? MoonFixJson(*f.homeMoon) : json(nullptr);
  out["station2Set"] = f.station2Set;
  out["station2Moon"] = f.station2Moon ? MoonFixJson(*f.station2Moon) : json(nullptr);
  out["skyTemperatureK"] = OptionalJson(f.skyTemperatureK);
  out["pathLossDb"] = OptionalJson(f.pathLossDb);
  out["degradationDb"] = OptionalJson(f.degradationDb);
  out["echoDopplerHz"] = OptionalJson(f.echoDopplerHz);
  out["station2DopplerHz"] = OptionalJson(f.station2DopplerHz);
  if (f.polarityOffset) {
    out["polarityOffset"] = {{"degrees", f.polarityOffset->degrees},
                             {"clockwise", f.polarityOffset->clockwise},
                             {"homeAngleDeg", f.polarityOffset->homeAngle},
                             {"station2AngleDeg", f.polarityOffset->station2Angle}};
  } else {
    out["polarityOffset"] = nullptr;
  }
  if (f.perigeeApogee) {
    out["perigeeDays"] = f.perigeeApogee->perigeeDays;
    out["apogeeDays"] = f.perigeeApogee->apogeeDays;
  } else {
    out["perigeeDays"] = nullptr;
    out["apogeeDays"] = nullptr;
  }
  out["moonTrack"] = f.moonTrack.has_value();
  return out;
}

// The model after one tick and what that tick computed. Nothing is computed
// here: every value comes from the figures or the tracking record.
json TickJson(const TrackerModel& model, const TickFigures& figures) {
  const TrackingState& t = model.tracking;
  json out;
  out["clockSeconds"] = figures.clock;
  out["utcSeconds"] = figures.utcSeconds;
  out["gmtOffsetHours"] = model.home.gmtOffsetHours;
  out["timeOffsetSeconds"] = t.timeOffset;
  out["distanceUnit"] = model.home.distanceUnit == 0 ? "km" : "miles";
  out["view"] = model.view.sunView ? "sun" : "moon";
  out["map"] = model.view.skyMap ? "sky" : "earth";

  json texts = json::array();
  for (const DisplayTextInfo& info : kDisplayTextTable) {
    texts.push_back({{"number", TextNumber(info.id)},
                     {"control", info.controlId},
                     {"label", info.label},
                     {"text", model.texts[info.id]}});
  }
  out["texts"] = texts;

  out["home"] = {{"latitudeDeg", model.home.latitude},
                 {"longitudeWestDeg", model.home.longitude},
                 {"locator", model.home.locator}};
  if (model.station2.IsSet()) {
    const Result<std::string> localTime =
        LocalTimeText(model.station2.longitude, figures.clock, model.home.gmtOffsetHours,
                      t.timeOffset);
    out["station2"] = {{"latitudeDeg", model.station2.latitude},
                       {"longitudeWestDeg", model.station2.longitude},
                       {"locator", model.station2.locator},
                       {"localTime", localTime ? json(*localTime) : json(nullptr)}};
    if (const auto& fix = figures.station2Moon) {
      out["station2"]["moon"] = {{"azimuthDeg", fix->azimuth},
                                 {"elevationDeg", fix->elevation},
                                 {"rightAscensionRad", fix->rightAscension},
                                 {"rightAscensionHours", fix->rightAscension * kRadToRaHours}};
    } else {
      out["station2"]["moon"] = nullptr;
    }
  } else {
    out["station2"] = nullptr;
  }

  if (const auto& moon = figures.homeMoon) {
    out["moon"] = {{"hourAngleRad", t.moonHourAngle},
                   {"hourAngleDeg", t.moonHourAngle * kRadToDeg},
                   {"azimuthDeg", moon->azimuth},
                   {"elevationDeg", moon->elevation},
                   {"declinationDeg", t.moonDeclination},
                   {"rightAscensionRad", moon->rightAscension},
                   {"rightAscensionHours", moon->rightAscension * kRadToRaHours},
                   {"distanceKm", moon->distance},
                   {"rangeRateMps", t.moonRangeRate},
                   {"upHome", t.moonUpHome},
                   {"upStation2", t.moonUpStation2},
                   {"skyTemperatureK", *figures.skyTemperatureK},
                   {"pathLossDb", *figures.pathLossDb},
                   {"degradationDb", *figures.degradationDb}};
  } else {
    out["moon"] = nullptr;
  }
  out["sun"] = {{"azimuthDeg", t.sunAzimuth},
                {"elevationDeg", t.sunElevation},
                {"declinationRad", t.sunDeclination},
                {"declinationDeg", t.sunDeclination * kRadToDeg},
                {"hourAngleRad", t.sunHourAngle},
                {"hourAngleDeg", t.sunHourAngle * kRadToDeg},
                {"rightAscensionRad", t.sunRightAscension},
                {"rightAscensionHours", t.sunRightAscension * kRadToRaHours}};
  out["perigeeDays"] = t.perigeeDays;
  out["apogeeDays"] = t.apogeeDays;
  out["phaseIndex"] = t.phaseIndex;
  out["markers"] = {{"moon", PointJson(t.moonMarker)},
                    {"sun", PointJson(t.sunMarker)},
                    {"home", PointJson(t.homeMarker)},
                    {"station2", PointJson(t.station2Marker)}};

  json points = json::array();
  const int count = std::clamp(t.footprintResult, 0, kFootprintPoints);
  for (int i = 0; i < count; ++i) {
    points.push_back(PointJson(t.footprint[static_cast<std::size_t>(i)]));
  }
  out["footprint"] = {{"count", t.footprintResult}, {"points", points}};

  if (model.view.skyMap) {
    json track = json::array();
    for (const SkyMapPoint& point : t.moonTrack) {
      track.push_back({{"column", point.column}, {"row", point.row}});
    }
    out["moonTrack"] = {{"points", track}, {"current", PointJson(t.moonSkyPoint)}};
  } else {
    out["moonTrack"] = nullptr;
  }
  out["figures"] = FiguresJson(figures);
  return out;
}

int RunTickCommand(const StateOptions& options, std::optional<std::int64_t> clockOption,
                   bool asJson) {
  TrackerModel model = BuildModel(options);
  const std::int64_t clock = ClockValueOf(MomentUtc(clockOption), model);
  CheckSupportedMoment(clock, TimeBase{model.home.gmtOffsetHours, model.tracking.timeOffset});
  const TickOutcome outcome = RunTick(model, kTickTimerId, clock);
  if (asJson) {
    std::cout << TickJson(model, *outcome.figures).dump(2) << '\n';
  } else {
    PrintTexts(model.texts, std::cout);
  }
  return kExitDone;
}

volatile sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = 1; }

int RunWatch(const StateOptions& options, std::optional<std::int64_t> count) {
  TrackerModel model = BuildModel(options);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  const bool terminal = isatty(STDOUT_FILENO) == 1;
  for (std::int64_t shown = 0; !gInterrupted && (!count || shown < *count); ++shown) {
    const std::int64_t clock = ClockValueOf(UtcNow(), model);
    CheckSupportedMoment(clock, TimeBase{model.home.gmtOffsetHours, model.tracking.timeOffset});
    RunTick(model, kTickTimerId, clock);
    if (terminal) std::cout << "\033[H\033[2J";
    PrintTexts(model.texts, std::cout);
    if (!terminal) std::cout << '\n';
    std::cout.flush();
    if (count && shown + 1 >= *count) break;
    // Sleep to the next whole second; a signal cuts the sleep short.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    timespec rest{0, 1000000000L - now.tv_nsec};
    while (!gInterrupted && nanosleep(&rest, &rest) == -1 && errno == EINTR) {
    }
  }
  if (terminal) std::cout << '\n';
  return kExitDone;
}

const char* BodyName(Body body) { return body == Body::Sun ? "Sun" : "Moon"; }

int RunNextCrossing(std::optional<std::int64_t> clockOption, const std::string& stationText,
                    std::optional<std::int64_t> gmtOffset, std::optional<std::int64_t> timeOffset,
                    bool sun, bool asJson) {
  StateOptions options;
  options.gmtOffset = gmtOffset;
  options.timeOffset = timeOffset;
  TrackerModel model = BuildModel(options);
  double latitude = model.home.latitude;
  double longitude = model.home.longitude;
  if (!stationText.empty()) {
    const LatLon station = ParseLatLonPair(stationText, "--station");
    latitude = station.latitude;
    longitude = station.longitude;
  }
  const std::int64_t clock = ClockValueOf(MomentUtc(clockOption), model);
  const TimeBase before{model.home.gmtOffsetHours, model.tracking.timeOffset};
  CheckSupportedMoment(clock, before);
  if (sun) SelectSunView(model);

  const Body body = sun ? Body::Sun : Body::Moon;
  if (!JumpToHorizonCrossing(model, latitude, longitude, clock)) {
    // The search stops at the last supported moment: that is no "none found".
    if (before.Adjust(clock) > LastSupportedSecond() - kCrossingSearchLimitSeconds) {
      throw UsageError(std::string("the search for the next ") +
                       (sun ? "sunrise or sunset" : "moonrise or moonset") +
                       " runs past the supported years " + std::to_string(kFirstSupportedYear) +
                       "-" + std::to_string(kLastSupportedYear));
    }
    // Nor is a search whose answer could not be told as a 32-bit offset.
    if (std::int64_t{before.timeOffset} + kCrossingSearchLimitSeconds >
        std::numeric_limits<std::int32_t>::max()) {
      throw UsageError("--time-offset " + std::to_string(before.timeOffset) +
                       ": the search for the next crossing would pass the time offset's limit " +
                       std::to_string(std::numeric_limits<std::int32_t>::max()) + " s");
    }
    std::cerr << "kelvora-cli: no " << (sun ? "sunrise or sunset" : "moonrise or moonset")
              << " found within 366 days\n";
    return kExitNotFound;
  }
  const TimeBase after{model.home.gmtOffsetHours, model.tracking.timeOffset};
  const std::int64_t utc = after.Adjust(clock);
  // The jump lands just after the crossing: above the horizon means a rise.
  // The jump only lands inside the supported years, where the moon's exists.
  const double elevation = sun ? QuickSunElevation(latitude, longitude, utc)
                               : QuickMoonElevation(latitude, longitude, utc).value();
  const char* event = elevation > 0.0 ? "rise" : "set";
  const Result<std::string> asc = AscTimeText(utc);
  const std::string utcText = asc ? *asc : std::string(kNoFigureText);

  if (asJson) {
    const json out = {{"body", sun ? "sun" : "moon"},
                      {"event", event},
                      {"latitudeDeg", latitude},
                      {"longitudeWestDeg", longitude},
                      {"clockSeconds", clock},
                      {"timeOffsetBeforeSeconds", before.timeOffset},
                      {"timeOffsetSeconds", model.tracking.timeOffset},
                      {"utcSeconds", utc},
                      {"utcText", utcText},
                      {"elevationDeg", elevation}};
    std::cout << out.dump(2) << '\n';
  } else {
    std::printf("%s%s at %.2f, %.2f (west positive): %s UTC\ntime offset %d s\n",
                BodyName(body), event, latitude, longitude, utcText.c_str(),
                model.tracking.timeOffset);
  }
  return kExitDone;
}

int RunLocator(const std::string& text) {
  const std::string locator = ParseLocator(text);
  const Result<GeoPosition> position = LocatorToPosition(locator);
  if (!position) throw UsageError("cannot place locator '" + text + "'");
  std::printf("%s  latitude %.2f  longitude %.2f (west positive)\n", locator.c_str(),
              RoundToHundredths(position->latitude), RoundToHundredths(position->longitude));
  return kExitDone;
}

int RunGrid(const std::string& latitudeText, const std::string& longitudeText) {
  const double latitude = ParseLatitude(latitudeText, "LAT");
  const double longitude = ParseLongitude(longitudeText, "LON");
  std::printf("%s\n", PositionToLocator(latitude, longitude).c_str());
  return kExitDone;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int RunBearing(const std::vector<std::string>& values, bool km) {
  const double lat1 = ParseLatitude(values[0], "LAT1");
  const double lon1 = ParseLongitude(values[1], "LON1");
  const double lat2 = ParseLatitude(values[2], "LAT2");
  const double lon2 = ParseLongitude(values[3], "LON2");
  const BearingDistance result = BearingAndDistance(lat1, lon1, lat2, lon2, km ? 0 : 1);
  std::printf("bearing   %s\n", Trimmed(result.bearingText).c_str());
  if (km) {
    std::printf("distance  %s km\n", Trimmed(result.kmText).c_str());
  } else {
    std::printf("distance  %s mi\n", Trimmed(result.mileText).c_str());
  }
  return kExitDone;
}

int RunDirectory(const std::string& call, const std::string& file) {
  if (Trimmed(call).empty()) throw UsageError(kDirectoryNoCall);
  const std::filesystem::path path = file.empty() ? std::filesystem::path(kDirectoryFileName)
                                                  : std::filesystem::path(file);
  const DirectoryResult result = ReadDirectory(path, call, DirectoryMode::Display);
  switch (result.status) {
    case DirectoryStatus::Found:
      std::cout << result.text << '\n';
      return kExitDone;
    case DirectoryStatus::NoCallEntered:
      throw UsageError(result.text);
    case DirectoryStatus::FileNotFound:
      std::cerr << "kelvora-cli: " << result.text << " (" << path.string() << ")\n";
      return kExitNotFound;
    case DirectoryStatus::NotFound:
      std::cerr << "kelvora-cli: " << result.text << '\n';
      return kExitNotFound;
  }
  return kExitNotFound;
}

// Each subcommand is added by its own function, its options kept alive by
// the callbacks that read them.
void AddTickCommand(CLI::App& app, std::function<int()>& action) {
  struct Options {
    StateOptions state;
    std::optional<std::int64_t> clock;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* tick = app.add_subcommand("tick", "one full tick: the 21 display texts, labelled");
  AddStateOptions(tick, o->state);
  AddClockOption(tick, o->clock);
  tick->add_flag("--json", o->json, "one JSON object with the texts and the raw values");
  tick->callback([&action, o] {
    action = [o] { return RunTickCommand(o->state, o->clock, o->json); };
  });
}

void AddWatchCommand(CLI::App& app, std::function<int()>& action) {
  struct Options {
    StateOptions state;
    std::optional<std::int64_t> count;
  };
  auto o = std::make_shared<Options>();
  CLI::App* watch =
      app.add_subcommand("watch", "the live read-out, refreshed every second until Ctrl+C");
  AddStateOptions(watch, o->state);
  watch->add_option("--count", o->count, "stop after this many refreshes")
      ->check(WholeNumberIn(1, 1000000000));
  watch->callback([&action, o] { action = [o] { return RunWatch(o->state, o->count); }; });
}

void AddCrossingCommand(CLI::App& app, std::function<int()>& action) {
  struct Options {
    std::optional<std::int64_t> clock;
    std::optional<std::int64_t> gmt;
    std::optional<std::int64_t> offset;
    std::string station;
    bool sun = false;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* crossing = app.add_subcommand(
      "next-crossing", "the next moonrise or moonset (sunrise or sunset with --sun)");
  AddClockOption(crossing, o->clock);
  crossing->add_option("--station", o->station,
                       "station LAT,LON (longitude west positive; default: home)")
      ->check(NonEmptyText());
  AddGmtOffsetOption(crossing, o->gmt);
  crossing->add_option("--time-offset", o->offset, "time offset to start from, seconds")
      ->check(WholeNumberIn(std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()));
  crossing->add_flag("--sun", o->sun, "the sun instead of the moon");
  crossing->add_flag("--json", o->json, "JSON output");
  crossing->callback([&action, o] {
    action = [o] {
      return RunNextCrossing(o->clock, o->station, o->gmt, o->offset, o->sun, o->json);
    };
  });
}

void AddPositionCommands(CLI::App& app, std::function<int()>& action) {
  struct Options {
    std::string locator;
    std::string gridLatitude;
    std::string gridLongitude;
    std::vector<std::string> bearing;
    bool km = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* locator = app.add_subcommand("locator", "centre of a Maidenhead locator");
  locator->add_option("LOCATOR", o->locator, "2, 4 or 6 characters, e.g. EL29HK")->required();
  locator->callback([&action, o] { action = [o] { return RunLocator(o->locator); }; });

  CLI::App* grid = app.add_subcommand("grid", "Maidenhead locator of a position");
  grid->add_option("LAT", o->gridLatitude, "latitude, north positive")->required();
  grid->add_option("LON", o->gridLongitude, "longitude, WEST positive")->required();
  grid->callback([&action, o] {
    action = [o] { return RunGrid(o->gridLatitude, o->gridLongitude); };
  });

  CLI::App* bearing =
      app.add_subcommand("bearing", "great-circle bearing and distance from point 1 to point 2");
  bearing->add_option("LAT1 LON1 LAT2 LON2", o->bearing,
                      "two positions in degrees, longitudes WEST positive")
      ->expected(4)
      ->required();
  bearing->add_flag("--km", o->km, "distance in kilometres (default miles)");
  bearing->callback([&action, o] { action = [o] { return RunBearing(o->bearing, o->km); }; });
}

void AddDirectoryCommand(CLI::App& app, std::function<int()>& action) {
  struct Options {
    std::string call;
    std::string file;
  };
  auto o = std::make_shared<Options>();
  CLI::App* directory = app.add_subcommand("directory", "look a call sign up in EME.DTA");
  directory->add_option("CALL", o->call, "call sign or its beginning")->required();
  directory->add_option("--file", o->file, "directory file (default: ./EME.DTA)")
      ->check(NonEmptyText());
  directory->callback([&action, o] { action = [o] { return RunDirectory(o->call, o->file); }; });
}

// The subcommands in the order --help lists them, each group with the names
// it adds. A run names one subcommand, and building only its group keeps a
// one-shot command such as `tick` cheap to start.
struct CommandGroup {
  std::vector<std::string_view> names;
  std::function<void(CLI::App&, std::function<int()>&)> add;
};

const std::vector<CommandGroup>& CommandGroups() {
  static const std::vector<CommandGroup> groups = {
      {{"tick"}, AddTickCommand},
      {{"watch"}, AddWatchCommand},
      {{"next-crossing"}, AddCrossingCommand},
      {{"locator", "grid", "bearing"}, AddPositionCommands},
      {{"directory"}, AddDirectoryCommand},
      {{"moon", "selftest"},
       [](CLI::App& app, std::function<int()>& action) { RegisterPreciseCommands(app, action); }},
      {{"rotator"}, AddRotatorCommand},
      {{"station"}, AddStationCommand},
      {{"doppler", "radio"}, AddRadioCommands},
      {{"plan"}, AddPlanCommand},
      {{"wsjtx"}, AddWsjtxCommand},
  };
  return groups;
}

int Main(int argc, char** argv) {
  std::vector<std::string> storage(static_cast<std::size_t>(argc));
  NormaliseNegativeNumbers(argc, argv, storage.data());

  CLI::App app(kDescription, "kelvora-cli");
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("kelvora-cli ") + kVersion + "\n" + kLicence);
  app.footer(
      "Exit status: 0 done, 1 nothing found, 2 bad arguments, 3 unexpected failure.\n"
      "Longitudes are west positive: 95.36 is 95.36 W, -151.21 is 151.21 E.");

  std::function<int()> action;
  // The subcommand is the first word; anything else (--help, a mistyped
  // name) gets all of them, so the listing and the errors name every one.
  const std::string_view first = argc > 1 ? std::string_view(argv[1]) : std::string_view();
  const auto& groups = CommandGroups();
  const auto named = std::find_if(groups.begin(), groups.end(), [&](const CommandGroup& group) {
    return std::find(group.names.begin(), group.names.end(), first) != group.names.end();
  });
  if (named != groups.end()) {
    named->add(app, action);
  } else {
    for (const CommandGroup& group : groups) group.add(app, action);
  }

  RefuseEmptyValues(app);

  try {
    app.parse(argc, argv);
    return action ? action() : kExitUsage;
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "kelvora-cli: error: " << e.what() << " (see --help)\n";
    return kExitUsage;
  } catch (const UsageError& e) {
    std::cerr << "kelvora-cli: error: " << e.what() << '\n';
    return kExitUsage;
  } catch (const NothingFound& e) {
    std::cerr << "kelvora-cli: " << e.what() << '\n';
    return kExitNotFound;
  } catch (const std::exception& e) {
    std::cerr << "kelvora-cli: unexpected failure: " << e.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace
}  // namespace kelvora::cli

int main(int argc, char** argv) { return kelvora::cli::Main(argc, argv); }

#include "plan_command.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "exit_status.h"
#include "icalendar_plugin.h"
#include "moment.h"
#include "astro/time_helpers.h"
#include "plan/plan_export.h"
#include "plan/plan_stations.h"
#include "plan/sked_plan.h"
#include "state/records.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;

constexpr int kDefaultDays = 7;

struct PlanOptions {
  std::string dxLocator;
  std::string dxCall;
  std::string dxPosition;
  bool all = false;
  std::vector<std::string> calls;
  std::string home;
  std::string start;
  std::optional<std::int64_t> days;
  std::optional<std::int64_t> hours;
  std::optional<double> minElevation;
  std::optional<double> dxMinElevation;
  std::optional<double> frequency;
  std::string directory;
  std::optional<std::int64_t> gmtOffset;
  bool json = false;
  bool csv = false;
  bool ics = false;
};

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM[:SS][Z]" (a blank may stand for the T), or
// seconds since 1970; always UTC.
std::int64_t ParseStart(const std::string& text) {
  if (const std::optional<std::int64_t> seconds = ReadInteger(text).value) return *seconds;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char sep = 0;
  int used = 0;
  bool ok = false;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &used) == 3 &&
      static_cast<std::size_t>(used) == text.size()) {
    ok = true;
  } else if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &y, &mo, &d, &sep, &h, &mi,
                         &used) == 6 &&
             (sep == 'T' || sep == ' ')) {
    std::string rest = text.substr(static_cast<std::size_t>(used));
    int more = 0;
    if (!rest.empty() && rest[0] == ':' && std::sscanf(rest.c_str(), ":%2d%n", &s, &more) == 1) {
      rest = rest.substr(static_cast<std::size_t>(more));
    }
    ok = rest.empty() || rest == "Z";
  }
  if (ok && (y < kFirstSupportedYear || y > kLastSupportedYear)) {
    throw UsageError("--start: " + text + " is outside the years " +
                     std::to_string(kFirstSupportedYear) + "-" +
                     std::to_string(kLastSupportedYear));
  }
  if (ok && mo >= 1 && mo <= 12 && d >= 1 && h <= 23 && mi <= 59 && s <= 59 && h >= 0 && mi >= 0 &&
      s >= 0) {
    const std::int64_t seconds =
        (std::int64_t{DayNumber(y, mo, d)} - DayNumber(1970, 1, 1)) * kSecondsPerDay + h * 3600 +
        mi * 60 + s;
    // The calendar breaks it back down to the same day only if the day exists.
    const Result<CivilTime> back = BreakDownTime(seconds);
    if (back && back->day == d && back->month == mo) return seconds;
  }
  throw UsageError("--start: '" + text +
                   "' is not a UTC moment (YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS] or seconds)");
}

double CheckedMinElevation(const std::optional<double>& value, const char* what) {
  if (!value) return kPlanDefaultMinElevation;
  if (!(*value >= kPlanLowestMinElevation && *value <= kPlanHighestMinElevation)) {
    char text[64];
    std::snprintf(text, sizeof text, " %g is outside %g..%g degrees", *value,
                  kPlanLowestMinElevation, kPlanHighestMinElevation);
    throw UsageError(what + std::string(text));
  }
  return *value;
}

// The value, or the failure as the command line reports it: what is not
// there is "nothing found" (exit 1), anything else a bad argument (exit 2).
template <typename T>
T Unwrap(Result<T> result) {
  if (!result) {
    if (result.kind() == FailureKind::kNotFound) throw NothingFound(result.reason());
    throw UsageError(result.reason());
  }
  return std::move(result).value();
}

void Check(const Status& status) {
  if (!status) throw UsageError(status.reason());
}

StationDirectory LoadDirectory(const PlanOptions& options) {
  const std::filesystem::path path = options.directory.empty()
                                         ? std::filesystem::path(kDirectoryFileName)
                                         : std::filesystem::path(options.directory);
  return Unwrap(LoadStationDirectory(path));
}

json MomentJson(const WindowMoment& m) {
  return {{"utc", UtcIsoText(m.utc)},
          {"home", {{"azimuthDeg", m.home.azimuth}, {"elevationDeg", m.home.elevation}}},
          {"dx", {{"azimuthDeg", m.dx.azimuth}, {"elevationDeg", m.dx.elevation}}},
          {"polarityOffsetDeg", m.polarityOffset}};
}

json WindowJson(const SkedWindow& w, const PlanExportContext& context) {
  return {{"startUtc", UtcIsoText(w.startUtc)},
          {"endUtc", UtcIsoText(w.endUtc)},
          {"startSeconds", w.startUtc},
          {"endSeconds", w.endUtc},
          {"startLocal", ShortTimeText(HomeLocalSeconds(w.startUtc, context.homeGmtOffsetHours))},
          {"endLocal", ShortTimeText(HomeLocalSeconds(w.endUtc, context.homeGmtOffsetHours))},
          {"durationMinutes", RoundedMinutes(w.DurationSeconds())},
          {"startsBeforeSpan", w.startsBeforeSpan},
          {"endsAfterSpan", w.endsAfterSpan},
          {"bestUtc", UtcIsoText(w.bestUtc)},
          {"bestElevationDeg", w.bestElevation},
          {"start", MomentJson(w.start)},
          {"middle", MomentJson(w.middle)},
          {"end", MomentJson(w.end)},
          {"skyTemperatureK", w.skyTemperature},
          {"degradationMiddleDb", w.degradationMiddle},
          {"degradationWorstDb", w.degradationWorst},
          {"sunSeparationDeg", w.sunSeparation},
          {"sunNear", w.sunNear},
          {"dopplerStartHz", w.dopplerStartHz},
          {"dopplerEndHz", w.dopplerEndHz},
          {"score", w.score},
          {"best", w.best},
          {"spreadMiddleHz", w.spreadMiddleHz ? json(*w.spreadMiddleHz) : json(nullptr)},
          {"spreadLargestHz", w.spreadLargestHz ? json(*w.spreadLargestHz) : json(nullptr)},
          {"pathDelayS", w.pathDelayS ? json(*w.pathDelayS) : json(nullptr)}};
}

// A spread for the text tables: "-" where there is none.
std::string SpreadText(const std::optional<double>& hz) {
  char text[16] = "-";
  if (hz) std::snprintf(text, sizeof text, "%.1f", *hz);
  return text;
}

void PrintWindows(const SkedPlan& plan, const PlanExportContext& context) {
  std::printf("%-2s %-16s  %-16s  %-16s  %8s  %7s  %7s  %6s  %5s  %8s  %8s\n", "", "start UTC",
              "end UTC", "start local", "duration", "best el", "degr dB", "sun", "score", "spread",
              "max");
  for (const SkedWindow& w : plan.windows) {
    std::printf("%-2s %-16s  %-16s  %-16s  %4lld min  %6.1f°  %7.2f  %5.0f°%s %5.1f  %8s  %8s\n",
                w.best ? "*" : "", ShortTimeText(w.startUtc).c_str(),
                ShortTimeText(w.endUtc).c_str(),
                ShortTimeText(HomeLocalSeconds(w.startUtc, context.homeGmtOffsetHours)).c_str(),
                static_cast<long long>(RoundedMinutes(w.DurationSeconds())), w.bestElevation,
                w.degradationWorst, w.sunSeparation, w.sunNear ? "!" : " ", w.score,
                SpreadText(w.spreadMiddleHz).c_str(), SpreadText(w.spreadLargestHz).c_str());
  }
  std::printf(
      "* best window; ! sun within %.0f° of the moon; spread: the path's libration "
      "spread in Hz at %.3f MHz, middle and largest\n",
      kSunNoiseSeparationDeg, context.frequencyHz / 1e6);
}

struct Home {
  PlanSite site;
  std::int32_t gmtOffsetHours;
  std::string label;
};

Home ReadHome(const PlanOptions& options) {
  StationSettings record;
  HomeStation station;
  LoadSettings(std::filesystem::current_path() / kSettingsFileName, record, station);
  Home home{
      {station.latitude, station.longitude, CheckedMinElevation(options.minElevation, "--min-el")},
      GmtOffsetHours(options.gmtOffset, station.gmtOffsetHours),
      ""};
  if (!options.home.empty()) {
    const LatLon position = ParseLatLonPair(options.home, "--home");
    home.site.latitude = position.latitude;
    home.site.longitude = position.longitude;
  }
  home.label = PositionToLocator(home.site.latitude, home.site.longitude);
  return home;
}

std::int64_t StartMoment(const PlanOptions& options) {
  if (!options.start.empty()) return ParseStart(options.start);
  return UtcNow();
}

double Frequency(const PlanOptions& options) {
  const double hz = options.frequency.value_or(kPlanDefaultFrequencyHz);
  if (!(hz > 0.0) || !std::isfinite(hz)) throw UsageError("--freq must be a positive number of Hz");
  return hz;
}

int RunPairPlan(const PlanOptions& options) {
  const Home home = ReadHome(options);
  PlanStation dx;
  if (!options.dxCall.empty()) {
    dx = Unwrap(FindStationByCall(LoadDirectory(options), options.dxCall));
  } else if (!options.dxLocator.empty()) {
    dx = Unwrap(StationFromLocator(options.dxLocator));
  } else if (!options.dxPosition.empty()) {
    const LatLon position = ParseLatLonPair(options.dxPosition, "--dx-pos");
    dx = Unwrap(StationFromPosition(position.latitude, position.longitude));
  } else {
    throw UsageError("plan needs --dx, --dx-call, --dx-pos or --all");
  }
  const std::int64_t days = options.days.value_or(kDefaultDays);
  if (days < kPlanMinDays || days > kPlanMaxDays) {
    throw UsageError("--days " + std::to_string(days) + " is outside 1..31");
  }
  const PlanRequest request{
      home.site,
      {dx.latitude, dx.longitude, CheckedMinElevation(options.dxMinElevation, "--dx-min-el")},
      StartMoment(options),
      days * kSecondsPerDay,
      Frequency(options)};
  Check(CheckPlanRequest(request));

  const SkedPlan plan = PlanSkeds(request);
  const PlanExportContext context{home.label, dx.call.empty() ? dx.locator : dx.call,
                                  home.gmtOffsetHours, request.frequencyHz};
  if (options.csv) {
    std::cout << ToCsv(PlanTable(plan, context));
  } else if (options.ics) {
    // No window, no calendar: the reason goes to stderr below.
    if (!plan.windows.empty()) {
      const std::variant<std::string, ICalendarProblem> ics =
          WriteICalendarWithPlugin(PlanCalendarEvents(plan, context), UtcNow());
      if (const auto* problem = std::get_if<ICalendarProblem>(&ics)) {
        std::cerr << "kelvora-cli: " << problem->message << "\n";
        return kExitFailure;
      }
      std::cout << std::get<std::string>(ics);
    }
  } else if (options.json) {
    json windows = json::array();
    for (const SkedWindow& w : plan.windows) windows.push_back(WindowJson(w, context));
    json out = {{"home",
                 {{"latitudeDeg", request.home.latitude},
                  {"longitudeWestDeg", request.home.longitude},
                  {"locator", home.label},
                  {"minElevationDeg", request.home.minElevation}}},
                {"dx",
                 {{"call", dx.call},
                  {"locator", dx.locator},
                  {"latitudeDeg", dx.latitude},
                  {"longitudeWestDeg", dx.longitude},
                  {"minElevationDeg", request.dx.minElevation}}},
                {"startUtc", UtcIsoText(request.startUtc)},
                {"spanDays", days},
                {"frequencyHz", request.frequencyHz},
                {"windows", windows}};
    out["reason"] = plan.windows.empty() ? json(plan.emptyReason) : json(nullptr);
    std::cout << out.dump(2) << '\n';
  } else {
    std::printf("Home %s (%.2f, %.2f) and %s (%.2f, %.2f), longitudes west positive\n",
                home.label.c_str(), request.home.latitude, request.home.longitude,
                context.dxLabel.c_str(), dx.latitude, dx.longitude);
    std::printf("From %s UTC for %lld %s, moon at least %g° at home and %g° at the DX\n",
                ShortTimeText(request.startUtc).c_str(), static_cast<long long>(days),
                days == 1 ? "day" : "days",
                request.home.minElevation, request.dx.minElevation);
    if (!plan.windows.empty()) PrintWindows(plan, context);
  }
  if (plan.windows.empty()) {
    std::cerr << "kelvora-cli: " << plan.emptyReason << '\n';
    return kExitNotFound;
  }
  return 0;
}

int RunWorkList(const PlanOptions& options) {
  if (options.ics) throw UsageError("--ics is for one DX station; use --csv or --json with --all");
  const Home home = ReadHome(options);
  const StationDirectory directory = LoadDirectory(options);
  std::vector<PlanStation> stations;
  if (options.calls.empty()) {
    stations = directory.stations;
  } else {
    for (const std::string& call : options.calls) {
      stations.push_back(Unwrap(FindStationByCall(directory, call)));
    }
  }
  const std::int64_t hours = options.hours.value_or(kWorkListDefaultHours);
  if (hours < 1 || hours > kWorkListMaxHours) {
    throw UsageError("--hours " + std::to_string(hours) + " is outside 1.." +
                     std::to_string(kWorkListMaxHours));
  }
  const WorkListRequest request{
      home.site, CheckedMinElevation(options.dxMinElevation, "--dx-min-el"),
      StartMoment(options), static_cast<int>(hours), Frequency(options)};
  Check(CheckWorkListRequest(request));
  const WorkList list = WhoCanIWork(request, stations);
  const PlanExportContext context{home.label, "", home.gmtOffsetHours, request.frequencyHz};
  if (options.csv) {
    std::cout << ToCsv(WorkListTable(list, context));
  } else if (options.json) {
    json rows = json::array();
    for (const WorkableStation& row : list.rows) {
      json item = WindowJson(row.window, context);
      item["call"] = row.station.call;
      item["locator"] = row.station.locator;
      item["inProgress"] = row.inProgress;
      rows.push_back(item);
    }
    std::cout << json{{"startUtc", UtcIsoText(request.startUtc)},
                      {"spanHours", hours},
                      {"stations", rows},
                      {"withoutWindow", list.without},
                      {"skippedRecords", directory.skipped}}
                     .dump(2)
              << '\n';
  } else {
    std::printf("Next windows from %s UTC within %lld hours, home %s\n",
                ShortTimeText(request.startUtc).c_str(), static_cast<long long>(hours),
                home.label.c_str());
    std::printf("%-10s %-6s  %-16s  %-16s  %8s  %7s  %5s  %8s\n", "call", "grid", "start UTC",
                "end UTC", "duration", "best el", "score", "spread");
    for (const WorkableStation& row : list.rows) {
      std::printf(
          "%-10s %-6s  %-16s  %-16s  %4lld min  %6.1f°  %5.1f  %8s%s\n", row.station.call.c_str(),
          row.station.locator.c_str(), ShortTimeText(row.window.startUtc).c_str(),
          ShortTimeText(row.window.endUtc).c_str(),
          static_cast<long long>(RoundedMinutes(row.window.DurationSeconds())), row.window.bestElevation,
          row.window.score, SpreadText(row.window.spreadLargestHz).c_str(),
          row.inProgress ? "  (open now)" : "");
    }
    std::printf("spread: the largest libration spread of the path in the window, Hz at %.3f MHz\n",
                request.frequencyHz / 1e6);
    if (!list.without.empty()) {
      std::printf("No window within %lld hours:", static_cast<long long>(hours));
      for (const std::string& call : list.without) std::printf(" %s", call.c_str());
      std::printf("\n");
    }
  }
  if (list.rows.empty()) {
    std::cerr << "kelvora-cli: no station shares the moon with home within " << hours << " hours\n";
    return kExitNotFound;
  }
  return 0;
}

}  // namespace

void AddPlanCommand(CLI::App& app, std::function<int()>& action) {
  // The options live as long as the command that fills them.
  auto options = std::make_shared<PlanOptions>();
  CLI::App* plan = app.add_subcommand(
      "plan",
      "mutual moon windows with a DX station (sked planner), or with --all the next "
      "window of every directory station");
  auto* dx = plan->add_option("--dx", options->dxLocator, "DX station by Maidenhead locator");
  auto* dxCall = plan->add_option("--dx-call", options->dxCall, "DX station by call (EME.DTA)");
  auto* dxPos = plan->add_option("--dx-pos", options->dxPosition,
                                 "DX station LAT,LON (longitude west positive)");
  auto* all = plan->add_flag("--all", options->all,
                             "the next window of every directory station (or of --calls)");
  plan->add_option("--calls", options->calls, "with --all: only these calls")
      ->delimiter(',')
      ->needs(all);
  dx->excludes(dxCall, dxPos, all);
  dxCall->excludes(dxPos, all);
  dxPos->excludes(all);
  plan->add_option("--home", options->home,
                   "home LAT,LON (longitude west positive; default: Dorvakin.dat)");
  plan->add_option("--start", options->start,
                   "first moment, UTC: YYYY-MM-DD[THH:MM[:SS]] or seconds (default: now)");
  auto* days = plan->add_option("--days", options->days, "span in days, 1-31 (default 7)");
  auto* hours =
      plan->add_option("--hours", options->hours, "with --all: hours to look ahead (default 24)");
  days->excludes(all);
  hours->needs(all);
  plan->add_option("--min-el", options->minElevation,
                   "home minimum moon elevation, degrees -2..60 (default 10)");
  plan->add_option("--dx-min-el", options->dxMinElevation,
                   "DX minimum moon elevation, degrees -2..60 (default 10)");
  plan->add_option("--freq", options->frequency, "frequency in Hz for the Doppler (default 144e6)");
  plan->add_option("--directory", options->directory, "EME directory file (default ./EME.DTA)");
  AddGmtOffsetOption(plan, options->gmtOffset);
  auto* asJson = plan->add_flag("--json", options->json, "JSON output");
  auto* asCsv = plan->add_flag("--csv", options->csv, "CSV output");
  auto* asIcs = plan->add_flag("--ics", options->ics, "iCalendar output, one event per window");
  asJson->excludes(asCsv, asIcs);
  asCsv->excludes(asIcs);
  plan->callback([options, &action] {
    action = [options] { return options->all ? RunWorkList(*options) : RunPairPlan(*options); };
  });
}

}  // namespace kelvora::cli

#include "plan/plan_stations.h"

#include <algorithm>
#include <cctype>

#include "astro/time_helpers.h"
#include "plan/interval_scan.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora {

namespace {

// The call sign's columns of a directory record (0-based, inclusive).
constexpr std::size_t kCallColumns = 11;
// A window that is open when the hours end is followed this much further.
constexpr std::int64_t kWindowRunOnSeconds = 86400;

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// The station at the centre of a completed, accepted locator.
std::optional<PlanStation> PlaceLocator(const std::string& locator) {
  const Result<GeoPosition> position = LocatorToPosition(locator);
  if (!position) return std::nullopt;
  return PlanStation{
      {}, locator, RoundToHundredths(position->latitude), RoundToHundredths(position->longitude)};
}

bool InRangeChar(char c, char low, char high) { return c >= low && c <= high; }

}  // namespace

Result<StationDirectory> LoadStationDirectory(const std::filesystem::path& file) {
  const Result<std::vector<std::string>> records = ReadDirectoryRecords(file);
  if (!records) return records.failure();
  StationDirectory directory;
  for (const std::string& line : *records) {
    // Calls and locators are shown and written out as UTF-8, decoded as the
    // directory window decodes them.
    const std::string call =
        DecodeDirectoryText(Trim(line.substr(0, std::min(line.size(), kCallColumns))));
    const std::string locator = UpperAscii(DirectoryLocatorColumns(line));
    std::optional<PlanStation> station;
    if (!call.empty() && IsAcceptedDirectoryLocator(locator)) station = PlaceLocator(locator);
    if (!station) {
      const std::string shown = DecodeDirectoryText(Trim(locator));
      directory.skipped.push_back((call.empty() ? std::string("a record") : call) +
                                  ": no usable locator ('" + shown + "')");
      if (!call.empty()) directory.unplaced.push_back({call, shown});
      continue;
    }
    station->call = call;
    directory.stations.push_back(std::move(*station));
  }
  if (directory.stations.empty()) {
    return Fail("the EME directory " + file.string() + " holds no station with a usable locator");
  }
  return directory;
}

Result<PlanStation> FindStationByCall(const StationDirectory& directory, std::string_view call) {
  const std::string wanted = UpperAscii(Trim(call));
  if (wanted.empty()) return Fail("no call sign given");
  for (const PlanStation& station : directory.stations) {
    if (UpperAscii(station.call) == wanted) return station;
  }
  for (const UnplacedRecord& record : directory.unplaced) {
    if (UpperAscii(record.call) == wanted) {
      return Fail("call " + wanted + " is in the EME directory, but its locator ('" +
                      record.locatorText + "') is not one the planner can place",
                  FailureKind::kNotFound);
    }
  }
  return Fail("call " + wanted + " is not in the EME directory", FailureKind::kNotFound);
}

Result<PlanStation> StationFromLocator(std::string_view text) {
  const std::string completed = CompleteLocator(Trim(text));
  const bool wellFormed =
      (text.size() == 2 || text.size() == 4 || text.size() == 6) && completed.size() == 6 &&
      InRangeChar(completed[0], 'A', 'R') && InRangeChar(completed[1], 'A', 'R') &&
      InRangeChar(completed[2], '0', '9') && InRangeChar(completed[3], '0', '9') &&
      InRangeChar(completed[4], 'A', 'X') && InRangeChar(completed[5], 'A', 'X') &&
      UpperAscii(text) == completed.substr(0, text.size());
  std::optional<PlanStation> station;
  if (wellFormed) station = PlaceLocator(completed);
  if (!station) {
    return Fail("'" + std::string(text) +
                "' is not a locator (2, 4 or 6 characters: A-R A-R 0-9 0-9 A-X A-X)");
  }
  return *station;
}

Result<PlanStation> StationFromPosition(double latitude, double longitude) {
  if (!std::isfinite(latitude) || latitude < -90.0 || latitude > 90.0) {
    return Fail("the DX latitude must be between -90 and 90 degrees");
  }
  if (!std::isfinite(longitude) || longitude < -180.0 || longitude > 180.0) {
    return Fail("the DX longitude must be between -180 and 180 degrees (west positive)");
  }
  return PlanStation{{}, PositionToLocator(latitude, longitude), latitude, longitude};
}

Status CheckWorkListRequest(const WorkListRequest& request) {
  if (request.hours < 1 || request.hours > kWorkListMaxHours) {
    return Fail("the hours must be 1 to " + std::to_string(kWorkListMaxHours));
  }
  PlanRequest plan{request.home, PlanSite{0.0, 0.0, request.dxMinElevation}, request.startUtc,
                   request.hours * std::int64_t{3600} + kWindowRunOnSeconds, request.frequencyHz};
  plan.spanSeconds = std::min<std::int64_t>(plan.spanSeconds, kPlanMaxDays * kSecondsPerDay);
  return CheckPlanRequest(plan);
}

WorkList WhoCanIWork(const WorkListRequest& request, const std::vector<PlanStation>& stations,
                     const std::atomic<bool>* cancel) {
  WorkList list;
  const std::int64_t latestStart = request.startUtc + request.hours * std::int64_t{3600};
  for (const PlanStation& station : stations) {
    const PlanRequest plan{request.home,
                           PlanSite{station.latitude, station.longitude, request.dxMinElevation},
                           request.startUtc, latestStart + kWindowRunOnSeconds - request.startUtc,
                           request.frequencyHz};
    const std::vector<SecondsInterval> found =
        ScanIntervals([&](std::int64_t t) { return MutualScanMargin(plan.home, plan.dx, t); },
                      IntervalScan{plan.startUtc, plan.startUtc + plan.spanSeconds, latestStart, 1},
                      cancel, list.cancelled);
    if (list.cancelled) return list;
    if (found.empty()) {
      list.without.push_back(station.call);
      continue;
    }
    SkedWindow window = DescribeSkedWindow(plan, found.front());
    const bool inProgress = window.startsBeforeSpan;
    list.rows.push_back(WorkableStation{station, std::move(window), inProgress});
  }
  std::stable_sort(list.rows.begin(), list.rows.end(),
                   [](const WorkableStation& a, const WorkableStation& b) {
                     if (a.window.startUtc != b.window.startUtc) {
                       return a.window.startUtc < b.window.startUtc;
                     }
                     return a.station.call < b.station.call;
                   });
  return list;
}

}  // namespace kelvora

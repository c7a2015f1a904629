// Where the planner's DX stations come from (the EME directory, a locator or
// coordinates) and the "who can I work" list over many of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "plan/sked_plan.h"

namespace kelvora {

struct PlanStation {
  std::string call;     // empty for a locator or coordinates
  std::string locator;  // six characters
  double latitude;      // degrees, north positive
  double longitude;     // degrees, west positive
};

// A record with a call whose locator columns hold no usable locator.
struct UnplacedRecord {
  std::string call;
  std::string locatorText;  // the columns as they are, trimmed
};

// Calls, locators and notes are UTF-8: the directory's bytes are decoded as
// DecodeDirectoryText decodes them.
struct StationDirectory {
  std::vector<PlanStation> stations;    // in file order
  std::vector<std::string> skipped;     // one note per record that could not be placed
  std::vector<UnplacedRecord> unplaced;  // the skipped records that have a call
};

// Every record of the directory, placed by its locator the way the second
// station's dialog places it (centre of the subsquare, to hundredths). A
// failure when the file is missing or unreadable (kNotFound), or holds no
// usable record.
Result<StationDirectory> LoadStationDirectory(const std::filesystem::path& file);

// The station whose call equals `call` (case ignored); kNotFound when the
// call is not there or its record has no usable locator (the reason says
// which).
Result<PlanStation> FindStationByCall(const StationDirectory& directory, std::string_view call);

// A 2-, 4- or 6-character locator (A-R A-R 0-9 0-9 A-X A-X, case ignored)
// placed at the centre of its subsquare; a message when it is malformed.
Result<PlanStation> StationFromLocator(std::string_view text);

// Coordinates as given; a message when they are off the globe.
Result<PlanStation> StationFromPosition(double latitude, double longitude);

struct WorkableStation {
  PlanStation station;
  SkedWindow window;
  bool inProgress;  // the window is already open at the start
};

struct WorkList {
  std::vector<WorkableStation> rows;  // sorted by window start, then call
  std::vector<std::string> without;   // calls with no window in the hours
  bool cancelled = false;
};

inline constexpr int kWorkListDefaultHours = 24;
inline constexpr int kWorkListMaxHours = kPlanMaxDays * 24;

struct WorkListRequest {
  PlanSite home;
  double dxMinElevation = kPlanDefaultMinElevation;  // degrees, for every DX station
  std::int64_t startUtc = 0;
  int hours = kWorkListDefaultHours;
  double frequencyHz = kPlanDefaultFrequencyHz;
};

// A failure when the request cannot be worked out (see CheckPlanRequest;
// hours 1 to kWorkListMaxHours).
Status CheckWorkListRequest(const WorkListRequest& request);

// For each station the next mutual window that opens within the coming hours
// (or is open at the start), with its figures; the window is followed to its
// real end, up to a day past the hours.
WorkList WhoCanIWork(const WorkListRequest& request, const std::vector<PlanStation>& stations,
                     const std::atomic<bool>* cancel = nullptr);

}  // namespace kelvora

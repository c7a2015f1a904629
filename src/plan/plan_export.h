// The planner's results as text: a table (for CSV, tab-separated copies and
// the terminal) and the events of an iCalendar file, one per window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "plan/plan_stations.h"
#include "plan/sked_plan.h"

namespace kelvora {

struct PlanExportContext {
  std::string homeLabel;            // e.g. "EL29HK"
  std::string dxLabel;              // call or locator of the DX station
  std::int32_t homeGmtOffsetHours;  // added to local standard time to give UTC
  double frequencyHz;
};

struct TextTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

// "2026-12-08T01:23:45Z"; "2026-12-08 01:23" for the short form.
std::string UtcIsoText(std::int64_t utc);
std::string ShortTimeText(std::int64_t seconds);

// A length of time in whole minutes, to the nearest (a half minute rounds up).
inline std::int64_t RoundedMinutes(std::int64_t seconds) { return (seconds + 30) / 60; }

// Home local standard time of a UTC moment.
std::int64_t HomeLocalSeconds(std::int64_t utc, std::int32_t homeGmtOffsetHours);

// One row per window, every figure of it; times UTC (ISO) and home local.
TextTable PlanTable(const SkedPlan& plan, const PlanExportContext& context);
// One row per station of the many-stations list.
TextTable WorkListTable(const WorkList& list, const PlanExportContext& context);

// Comma-separated with a header line (RFC 4180 quoting, CRLF line ends).
std::string ToCsv(const TextTable& table);
// Tab-separated with a header line, for pasting into a spreadsheet.
std::string ToTabSeparated(const TextTable& table);

// The figures of one window as lines of text ("Start  2026-12-08 01:23 UTC").
std::string WindowDescription(const SkedWindow& window, const PlanExportContext& context);

// One calendar event per window: what the iCalendar file holds (written by
// src/ical/, which alone needs libical).
struct CalendarEvent {
  std::string uid;
  std::string summary;
  std::string description;
  std::int64_t startUtc;  // first second of the window
  std::int64_t endUtc;    // last second of the window
};
std::vector<CalendarEvent> PlanCalendarEvents(const SkedPlan& plan,
                                              const PlanExportContext& context);

}  // namespace kelvora

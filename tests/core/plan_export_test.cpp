// The planner's exports read back: CSV by a strict RFC 4180 reader, iCalendar
// by libical.
#include "plan/plan_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <libical/ical.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ical/ical_writer.h"
#include "plan/sked_plan.h"

namespace kelvora {
namespace {

constexpr std::int64_t kDay = 86400;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return std::int64_t{era} * 146097 + doe - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ" (or with a blank and no zone) to seconds; -1 if malformed.
std::int64_t ParseIso(const std::string& text, bool zulu) {
  int y, mo, d, h, mi, s;
  char sep, z = 0;
  const int n =
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &y, &mo, &d, &sep, &h, &mi, &s, &z);
  if (n != (zulu ? 8 : 7) || (zulu && (sep != 'T' || z != 'Z'))) return -1;
  return DaysFromCivil(y, mo, d) * kDay + h * 3600 + mi * 60 + s;
}

// A strict RFC 4180 reader: CRLF line ends, quoted fields with doubled quotes.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(field);
      field.clear();
    } else if (c == '\r') {
      EXPECT_EQ(text[i + 1], '\n') << "bare CR at " << i;
      rows.back().push_back(field);
      field.clear();
      rows.emplace_back();
      ++i;
    } else {
      EXPECT_NE(c, '\n') << "bare LF at " << i;
      field += c;
    }
  }
  EXPECT_TRUE(rows.back().empty() && field.empty()) << "last line without CRLF";
  rows.pop_back();
  return rows;
}

SkedPlan SamplePlan() {
  return PlanSkeds({{29.42, 95.36, 10.0}, {42.36, 71.06, 10.0}, 1700000000, 5 * kDay, 144e6});
}

const PlanExportContext kContext{"EL29HK", "QA1AB, Eastmere", 6, 144e6};

TEST(PlanExport, CsvReadsBackWithTheWindowTimes) {
  const SkedPlan plan = SamplePlan();
  ASSERT_GE(plan.windows.size(), 3u);
  const auto rows = ReadCsv(ToCsv(PlanTable(plan, kContext)));
  ASSERT_EQ(rows.size(), plan.windows.size() + 1);
  const std::vector<std::string>& header = rows[0];
  EXPECT_EQ(header[0], "start_utc");
  EXPECT_EQ(header[2], "start_local");
  const auto column = [&header](const char* name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  ASSERT_LT(column("best"), header.size());
  ASSERT_LT(column("spread_largest_hz"), header.size());
  for (std::size_t i = 0; i < plan.windows.size(); ++i) {
    const std::vector<std::string>& row = rows[i + 1];
    const SkedWindow& w = plan.windows[i];
    ASSERT_EQ(row.size(), header.size());
    EXPECT_EQ(ParseIso(row[0], true), w.startUtc);
    EXPECT_EQ(ParseIso(row[1], true), w.endUtc);
    // Home local standard time is six hours behind UTC here.
    EXPECT_EQ(ParseIso(row[2], false), w.startUtc - 6 * 3600);
    EXPECT_EQ(ParseIso(row[5], true), w.bestUtc);
    // The length to the nearest minute.
    EXPECT_EQ(std::stoll(row[4]), std::llround(w.DurationSeconds() / 60.0));
    EXPECT_EQ(row[column("best")], w.best ? "yes" : "no");
    ASSERT_TRUE(w.spreadLargestHz);
    EXPECT_NEAR(std::stod(row[column("spread_largest_hz")]), *w.spreadLargestHz, 0.05);
  }
}

TEST(PlanExport, CsvQuotesWhatNeedsIt) {
  const TextTable table{{"call", "remark"}, {{"QF6LM", "a, b"}, {"Q\"X", "plain"}}};
  const std::string csv = ToCsv(table);
  EXPECT_EQ(csv, "call,remark\r\nQF6LM,\"a, b\"\r\n\"Q\"\"X\",plain\r\n");
  const auto rows = ReadCsv(csv);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][1], "a, b");
  EXPECT_EQ(rows[2][0], "Q\"X");
  EXPECT_EQ(ToTabSeparated(table), "call\tremark\nQF6LM\ta, b\nQ\"X\tplain\n");
}

TEST(PlanExport, ICalendarReadsBackThroughLibical) {
  const SkedPlan plan = SamplePlan();
  const Result<std::string> ics = ToICalendar(plan, kContext, 1700000000);
  ASSERT_TRUE(ics.ok());
  icalcomponent* calendar = icalparser_parse_string(ics->c_str());
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(icalcomponent_isa(calendar), ICAL_VCALENDAR_COMPONENT);
  EXPECT_EQ(icalrestriction_check(calendar), 1) << *ics;
  std::size_t i = 0;
  for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
       event != nullptr;
       event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT), ++i) {
    ASSERT_LT(i, plan.windows.size());
    const SkedWindow& w = plan.windows[i];
    const icaltimetype start = icalcomponent_get_dtstart(event);
    const icaltimetype end = icalcomponent_get_dtend(event);
    EXPECT_TRUE(icaltime_is_utc(start));
    EXPECT_EQ(icaltime_as_timet_with_zone(start, icaltimezone_get_utc_timezone()), w.startUtc);
    EXPECT_EQ(icaltime_as_timet_with_zone(end, icaltimezone_get_utc_timezone()), w.endUtc + 1);
    const std::string summary = icalcomponent_get_summary(event);
    EXPECT_EQ(summary.find("(best)") != std::string::npos, w.best) << summary;
    const std::string description = icalcomponent_get_description(event);
    EXPECT_EQ(description, WindowDescription(w, kContext));
  }
  EXPECT_EQ(i, plan.windows.size());
  icalcomponent_free(calendar);
}

}  // namespace
}  // namespace kelvora

// kelvora-cli plan: the sked planner from the terminal, run in a scratch
// folder holding the sample directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::HasSubstr;

using PlanRun = kelvora::cli_test::CliOutcome;

class CliPlanTest : public kelvora::cli_test::CliFolderTest {
 protected:
  void SetUp() override {
    CliFolderTest::SetUp();
    fs::copy_file(fs::path(KELVORA_RESOURCE_DIR) / "EME.DTA", folder_ / "EME.DTA");
  }

  // `args` is the plan's command line after "plan", words split at blanks.
  PlanRun Plan(const std::string& args) {
    std::vector<std::string> words = kelvora::cli_test::Words(args);
    words.insert(words.begin(), "plan");
    return Run(std::move(words));
  }
};

// "2026-12-08T13:56:42Z" as the iCalendar writes it: "20261208T135642Z".
std::string IcalStamp(std::string iso) {
  std::string out;
  for (const char c : iso) {
    if (c != '-' && c != ':') out += c;
  }
  return out;
}

TEST_F(CliPlanTest, JsonCsvAndICalendarShowTheSameWindows) {
  const std::string pair = "--dx-call QA1AB --home 29.42,95.36 --start 2026-12-08 --days 3 ";
  const PlanRun asJson = Plan(pair + "--json");
  ASSERT_EQ(asJson.status, 0) << asJson.err;
  const json plan = json::parse(asJson.out);
  const json& windows = plan["windows"];
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(plan["dx"]["locator"], "FN42LI");
  EXPECT_TRUE(plan["reason"].is_null());
  int best = 0;
  for (const json& w : windows) best += w["best"].get<bool>() ? 1 : 0;
  EXPECT_EQ(best, 1);
  // 144 MHz: the path's libration spread is a hertz or two.
  for (const json& w : windows) {
    EXPECT_GT(w["spreadMiddleHz"].get<double>(), 0.0);
    EXPECT_LT(w["spreadLargestHz"].get<double>(), 10.0);
    EXPECT_GE(w["spreadLargestHz"].get<double>(), w["spreadMiddleHz"].get<double>());
  }

  const PlanRun asCsv = Plan(pair + "--csv");
  ASSERT_EQ(asCsv.status, 0) << asCsv.err;
  std::istringstream lines(asCsv.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_THAT(line, testing::StartsWith("start_utc,end_utc,start_local,"));
  for (const json& w : windows) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_THAT(line, testing::StartsWith(w["startUtc"].get<std::string>() + "," +
                                          w["endUtc"].get<std::string>() + ","));
  }

  const PlanRun asIcs = Plan(pair + "--ics");
  ASSERT_EQ(asIcs.status, 0) << asIcs.err;
  EXPECT_THAT(asIcs.out, testing::StartsWith("BEGIN:VCALENDAR\r\n"));
  std::size_t events = 0;
  for (std::size_t at = 0; (at = asIcs.out.find("BEGIN:VEVENT", at)) != std::string::npos; ++at) {
    ++events;
  }
  EXPECT_EQ(events, windows.size());
  for (const json& w : windows) {
    EXPECT_THAT(asIcs.out, HasSubstr("DTSTART:" + IcalStamp(w["startUtc"]) + "\r\n"));
  }
  EXPECT_THAT(asIcs.out, HasSubstr("Libration spread at 144.000 MHz: "));
}

TEST_F(CliPlanTest, ManyStationsSortedByStart) {
  const PlanRun run = Plan("--all --home 29.42,95.36 --start 2026-12-08 --hours 24 --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const json list = json::parse(run.out);
  const json& stations = list["stations"];
  ASSERT_FALSE(stations.empty());
  EXPECT_EQ(stations.size() + list["withoutWindow"].size(), 31u);
  for (std::size_t i = 1; i < stations.size(); ++i) {
    EXPECT_LE(stations[i - 1]["startSeconds"].get<std::int64_t>(),
              stations[i]["startSeconds"].get<std::int64_t>());
  }
  for (const json& s : stations) EXPECT_GT(s["spreadLargestHz"].get<double>(), 0.0);
  const PlanRun some =
      Plan("--all --calls QA1AB,QB2CD --home 29.42,95.36 --start 2026-12-08 --csv");
  ASSERT_EQ(some.status, 0) << some.err;
  EXPECT_THAT(some.out, HasSubstr("\r\nQA1AB,FN42LI,"));
  EXPECT_THAT(some.out, HasSubstr("\r\nQB2CD,EM12OV,"));
}

TEST_F(CliPlanTest, BadInputGivesOneLineAndStatusTwo) {
  struct Row {
    const char* name;
    std::string args;
    const char* message;
  };
  std::ofstream(folder_ / "damaged.dta", std::ios::binary) << "\x7f\x01 not a directory\n";
  const Row rows[] = {
      {"bad_locator", "--dx FN42LY", "'FN42LY' is not a locator"},
      {"span_32_days", "--dx FN42 --days 32", "--days 32 is outside 1..31"},
      {"min_el_70", "--dx FN42 --min-el 70", "--min-el 70 is outside -2..60 degrees"},
      {"dx_min_el_minus_3", "--dx FN42 --dx-min-el -3", "--dx-min-el -3 is outside -2..60"},
      {"damaged_directory", "--all --directory damaged.dta",
       "holds no station with a usable locator"},
      {"no_such_day", "--dx FN42 --start 2026-02-30", "is not a UTC moment"},
      {"year_2150", "--dx FN42 --start 2150-01-01", "is outside the years 1901-2099"},
      {"first_hour_of_1901", "--dx FN42 --start 1901-01-01",
       "the plan must start at 1901-01-01T01:00:00Z or later and end by 2099-12-31T22:59:59Z"},
      {"no_dx", "--days 3", "plan needs --dx, --dx-call, --dx-pos or --all"},
      {"two_dx", "--dx FN42 --dx-pos 10,10", "excludes"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PlanRun run = Plan(row.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(row.message));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

// The calendar's stamp and the default start are the computer's UTC, not
// its local standard time plus the settings file's offset (6 hours here).
TEST_F(CliPlanTest, StampAndDefaultStartAreRealUtc) {
  const double record[4] = {29.42, 95.36, 6.0, 1.0};
  std::ofstream(folder_ / "Dorvakin.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(record), sizeof record);
  const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
  const PlanRun ics = Plan("--dx FN42 --days 2 --ics");
  const PlanRun asJson = Plan("--dx FN42 --days 2 --json");
  const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
  ASSERT_EQ(ics.status, 0) << ics.err;
  ASSERT_EQ(asJson.status, 0) << asJson.err;
  const auto seconds = [](const std::string& text, const char* format) {
    std::tm civil{};
    EXPECT_NE(strptime(text.c_str(), format, &civil), nullptr) << text;
    return static_cast<std::int64_t>(timegm(&civil));
  };
  const std::size_t at = ics.out.find("DTSTAMP:");
  ASSERT_NE(at, std::string::npos);
  const std::int64_t stamp = seconds(ics.out.substr(at + 8, 16), "%Y%m%dT%H%M%SZ");
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  const std::int64_t start =
      seconds(json::parse(asJson.out)["startUtc"].get<std::string>(), "%Y-%m-%dT%H:%M:%SZ");
  EXPECT_GE(start, before);
  EXPECT_LE(start, after);
}

// Nothing found is status 1 with one line saying what is missing.
TEST_F(CliPlanTest, NothingFoundGivesOneLineAndStatusOne) {
  struct Row {
    const char* name;
    std::string args;
    const char* message;
  };
  const Row rows[] = {
      {"unknown_call", "--dx-call QX9ZZ", "kelvora-cli: call QX9ZZ is not in the EME directory\n"},
      {"unknown_call_in_list", "--all --calls QA1AB,QX9ZZ",
       "kelvora-cli: call QX9ZZ is not in the EME directory\n"},
      {"missing_directory", "--dx-call QA1AA --directory nothing_here",
       "kelvora-cli: cannot read the EME directory nothing_here\n"},
      {"unusable_locator", "--dx-call QZ9BADC",
       "kelvora-cli: call QZ9BADC is in the EME directory, but its locator ('EMX2OV') is not "
       "one the planner can place\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PlanRun run = Plan(row.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(run.err, row.message);
  }
}

TEST_F(CliPlanTest, NeverSharedMoonSaysWhy) {
  const std::string pair = "--home 29.42,95.36 --dx-pos -29.42,-84.64 --start 2026-12-08 ";
  const std::string reason =
      "kelvora-cli: the moon never rises above 10° at both stations in these 7 days\n";
  const PlanRun run = Plan(pair + "--json");
  EXPECT_EQ(run.status, 1);
  const json plan = json::parse(run.out);
  EXPECT_TRUE(plan["windows"].empty());
  EXPECT_EQ(plan["reason"], "the moon never rises above 10° at both stations in these 7 days");
  EXPECT_EQ(run.err, reason);
  // One day is one day, in the heading and in the reason.
  const PlanRun oneDay =
      Plan("--home 29.42,95.36 --dx-pos -29.42,-84.64 --start 2026-12-08 --days 1");
  EXPECT_THAT(oneDay.out, HasSubstr(" UTC for 1 day, moon at least"));
  EXPECT_THAT(oneDay.err, HasSubstr("in this day"));
  // No calendar without an event.
  const PlanRun ics = Plan(pair + "--ics");
  EXPECT_EQ(ics.status, 1);
  EXPECT_TRUE(ics.out.empty()) << ics.out;
  EXPECT_EQ(ics.err, reason);
}

// A home on a grid line is labelled with the cell the line begins, in the
// JSON and in each event's SUMMARY and UID.
TEST_F(CliPlanTest, HomeOnAGridLineIsLabelledWithTheCellItBegins) {
  const std::string pair = "--home 31,0 --dx-call QA1AB --start 2026-12-08 --days 2 ";
  const PlanRun asJson = Plan(pair + "--json");
  ASSERT_EQ(asJson.status, 0) << asJson.err;
  EXPECT_EQ(json::parse(asJson.out)["home"]["locator"], "JM01AA");
  const PlanRun asIcs = Plan(pair + "--ics");
  ASSERT_EQ(asIcs.status, 0) << asIcs.err;
  EXPECT_THAT(asIcs.out, HasSubstr("SUMMARY:EME sked JM01AA - QA1AB"));
  EXPECT_THAT(asIcs.out, HasSubstr("-JM01AA-QA1AB@kelvora-win"));
  EXPECT_THAT(asIcs.out, testing::Not(HasSubstr("JM00AX")));
}

// Directory bytes that are not UTF-8 are read as Windows-1252, as the
// directory window reads them: the JSON stays valid and the calendar holds
// UTF-8 only.
TEST_F(CliPlanTest, NonUtf8DirectoryBytesAreDecodedAsWindows1252) {
  std::string record(249, ' ');
  record.replace(0, 6, "QA\xC9" "1AB");  // 0xC9 alone is no UTF-8; in Windows-1252 it is É
  record.replace(181, 6, "FN42LI");
  std::string unplaced(249, ' ');
  unplaced.replace(0, 6, "QB9ZZZ");
  unplaced.replace(181, 6, "\x80\x80\x80\x80\x80\x80");  // the euro sign in Windows-1252
  std::ofstream(folder_ / "latin.dta", std::ios::binary)
      << record << "\n" << unplaced << "\n\\ end\n";

  const PlanRun list =
      Plan("--all --home 29.42,95.36 --start 2026-12-08 --hours 48 --directory latin.dta --json");
  ASSERT_EQ(list.status, 0) << list.err;
  const json doc = json::parse(list.out);
  ASSERT_EQ(doc["stations"].size(), 1u);
  EXPECT_EQ(doc["stations"][0]["call"], "QA\u00C91AB");
  EXPECT_THAT(doc["skippedRecords"][0].get<std::string>(), HasSubstr("\u20AC\u20AC"));

  const PlanRun ics = Plan("--dx-call qa\xC3\x89" "1ab --home 29.42,95.36 --start 2026-12-08 "
                           "--days 2 --directory latin.dta --ics");
  ASSERT_EQ(ics.status, 0) << ics.err;
  EXPECT_THAT(ics.out, HasSubstr("SUMMARY:EME sked EL29HK - QA\u00C91AB"));
  EXPECT_EQ(ics.out.find('\xC9' + std::string("1AB")), std::string::npos);
}

}  // namespace

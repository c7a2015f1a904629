// kelvora-cli end to end: the binary is run in a scratch folder and judged by
// its exit status and output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::HasSubstr;

constexpr const char* kNoonJ2000 = "946728000";  // 2000-01-01 12:00:00 UTC

struct RunResult {
  int status = -1;  // exit status, or -1 when killed by a signal
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_cli_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Starts the tool in the scratch folder with stdout and stderr to files.
  pid_t Start(const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(folder_.c_str()) != 0) _exit(127);
      const int out = open((folder_ / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open((folder_ / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0) _exit(127);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      std::vector<char*> argv;
      std::string program = KELVORA_CLI_PATH;
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (std::string& arg : copies) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return pid;
  }

  RunResult Finish(pid_t pid) {
    RunResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadAll(folder_ / "out.txt");
    result.err = ReadAll(folder_ / "err.txt");
    return result;
  }

  RunResult Run(const std::vector<std::string>& args) { return Finish(Start(args)); }

  // The same in a working folder that no longer exists: the program cannot
  // learn where it is, which nothing in its arguments can cause.
  RunResult RunInRemovedFolder(const std::vector<std::string>& args) {
    const fs::path gone = folder_ / "gone";
    fs::create_directory(gone);
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(gone.c_str()) != 0 || rmdir(gone.c_str()) != 0) _exit(127);
      const int out = open((folder_ / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open((folder_ / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out < 0 || err < 0) _exit(127);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      std::vector<char*> argv;
      std::string program = KELVORA_CLI_PATH;
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (std::string& arg : copies) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return Finish(pid);
  }

  void WriteSettings(std::initializer_list<double> values) {
    std::ofstream out(folder_ / "Dorvakin.dat", std::ios::binary);
    for (const double value : values) {
      out.write(reinterpret_cast<const char*>(&value), sizeof value);
    }
  }

  fs::path folder_;
};

// The value after a label in the labelled read-out.
std::string Field(const std::string& out, const std::string& label) {
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(label, 0) == 0 && line.size() >= 14) return line.substr(14);
  }
  return "<missing " + label + ">";
}

TEST_F(CliTest, TickPrintsTheLabelledTexts) {
  const RunResult run = Run({"tick", "--clock", kNoonJ2000});
  ASSERT_EQ(run.status, 0) << run.err;
  // No settings file here: the default station, GMT offset 0.
  EXPECT_EQ(Field(run.out, "Clock"), "Sat Jan  1 12:00:00 2000");
  EXPECT_EQ(Field(run.out, "Home"), "Home: EL29HK");
  EXPECT_EQ(Field(run.out, "Stn2 Grid"), "None");
  EXPECT_EQ(Field(run.out, "Stn2 Azim"), "N/A");
  EXPECT_EQ(Field(run.out, "Stn2 Polarity"), "N/A");
  EXPECT_THAT(Field(run.out, "Moon Az."), testing::EndsWith(" deg."));
  EXPECT_THAT(Field(run.out, "Range"), testing::EndsWith("Km"));
  EXPECT_THAT(Field(run.out, "Source"), testing::StartsWith("Quiet Sky   Az: "));
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(CliTest, TickReadsTheSettingsFileOfTheCurrentFolder) {
  // 51.5 N 0.1 W with GMT offset -5; --clock is UTC whatever the offset.
  WriteSettings({51.5, 0.1, -5.0, 0.0});
  const RunResult run = Run({"tick", "--clock", kNoonJ2000});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Field(run.out, "Home"), "Home: IO91WM");
  EXPECT_EQ(Field(run.out, "Clock"), "Sat Jan  1 12:00:00 2000");

  // Options win over the file.
  const RunResult home =
      Run({"tick", "--clock", kNoonJ2000, "--home", "-33.85,-151.21", "--gmt-offset", "0"});
  ASSERT_EQ(home.status, 0) << home.err;
  EXPECT_EQ(Field(home.out, "Home"), "Home: QF56OD");
  EXPECT_EQ(Field(home.out, "Clock"), "Sat Jan  1 12:00:00 2000");
}

TEST_F(CliTest, TickOptionsReachTheTexts) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* label;
    const char* prefix;
  };
  const Row rows[] = {
      {"station2_grid", {"--station2-grid", "io91wm"}, "Stn2 Grid", "IO91WM"},
      {"station2_position", {"--station2", "51.5,0.1"}, "Stn2 Polarity", ""},
      {"centaurus", {"--source", "3"}, "Source", "Not Available"},
      {"cygnus", {"--source", "4"}, "Source", "Cygnus A   Az: "},
      {"user_star", {"--star", "5.58,22.01"}, "Source", "My Star   Az: "},
      {"time_offset_one_day", {"--time-offset", "86400"}, "Clock", "Sun Jan  2 12:00:00 2000"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args = {"tick", "--clock", kNoonJ2000};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult run = Run(args);
    ASSERT_EQ(run.status, 0) << row.name << ": " << run.err;
    EXPECT_THAT(Field(run.out, row.label), testing::StartsWith(row.prefix)) << row.name;
    if (std::string(row.name).rfind("station2", 0) == 0) {
      EXPECT_NE(Field(run.out, "Stn2 Azim"), "N/A") << row.name;
      EXPECT_THAT(Field(run.out, "Stn2 Polarity"), testing::EndsWith("cw")) << row.name;
    }
  }
}

TEST_F(CliTest, TickJsonHoldsTextsAndRawValues) {
  const RunResult run = Run({"tick", "--clock", kNoonJ2000, "--json", "--sky-map"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  ASSERT_EQ(doc["texts"].size(), 21u);
  EXPECT_EQ(doc["texts"][3]["text"], "Sat Jan  1 12:00:00 2000");
  EXPECT_EQ(doc["texts"][3]["control"], 1006);
  EXPECT_EQ(doc["utcSeconds"], 946728000);

  // The raw values agree with the texts formed from them.
  char declination[32];
  std::snprintf(declination, sizeof declination, "%4.2f deg",
                doc["moon"]["declinationDeg"].get<double>());
  EXPECT_EQ(doc["texts"][1]["text"], declination);
  char range[32];
  std::snprintf(range, sizeof range, "%8.1fKm", doc["moon"]["distanceKm"].get<double>());
  EXPECT_EQ(doc["texts"][2]["text"], range);
  EXPECT_NEAR(doc["moon"]["hourAngleDeg"].get<double>(),
              doc["moon"]["hourAngleRad"].get<double>() * 57.29577951307855, 1e-9);
  // Range between perigee and apogee (356000..407000 km).
  EXPECT_GT(doc["moon"]["distanceKm"].get<double>(), 356000.0);
  EXPECT_LT(doc["moon"]["distanceKm"].get<double>(), 407000.0);

  const int phase = doc["phaseIndex"];
  EXPECT_GE(phase, 0);
  EXPECT_LE(phase, 40);
  const int count = doc["footprint"]["count"];
  EXPECT_GT(count, 0);
  EXPECT_EQ(doc["footprint"]["points"].size(), static_cast<std::size_t>(count));
  EXPECT_EQ(doc["moonTrack"]["points"].size(), 26u);
  for (const char* marker : {"moon", "sun", "home", "station2"}) {
    EXPECT_TRUE(doc["markers"][marker].contains("x")) << marker;
  }
  EXPECT_TRUE(doc["station2"].is_null());

  // Without the sky map there is no track.
  const RunResult earth = Run({"tick", "--clock", kNoonJ2000, "--json"});
  ASSERT_EQ(earth.status, 0) << earth.err;
  EXPECT_TRUE(json::parse(earth.out)["moonTrack"].is_null());
}

// The figures behind the texts: every text printed agrees with the raw
// figure it was formed from, for both stations.
TEST_F(CliTest, TickJsonFiguresAgreeWithTheTexts) {
  const RunResult run =
      Run({"tick", "--clock", "946720800", "--json", "--station2", "51.5,0.1"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  const json& f = doc["figures"];
  auto text = [&doc](int number) { return doc["texts"][number - 1]["text"].get<std::string>(); };
  auto formatted = [](const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer);
  };
  EXPECT_EQ(f["utcSeconds"], 946720800);
  EXPECT_EQ(text(1), formatted("%4.2f deg.", f["homeMoon"]["azimuthDeg"].get<double>()));
  EXPECT_EQ(text(16), formatted("%3.1f deg", f["station2Moon"]["azimuthDeg"].get<double>()));
  EXPECT_EQ(text(17), formatted("%3.1f deg", doc["station2"]["moon"]["elevationDeg"].get<double>()));
  EXPECT_EQ(text(12), formatted("%4.0f° k", f["skyTemperatureK"].get<double>()));
  EXPECT_EQ(text(18), formatted("%4.0f hz", f["echoDopplerHz"].get<double>()));
  EXPECT_EQ(text(21), formatted("%4.0f hz", f["station2DopplerHz"].get<double>()));
  const double polarity = f["polarityOffset"]["degrees"].get<double>();
  EXPECT_EQ(text(15), formatted(f["polarityOffset"]["clockwise"].get<bool>() ? "%2.0f° cw"
                                                                            : "%2.0f° ccw",
                                polarity));
  EXPECT_EQ(text(8), formatted("%4.1f deg", f["sun"]["azimuthDeg"].get<double>()));
  // Right ascensions in hours lie in [0, 24].
  for (const double hours : {doc["sun"]["rightAscensionHours"].get<double>(),
                             doc["moon"]["rightAscensionHours"].get<double>(),
                             doc["station2"]["moon"]["rightAscensionHours"].get<double>()}) {
    EXPECT_GE(hours, 0.0);
    EXPECT_LE(hours, 24.0);
  }
  // 51.5 N 0.1 W keeps zone 0: 10:00 UTC on a Saturday.
  EXPECT_EQ(doc["station2"]["localTime"], "Sat, 10:00am");

  // Without a second station its figures are null and its texts "N/A".
  const RunResult alone = Run({"tick", "--clock", "946720800", "--json"});
  ASSERT_EQ(alone.status, 0) << alone.err;
  const json single = json::parse(alone.out);
  EXPECT_TRUE(single["figures"]["station2Moon"].is_null());
  EXPECT_TRUE(single["figures"]["polarityOffset"].is_null());
  EXPECT_TRUE(single["figures"]["station2DopplerHz"].is_null());
  EXPECT_EQ(single["texts"][14]["text"], "N/A");
}

TEST_F(CliTest, NextCrossingMatchesTheTickAtThatOffset) {
  for (const bool sun : {false, true}) {
    std::vector<std::string> args = {"next-crossing", "--clock", kNoonJ2000, "--json"};
    if (sun) args.push_back("--sun");
    const RunResult run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const json crossing = json::parse(run.out);
    const std::int64_t offset = crossing["timeOffsetSeconds"];
    EXPECT_GT(offset, 0);
    EXPECT_LT(offset, 2 * 86400);
    EXPECT_EQ(crossing["utcSeconds"].get<std::int64_t>(), 946728000 + offset);

    // The tick at the offset found sees the body within a degree of the
    // horizon, on the side the event names.
    const RunResult tick = Run({"tick", "--clock", kNoonJ2000, "--time-offset",
                                std::to_string(offset), "--json"});
    ASSERT_EQ(tick.status, 0) << tick.err;
    const json doc = json::parse(tick.out);
    const double elevation =
        sun ? doc["sun"]["elevationDeg"].get<double>() : doc["moon"]["elevationDeg"].get<double>();
    EXPECT_LT(std::fabs(elevation), 1.0) << (sun ? "sun" : "moon");
  }

  const RunResult text = Run({"next-crossing", "--clock", kNoonJ2000});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, testing::ContainsRegex("^Moon(rise|set) at 29.42, 95.36"));
  EXPECT_THAT(text.out, HasSubstr("time offset "));
}

TEST_F(CliTest, StationHelpers) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* expected;  // a piece of the output
  };
  const Row rows[] = {
      // Houston 29.42 N 95.36 W; Sydney 33.85 S 151.21 E as negative numbers.
      {"grid_negative_positionals", {"grid", "-33.85", "-151.21"}, "QF56OD\n"},
      {"grid_point_negative", {"grid", "-.5", "-.5"}, "JI09"},
      // EL29HK's centre: 29.4375 N, 95.375 W, rounded half away from zero.
      {"locator_centre", {"locator", "EL29HK"}, "EL29HK  latitude 29.44  longitude 95.38"},
      {"locator_completed", {"locator", "io91"}, "IO91MM"},
      // Houston to London, about 41 degrees and 4864 miles.
      {"bearing_miles",
       {"bearing", "29.42", "95.36", "51.5", "0.1"},
       "bearing   41°\ndistance  4864"},
      {"bearing_km", {"bearing", "29.42", "95.36", "51.5", "0.1", "--km"}, " km\n"},
  };
  for (const Row& row : rows) {
    const RunResult run = Run(row.args);
    EXPECT_EQ(run.status, 0) << row.name << ": " << run.err;
    EXPECT_THAT(run.out, HasSubstr(row.expected)) << row.name;
  }
}

TEST_F(CliTest, BadArgumentsGiveOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"no-such-command"},
      {"tick", "--clock", "soon"},
      {"tick", "--clock", "99999999999"},
      {"tick", "--home", "29.42"},
      {"tick", "--home", "95,29,1"},
      {"tick", "--home", "100,0"},
      {"tick", "--home", "0,181"},
      {"tick", "--home", "nan,0"},
      {"tick", "--source", "8"},
      {"tick", "--source", "0"},
      {"tick", "--star", "25,0"},
      {"tick", "--star", "abc"},
      {"tick", "--gmt-offset", "15"},  // one past the zones, as the settings file has it
      {"tick", "--time-offset", "3000000000"},
      {"tick", "--station2-grid", "ZZ99"},
      {"tick", "--station2-grid", "E"},
      {"tick", "--station2", "0,0"},
      {"tick", "--station2", "51,0", "--station2-grid", "IO91"},
      {"grid", "1"},
      {"grid", "0", "200"},
      {"grid", "1x", "2"},
      {"bearing", "1", "2", "3"},
      {"locator"},
      {"locator", "EL29H"},
      {"next-crossing", "--station", "north"},
      {"watch", "--count", "0"},
      {"directory", ""},
  };
  for (const std::vector<std::string>& args : rows) {
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    const RunResult run = Run(args);
    EXPECT_EQ(run.status, 2) << line << "-> " << run.out << run.err;
    EXPECT_THAT(run.err, testing::StartsWith("kelvora-cli: error: ")) << line;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << line << run.err;
  }
}

// Exit status 3 is for what no argument can cause; 1 stays "nothing found".
TEST_F(CliTest, UnexpectedFailureHasItsOwnStatusAndMessage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"tick", "--clock", kNoonJ2000},
        std::vector<std::string>{"watch", "--count", "1"}}) {
    const RunResult run = RunInRemovedFolder(args);
    EXPECT_EQ(run.status, 3) << args[0] << ": " << run.err;
    EXPECT_THAT(run.err, testing::StartsWith("kelvora-cli: unexpected failure: ")) << args[0];
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const RunResult help = Run({"--help"});
  EXPECT_THAT(help.out, HasSubstr("3 unexpected failure"));
}

// Each refusal names the option and quotes the value as it was typed; an
// empty value is refused, not taken as "not given"; a number too large for
// its place is "out of range", not "not a number".
TEST_F(CliTest, InputErrorsQuoteWhatWasTyped) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  } rows[] = {
      {"empty_home", {"tick", "--home", ""}, "--home: an empty value is not allowed"},
      {"empty_station2", {"tick", "--station2", ""}, "--station2: an empty value"},
      {"empty_grid", {"tick", "--station2-grid", ""}, "--station2-grid: an empty value"},
      {"empty_star", {"tick", "--star", ""}, "--star: an empty value"},
      {"empty_gmt_offset", {"tick", "--gmt-offset", ""}, "--gmt-offset: an empty value"},
      {"empty_station", {"next-crossing", "--station", ""}, "--station: an empty value"},
      {"empty_file", {"directory", "QA1AA", "--file", ""}, "--file: an empty value"},
      {"empty_moon_clock", {"moon", "--clock", ""}, "--clock: an empty value"},
      {"empty_moon_station", {"moon", "--station", ""}, "--station: an empty value"},
      {"empty_moon_height", {"moon", "--height", ""}, "--height: an empty value"},
      {"empty_moon_freq", {"moon", "--freq", ""}, "--freq: an empty value"},
      {"empty_doppler_clock", {"doppler", "--freq", "144e6", "--clock", ""},
       "--clock: an empty value"},
      {"empty_doppler_home", {"doppler", "--freq", "144e6", "--home", ""},
       "--home: an empty value"},
      {"empty_plan_start", {"plan", "--dx", "FN42", "--start", ""}, "--start: an empty value"},
      {"empty_plan_call", {"plan", "--all", "--calls", ""}, "--calls: an empty value"},
      {"crossing_offset_limit", {"next-crossing", "--time-offset", "2147483647"},
       "would pass the time offset's limit 2147483647 s"},
      {"huge_latitude", {"grid", "1e308", "0"}, "LAT: latitude '1e308' is out of range -90..90"},
      {"overflowing_latitude", {"grid", "1e999", "0"}, "latitude '1e999' is out of range"},
      {"huge_home_longitude", {"tick", "--home", "0,-1e308"},
       "--home: longitude '-1e308' is out of range -180..180"},
      {"infinity_is_no_number", {"grid", "inf", "0"}, "LAT: 'inf' is not a number"},
      {"gmt_offset_as_typed", {"tick", "--gmt-offset", "99999999999999999999"},
       "--gmt-offset: '99999999999999999999' is out of range -14..14"},
      {"clock_as_typed", {"tick", "--clock", "99999999999999999999"},
       "--clock: '99999999999999999999' is out of range"},
      {"time_offset_as_typed", {"tick", "--time-offset", "+3000000000"},
       "--time-offset: '+3000000000' is out of range"},
      {"source_as_typed", {"tick", "--source", "9"}, "--source: '9' is out of range 1..7"},
      {"star_as_typed", {"tick", "--star", "1e308,0"}, "--star: '1e308,0' is out of range"},
      {"crossing_runs_past_2099", {"next-crossing", "--clock", "4102444000"},
       "runs past the supported years 1901-2099"},
  };
  for (const Row& r : rows) {
    const RunResult run = Run(r.args);
    EXPECT_EQ(run.status, 2) << r.name << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr(r.message)) << r.name;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << r.name << ": " << run.err;
  }
}

TEST_F(CliTest, DamagedSettingsFieldIsNamedAndTheRestKept) {
  WriteSettings({51.5, 0.1, 999.0, 0.0});
  const RunResult run = Run({"tick", "--clock", kNoonJ2000});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "kelvora-cli: \"Dorvakin.dat\" is damaged: its GMT offset was replaced by the "
            "default. The file stays as it is until you save.\n");
  EXPECT_EQ(Field(run.out, "Home"), "Home: IO91WM");
  EXPECT_EQ(Field(run.out, "Clock"), "Sat Jan  1 12:00:00 2000");
}

TEST_F(CliTest, GridAtThePolesAndTheAntimeridianIsALocator) {
  struct Row {
    const char* latitude;
    const char* longitude;
    const char* locator;
  } rows[] = {{"90", "180", "AR09AX\n"},
              {"-90", "-180", "RA90XA\n"},
              {"90", "-180", "RR99XX\n"},
              {"0", "180", "AJ00AA\n"},
              // A grid line belongs to the cell it begins.
              {"31", "0", "JM01AA\n"},
              {"-89", "-178", "RA91AA\n"}};
  for (const Row& r : rows) {
    const RunResult run = Run({"grid", r.latitude, r.longitude});
    EXPECT_EQ(run.status, 0) << r.latitude << " " << r.longitude << ": " << run.err;
    EXPECT_EQ(run.out, r.locator) << r.latitude << " " << r.longitude;
  }
}

TEST_F(CliTest, HelpSaysLongitudesAreWestPositive) {
  const RunResult run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, HasSubstr("WEST positive"));
  const RunResult tick = Run({"tick", "--help"});
  EXPECT_EQ(tick.status, 0);
  EXPECT_THAT(tick.out, HasSubstr("--station2-grid"));
  EXPECT_THAT(tick.out, HasSubstr("west positive"));
}

TEST_F(CliTest, DirectoryLookUp) {
  // One record in the fixed columns: call 0-10, text 11-30, locator 181-186.
  std::string record(249, ' ');
  record.replace(0, 6, "XK1ABC");
  record.replace(11, 9, "Test Name");
  record.replace(181, 6, "JO01AA");
  {
    std::ofstream out(folder_ / "stations.txt", std::ios::binary);
    out << record << "\n\\ end\n";
  }
  const RunResult found = Run({"directory", "XK1", "--file", "stations.txt"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_THAT(found.out, HasSubstr("XK1, Test Name"));
  EXPECT_THAT(found.out, HasSubstr("Grid: JO01AA"));

  const RunResult missing = Run({"directory", "XK9", "--file", "stations.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, HasSubstr("Not Found"));

  // The default file is EME.DTA in the current folder; there is none here.
  const RunResult noFile = Run({"directory", "XK1"});
  EXPECT_EQ(noFile.status, 1);
  EXPECT_THAT(noFile.err, HasSubstr("EME.DTA File Not Found"));
}

TEST_F(CliTest, WatchStopsCleanlyOnInterrupt) {
  const pid_t pid = Start({"watch"});
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(pid, SIGINT);
  const RunResult run = Finish(pid);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Moon Az."));
  EXPECT_THAT(run.out, HasSubstr("Home: EL29HK"));
}

TEST_F(CliTest, WatchCountStopsByItself) {
  const RunResult run = Run({"watch", "--count", "2"});
  EXPECT_EQ(run.status, 0) << run.err;
  // Two read-outs, one "Moon Az." line each.
  std::size_t shown = 0;
  for (std::size_t at = run.out.find("Moon Az."); at != std::string::npos;
       at = run.out.find("Moon Az.", at + 1)) {
    ++shown;
  }
  EXPECT_EQ(shown, 2u);
}

// --clock is the UTC moment in every subcommand, whatever the settings
// file's GMT offset (6 here); --gmt-offset, taken by every subcommand that
// reads the file, gives the home's local time.
TEST_F(CliTest, ClockIsUtcInEverySubcommand) {
  WriteSettings({29.42, 95.36, 6.0, 1.0});
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* local;  // the key of the home's local time, or nullptr
  } rows[] = {
      {"tick", {"tick", "--json"}, nullptr},
      {"moon", {"moon", "--json"}, "homeLocalText"},
      {"doppler", {"doppler", "--freq", "144e6", "--json"}, "homeLocalText"},
      {"radio_track",
       {"radio", "track", "--rigctld", "127.0.0.1:1", "--freq", "144e6", "--method", "off",
        "--count", "1", "--json"},
       "homeLocalText"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const char* gmt : {"", "0"}) {
      std::vector<std::string> args = row.args;
      args.insert(args.end(), {"--clock", kNoonJ2000});
      if (*gmt != 0) args.insert(args.end(), {"--gmt-offset", gmt});
      const RunResult run = Run(args);
      ASSERT_EQ(run.status, 0) << run.err;
      const json doc = json::parse(run.out);
      EXPECT_EQ(doc["utcSeconds"], 946728000);
      if (row.local != nullptr) {
        EXPECT_EQ(doc[row.local], *gmt != 0 ? "Sat Jan  1 12:00:00 2000"
                                            : "Sat Jan  1 06:00:00 2000");
      }
    }
  }
  // Without --clock the moment is the computer's UTC, not its local
  // standard time plus the file's offset.
  const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
  const RunResult now = Run({"doppler", "--freq", "144e6", "--json"});
  const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
  ASSERT_EQ(now.status, 0) << now.err;
  const std::int64_t utc = json::parse(now.out)["utcSeconds"];
  EXPECT_GE(utc, before);
  EXPECT_LE(utc, after);
}

// Every number the read-out's JSON gives for the moon and the sun names its
// unit (the moon's declination is in degrees, the sun's in radians).
TEST_F(CliTest, TickJsonKeysCarryTheirUnit) {
  const RunResult run = Run({"tick", "--clock", kNoonJ2000, "--json", "--station2", "51.5,0.1"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(run.out);
  const char* units[] = {"Deg", "Rad", "Hours", "Km", "Mps", "K", "Db", "Seconds", "Days"};
  for (const json* object : {&doc["moon"], &doc["sun"], &doc["station2"], &doc["station2"]["moon"],
                             &doc["home"], &doc}) {
    for (const auto& [key, value] : object->items()) {
      if (!value.is_number_float() && !value.is_number_integer()) continue;
      if (key == "gmtOffsetHours" || key == "phaseIndex") continue;
      bool named = false;
      for (const char* unit : units) {
        const std::string suffix(unit);
        named = named || (key.size() > suffix.size() &&
                          key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0);
      }
      EXPECT_TRUE(named) << key;
    }
  }
  EXPECT_NEAR(doc["sun"]["declinationDeg"].get<double>(),
              doc["sun"]["declinationRad"].get<double>() * 57.29577951307855, 1e-9);
}

// The Doppler works to the last minute of 2099, and in the last minute
// of 1959 both samples come from the standard figures: the change per minute
// there is the change of its neighbour minute, not a jump to the accurate
// figures.
TEST_F(CliTest, DopplerAtTheEndsOfTheAccurateYears) {
  const auto doppler = [this](const char* clock) {
    const RunResult run = Run({"doppler", "--freq", "1296e6", "--clock", clock, "--json"});
    EXPECT_EQ(run.status, 0) << clock << ": " << run.err;
    return run.status == 0 ? json::parse(run.out) : json();
  };
  const json last2099 = doppler("4102444780");
  EXPECT_EQ(last2099["figures"], "accurate");
  EXPECT_TRUE(std::isfinite(last2099["echoPerMinuteHz"].get<double>()));

  const json last1959 = doppler("-315619230");
  const json before = doppler("-315619290");
  EXPECT_EQ(last1959["figures"], "standard");
  EXPECT_NEAR(last1959["echoPerMinuteHz"].get<double>(), before["echoPerMinuteHz"].get<double>(),
              0.5);
}

}  // namespace

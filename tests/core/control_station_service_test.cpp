// The station service against the real rotctld simulator and scripted
// daemons: the truth of its rotator states, a hand move, a home change, a
// stop sent to a frozen daemon, and its settings file read without Qt.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "astro/map_projection.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "control/station_config.h"
#include "control/station_service.h"
#include "hamlib_test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t k2024Mar1 = 1709251200;  // 2024-03-01 00:00:00 UTC
constexpr HamlibClientTiming kQuick{1000ms, 1000ms, 50ms};

StationConfig FixedTarget(int port, double az, double el) {
  StationConfig c;
  c.rotator.port = port;
  c.rotator.target = TargetChoice::Fixed;
  c.rotator.fixedTarget = {az, el};
  return c;
}

// Rotator periods every `period`, replies collected between them, until
// `done` or the time is up. Counts the periods run in *periods.
template <typename Predicate>
bool RunPeriods(StationService& s, Predicate done, std::chrono::milliseconds limit = 10s,
         std::chrono::milliseconds period = 100ms, int* periods = nullptr,
         std::int64_t utc = k2024Mar1) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done(s.RotatorPeriod(utc))) return true;
    if (periods) ++*periods;
    const auto next = std::chrono::steady_clock::now() + period;
    while (std::chrono::steady_clock::now() < next) {
      std::this_thread::sleep_for(10ms);
      s.Poll();
    }
  }
  return false;
}

bool OnTarget(const RotatorReport& r) { return r.state == RotatorState::OnTarget; }

// A second client of the daemon, as another program or the operator's
// hand on the controller.
void SendLine(int port, const std::string& line) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  ASSERT_EQ(::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  const std::string text = line + "\n";
  ::send(s, text.data(), text.size(), MSG_NOSIGNAL);
  char reply[64];
  ::recv(s, reply, sizeof reply, 0);
  ::close(s);
}

TEST(StationServiceRotctld, HandMoveIsCommandedBackWithinTwoPeriods) {
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  TrackerModel model;
  StationService service(model, FixedTarget(daemon.Port(), 30, 20), kQuick);
  ASSERT_TRUE(service.Track().ok());
  ASSERT_TRUE(RunPeriods(service, OnTarget)) << service.Rotator().status;
  const std::uint64_t moves = service.Rotator().movesSent;

  SendLine(daemon.Port(), "P 0 0");
  // The hand move shows in the readings; from the first period that sees
  // the antenna off target, a move goes out within two periods.
  ASSERT_TRUE(RunPeriods(service, [](const RotatorReport& r) {
    return r.pointingError && *r.pointingError > 1.0;
  }));
  int periods = 0;
  EXPECT_TRUE(RunPeriods(service, [&](const RotatorReport& r) { return r.movesSent > moves; }, 5s,
                  1000ms, &periods));
  EXPECT_LE(periods, 2);
  ASSERT_TRUE(RunPeriods(service, OnTarget));
  EXPECT_LE(*service.Rotator().pointingError, 1.0);
  // Meanwhile the maps have the antenna's direction.
  EXPECT_TRUE(model.tracking.antenna.shown);
  EXPECT_NEAR(model.tracking.antenna.azimuth, 30.0, 1.0);
}

TEST(StationServiceRotctld, HomeChangeIsFollowedAtTheNextPeriod) {
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  TrackerModel model;
  model.home.latitude = 29.76;  // Houston
  model.home.longitude = 95.37;
  StationConfig config;
  config.rotator.port = daemon.Port();
  config.rotator.setup.refraction = false;
  StationService service(model, config, kQuick);
  ASSERT_TRUE(service.Track().ok());
  const RotatorReport before = service.RotatorPeriod(k2024Mar1);
  model.home.latitude = -33.87;  // Sydney
  model.home.longitude = -151.21;
  const RotatorReport after = service.RotatorPeriod(k2024Mar1);
  ASSERT_TRUE(before.target && after.target);
  // The standard theory, independent of the accurate figures pointed with.
  const auto sydney = MoonPosition(-33.87, -151.21, k2024Mar1, TimeBase{});
  EXPECT_NEAR(after.target->elevation, sydney->elevation, 0.3);
  EXPECT_NEAR(AzimuthDifference(after.target->azimuth, sydney->azimuth), 0.0, 0.3);
  EXPECT_GT(SkySeparation(*before.target, *after.target), 10.0);
}

// True once the process is in the stopped state (SIGSTOP landed), within 2 s.
bool ProcessStopped(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // "pid (name) S ...": the state follows the name's closing parenthesis.
    const std::size_t close = line.rfind(')');
    if (close != std::string::npos && close + 2 < line.size() &&
        (line[close + 2] == 'T' || line[close + 2] == 't')) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(StationServiceRotctld, StopPressedWhileTheDaemonIsFrozenReachesItAfterwards) {
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  TrackerModel model;
  StationService service(model, FixedTarget(daemon.Port(), 250, 60), kQuick);
  ASSERT_TRUE(service.Track().ok());
  ASSERT_TRUE(RunPeriods(service, [](const RotatorReport& r) { return r.movesSent > 0; }));
  ASSERT_EQ(::kill(daemon.Pid(), SIGSTOP), 0);
  // The signal takes a moment to land: press Stop only once the daemon is
  // really stopped (state T in /proc), or it may still answer.
  ASSERT_TRUE(ProcessStopped(daemon.Pid()));
  service.Stop();
  // Frozen: the stop waits, and says so, through timeouts and reconnections.
  RunPeriods(service, [](const RotatorReport&) { return false; }, 2500ms);
  EXPECT_EQ(service.Rotator().state, RotatorState::StopPending);
  EXPECT_EQ(service.Rotator().status, "stop pending");
  EXPECT_EQ(service.Rotator().stopsAnswered, 0u);
  ASSERT_EQ(::kill(daemon.Pid(), SIGCONT), 0);
  EXPECT_TRUE(RunPeriods(service, [](const RotatorReport& r) {
    return r.state == RotatorState::Stopped;
  }, 15s)) << service.Rotator().status << " / " << service.Rotator().lastError;
  EXPECT_EQ(service.Rotator().stopsAnswered, 1u);
}

TEST(StationServiceFaults, StalledAndParkedOnlyWhenTheyAre) {
  // A controller that accepts everything and never moves from 10, 20.
  testing::ScriptedServer server([](const std::string& line) {
    if (line == "p") return testing::ScriptStep{"10.000000\n20.000000\n"};
    return testing::ScriptStep{"RPRT 0\n"};
  });
  TrackerModel model;
  StationConfig config = FixedTarget(server.Port(), 100, 30);
  config.rotator.setup.stallSeconds = 1.0;
  config.rotator.parkWithController = false;
  config.rotator.parkPosition = {50, 40};
  StationService service(model, config, kQuick);
  ASSERT_TRUE(service.Track().ok());
  ASSERT_TRUE(RunPeriods(service, [](const RotatorReport& r) { return r.state == RotatorState::Moving; }));
  EXPECT_TRUE(RunPeriods(service, [](const RotatorReport& r) {
    return r.state == RotatorState::Stalled;
  }, 3s));
  // Refused or ignored moves are sent again, period after period.
  EXPECT_GE(service.Rotator().movesSent, 3u);

  // A park position it never reaches: parking, never parked.
  ASSERT_TRUE(service.Park().ok());
  RunPeriods(service, [](const RotatorReport&) { return false; }, 1500ms);
  EXPECT_EQ(service.Rotator().status, "parking");
  // The controller's own park: parked once the reading stands still.
  config.rotator.parkWithController = true;
  ASSERT_TRUE(service.Apply(config).ok());
  ASSERT_TRUE(service.Park().ok());
  EXPECT_TRUE(RunPeriods(service, [](const RotatorReport& r) { return r.state == RotatorState::Parked; },
                  5s));
  EXPECT_EQ(service.Rotator().status, "parked");
}

TEST(StationServiceFaults, NoConnectionMeansNothingIsKnown) {
  TrackerModel model;
  StationService service(model, FixedTarget(testing::FreeLoopbackPort(), 100, 30), kQuick);
  ASSERT_TRUE(service.Track().ok());
  ASSERT_TRUE(RunPeriods(service, [](const RotatorReport& r) {
    return r.link.state == LinkState::NotConnected;
  }));
  const RotatorReport& r = service.Rotator();
  EXPECT_EQ(r.status, "not connected");
  EXPECT_FALSE(r.reported || r.pointingError || r.commanded);
  EXPECT_FALSE(model.tracking.antenna.shown);
  service.Stop();
  EXPECT_EQ(service.RotatorPeriod(k2024Mar1).status, "stop pending");
}

TEST(StationServiceMark, AntennaOnTheSunIsMarkedOnTheSunsSkyMapPoint) {
  // The sun's own sky-map mark (from its right ascension and declination)
  // is the independent reference for the direction's conversion.
  struct Row {
    const char* name;
    ControlSite site;
    std::int64_t utc;
  };
  const Row rows[] = {{"houston_morning", {29.42, 95.36}, k2024Mar1 + 15 * 3600},
                      {"sydney_noon", {-33.87, -151.21}, k2024Mar1 + 2 * 3600 + 200 * 86400},
                      {"tromso_summer_night", {69.65, -18.96}, k2024Mar1 + 23 * 3600 + 110 * 86400}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SunFix sun = SunPosition(row.site.latitude, row.site.longitude, row.utc, TimeBase{});
    const AntennaMark mark = AntennaMarkFor({sun.azimuth, sun.elevation}, row.site, row.utc);
    ASSERT_TRUE(mark.shown);
    const SkyMapPoint p = SkyMapPlacement(mark.rightAscension, mark.declination);
    EXPECT_NEAR(p.column, sun.skyColumn, 2.0);
    EXPECT_NEAR(p.row, sun.skyRow, 2.0);
  }
}

TEST(StationConfigFile, ReadsTheWindowsIniWithOneSetOfLimits) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("kelvora-station-" + std::to_string(::getpid()) + ".ini");
  {
    // As QSettings writes it: groups, a quoted string, a boolean.
    std::ofstream out(path);
    out << "[General]\nunrelated=1\n\n[radio]\nhost=\"rig.local\"\nport=4600\ndialHz=1296000000\n"
           "fixedDuringTransmit=true\nmethod=moon\nstepHz=7\n\n[rotator]\nthreshold=25\n"
           "period=0.5\nstallSeconds=20\nrefraction=0\n";
  }
  const auto values = ReadIniFile(path);
  std::filesystem::remove(path);
  ASSERT_TRUE(values) << values.reason();
  std::vector<std::string> problems;
  const StationConfig c = StationConfigFromValues(*values, &problems);
  EXPECT_EQ(c.radio.host, "rig.local");
  EXPECT_EQ(c.radio.port, 4600);
  EXPECT_EQ(c.radio.control.dialHz, 1296e6);
  EXPECT_FALSE(c.radio.control.changesWhileTransmitting);
  EXPECT_EQ(c.radio.control.method, DopplerMethod::OnTheMoon);
  EXPECT_EQ(c.rotator.periodSeconds, 0.5);
  EXPECT_EQ(c.rotator.setup.stallSeconds, 20.0);
  EXPECT_FALSE(c.rotator.setup.refraction);
  // Unusable values keep their defaults and are named.
  EXPECT_EQ(c.rotator.setup.thresholdDegrees, kDefaultThresholdDegrees);
  EXPECT_EQ(c.radio.control.stepHz, 10);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "threshold \"25\" unusable, using 1");
  EXPECT_EQ(problems[1], "stepHz \"7\" unusable, using 10");
  // What is written reads back the same.
  EXPECT_EQ(StationConfigValues(StationConfigFromValues(StationConfigValues(c), nullptr)),
            StationConfigValues(c));
  const auto missing = ReadIniFile(path);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.reason().find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace kelvora

// kelvora-cli rotator against the real rotctld simulator: track, Ctrl+C,
// park, position, and the one-line refusals of bad arguments.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../core/hamlib_test_support.h"
#include "cli_run.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

using Finished = kelvora::cli_test::CliOutcome;

// The tool in a scratch folder (no settings file: the default station),
// output to files there.
class RotatorCli : public kelvora::cli_test::CliFolderTest {
 protected:
  pid_t Start(std::vector<std::string> args) {
    return kelvora::cli_test::StartCli(folder_, std::move(args));
  }
  Finished Wait(pid_t pid) { return kelvora::cli_test::WaitCli(folder_, pid); }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Endpoint(const kelvora::testing::HamlibDaemon& daemon) {
  return "127.0.0.1:" + std::to_string(daemon.Port());
}

TEST_F(RotatorCli, TrackReachesAFixedDirection) {
  kelvora::testing::HamlibDaemon daemon("rotctld", kelvora::testing::FreeLoopbackPort());
  // 10 and 5 degrees from the simulator's start at 0, 0: about 2 s at 6 deg/s.
  const Finished run = Run({"rotator", "track", "--rotctld", Endpoint(daemon), "--target",
                            "azel:10,5", "--count", "10", "--period", "0.5", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 10u);
  const json first = json::parse(lines.front());
  EXPECT_EQ(first["state"], "connected");
  const json last = json::parse(lines.back());
  // Commanded: the move rotctld accepted, once the first reading was in.
  EXPECT_EQ(last["commanded"]["azimuthDeg"], 10.0);
  ASSERT_TRUE(last["reported"].is_object()) << lines.back();
  EXPECT_NEAR(last["reported"]["azimuthDeg"].get<double>(), 10.0, 1.0);
  EXPECT_NEAR(last["reported"]["elevationDeg"].get<double>(), 5.0, 1.0);
  EXPECT_LT(last["pointingErrorDeg"].get<double>(), 1.0);
  EXPECT_EQ(last["status"], "on target");
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(RotatorCli, InterruptStopsTheRotatorAndParkMovesIt) {
  kelvora::testing::HamlibDaemon daemon("rotctld", kelvora::testing::FreeLoopbackPort());
  // A far target: the simulator is still on its way when Ctrl+C comes.
  const pid_t pid = Start({"rotator", "track", "--rotctld", Endpoint(daemon), "--target",
                           "azel:170,60", "--period", "0.2"});
  std::this_thread::sleep_for(1500ms);
  kill(pid, SIGINT);
  const Finished run = Wait(pid);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "kelvora-cli: rotator stopped\n");
  EXPECT_GE(Lines(run.out).size(), 3u);

  const auto azimuth = [&] {
    const Finished p = Run({"rotator", "position", "--rotctld", Endpoint(daemon), "--json"});
    EXPECT_EQ(p.status, 0) << p.err;
    return json::parse(p.out)["azimuthDeg"].get<double>();
  };
  const double first = azimuth();
  std::this_thread::sleep_for(500ms);
  EXPECT_NEAR(azimuth(), first, 0.01);  // no longer moving
  EXPECT_LT(first, 100.0);

  const Finished park = Run({"rotator", "park", "--rotctld", Endpoint(daemon), "--at", "3,2"});
  EXPECT_EQ(park.status, 0) << park.err;
  EXPECT_EQ(park.out, "ok\n");
  const Finished stop = Run({"rotator", "stop", "--rotctld", Endpoint(daemon)});
  EXPECT_EQ(stop.status, 0) << stop.err;
}

TEST_F(RotatorCli, RefusalsAreOneLine) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::string nobody = "127.0.0.1:" + std::to_string(kelvora::testing::FreeLoopbackPort());
  const Row rows[] = {
      {"threshold_too_large", {"rotator", "track", "--rotctld", nobody, "--threshold", "20"}, 2,
       "kelvora-cli: error: threshold must be between 0.1 and 10 degrees\n"},
      {"unknown_range", {"rotator", "track", "--rotctld", nobody, "--az-range", "0:400"}, 2,
       "kelvora-cli: error: --az-range must be 0:360, -180:180 or 0:450, got '0:400'\n"},
      {"unknown_target", {"rotator", "track", "--rotctld", nobody, "--target", "mars"}, 2,
       "kelvora-cli: error: --target: target must be moon, sun, source or azel:AZ,EL\n"},
      {"nan_direction", {"rotator", "track", "--rotctld", nobody, "--target", "azel:nan,5"}, 2,
       "kelvora-cli: error: --target: azel target must be azel:AZ,EL with AZ 0-360 and EL "
       "-90-180 degrees\n"},
      {"bad_endpoint", {"rotator", "stop", "--rotctld", "host:0"}, 2,
       "kelvora-cli: error: --rotctld: expected HOST:PORT, got 'host:0'\n"},
      {"period_zero", {"rotator", "track", "--rotctld", nobody, "--period", "0"}, 2,
       "kelvora-cli: error: --period must be between 0.2 and 60 seconds\n"},
      {"star_without_position", {"rotator", "track", "--rotctld", nobody, "--target", "source",
                                 "--star", "25,0"}, 2,
       "kelvora-cli: error: --target: the user star needs RA 0-24 h and Dec -90-90 degrees\n"},
      {"nobody_listening", {"rotator", "stop", "--rotctld", nobody}, 1, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Finished run = Run(row.args);
    EXPECT_EQ(run.status, row.status);
    EXPECT_TRUE(run.out.empty()) << run.out;
    if (row.message) {
      EXPECT_EQ(run.err, row.message);
    } else {
      EXPECT_EQ(run.err, "kelvora-cli: rotctld at " + nobody +
                             ": not connected (Connection refused)\n");
    }
  }
}

TEST_F(RotatorCli, TrackingThatNeverConnectedFails) {
  // Exit 1 from `rotator track` and `station track` alike when no daemon
  // ever answered: a service manager must see it failed.
  const std::string nobody = "127.0.0.1:" + std::to_string(kelvora::testing::FreeLoopbackPort());
  const std::vector<std::string> commands[] = {
      {"rotator", "track", "--rotctld", nobody, "--count", "2", "--period", "0.2"},
      {"station", "track", "--rotctld", nobody, "--rigctld", nobody, "--count", "2",
       "--settings", "/dev/null"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    const Finished run = Run(args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("never connected"), std::string::npos) << run.err;
  }
}

TEST_F(RotatorCli, StationTrackRunsTheServiceAndStopsOnSigterm) {
  kelvora::testing::HamlibDaemon rotctld("rotctld", kelvora::testing::FreeLoopbackPort());
  kelvora::testing::HamlibDaemon rigctld("rigctld", kelvora::testing::FreeLoopbackPort());
  const pid_t pid = Start({"station", "track", "--rotctld", Endpoint(rotctld), "--rigctld",
                           Endpoint(rigctld), "--freq", "1296000000", "--method", "echo",
                           "--target", "azel:40,30", "--settings", "/dev/null", "--json"});
  std::this_thread::sleep_for(3s);
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  const Finished run = Wait(pid);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("rotator stopped"), std::string::npos) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u);
  const json last = json::parse(lines.back());
  // A fixed direction is pointed at as it is: airless and commanded agree.
  EXPECT_EQ(last["rotator"]["airless"], last["rotator"]["commanded"]);
  EXPECT_EQ(last["rotator"]["commanded"]["azimuthDeg"], 40.0);
  EXPECT_TRUE(last["rotator"]["reported"].is_object()) << lines.back();
  EXPECT_EQ(last["radio"]["state"], "tracking") << lines.back();
}

}  // namespace

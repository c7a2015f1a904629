// kelvora-cli wsjtx listen: against the real WSJT-X 2.6.1 under Xvfb, the
// DX station set through it and the moon figures printed for it; silence and
// bad arguments.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../core/hamlib_test_support.h"
#include "../core/wsjtx_test_support.h"
#include "cli_run.h"

namespace {

using nlohmann::json;
using kelvora::cli_test::CliOutcome;
using kelvora::cli_test::Slurp;

class WsjtxCliTest : public kelvora::cli_test::CliFolderTest {};

std::vector<json> JsonLines(const std::string& text) {
  std::vector<json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

TEST_F(WsjtxCliTest, SetsTheDxStationOfTheRealProgramAndPrintsItsMoon) {
  const int port = kelvora::testing::FreeLoopbackPort();
  kelvora::testing::WsjtxUnderXvfb program(port, "K1ABC", "FN42AA");
  ASSERT_TRUE(program.Started());
  const pid_t cli = kelvora::cli_test::StartCli(
      folder_, {"wsjtx", "listen", "--port", std::to_string(port), "--json", "--set-dx", "oh2bc",
                "KP20", "--home", "42.36,71.06", "--timeout", "20"});
  // Until a Status with the DX station and WSJT-X's default dial comes out.
  json shown;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (shown.is_null() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string out = Slurp(folder_ / "out.txt");
    const std::string complete = out.substr(0, out.rfind('\n') + 1);
    for (const json& line : JsonLines(complete)) {
      if (line["dxGrid"] == "KP20" && line["dialHz"] == 14'074'000) shown = line;
    }
  }
  ::kill(cli, SIGTERM);
  const CliOutcome run = kelvora::cli_test::WaitCli(folder_, cli);
  program.Stop();
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_FALSE(shown.is_null()) << run.out << run.err;
  EXPECT_EQ(shown["id"], program.InstanceId());
  EXPECT_EQ(shown["dxCall"], "OH2BC");
  EXPECT_EQ(shown["mode"], "FT8");
  EXPECT_EQ(shown["trPeriodSeconds"], 15);
  EXPECT_EQ(shown["dx"]["locator"], "KP20MM");
  EXPECT_NE(run.err.find("DX OH2BC KP20 sent to " + program.InstanceId()), std::string::npos);

  // The same figures as `doppler` gives for that moment, dial and DX.
  const std::int64_t clock = shown["utcSeconds"].get<std::int64_t>();
  const CliOutcome doppler = kelvora::cli_test::RunCli(
      folder_, {"doppler", "--freq", "14074000", "--clock", std::to_string(clock), "--home",
                "42.36,71.06", "--dx", "KP20", "--json"});
  ASSERT_EQ(doppler.status, 0) << doppler.err;
  const json figures = json::parse(doppler.out);
  EXPECT_NEAR(shown["twoStationDopplerHz"].get<double>(), figures["twoStationHz"].get<double>(),
              1e-6);
  EXPECT_NEAR(shown["dx"]["moonElevationDeg"].get<double>(), figures["dxElevationDeg"].get<double>(),
              0.5);  // the standard theory there, the accurate figures in `doppler`
}

TEST_F(WsjtxCliTest, SilenceAndBadArguments) {
  const int port = kelvora::testing::FreeLoopbackPort();
  const CliOutcome quiet =
      Run({"wsjtx", "listen", "--port", std::to_string(port), "--timeout", "0.3"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_NE(quiet.err.find("nothing heard from WSJT-X on port " + std::to_string(port)),
            std::string::npos)
      << quiet.err;

  const std::vector<std::vector<std::string>> cases = {
      {"wsjtx", "listen"},
      {"wsjtx", "listen", "--port", "0"},
      {"wsjtx", "listen", "--port", "2237", "--group", "10.0.0.1"},
      {"wsjtx", "listen", "--port", "2237", "--group", "239.1"},
      {"wsjtx", "listen", "--port", "2237", "--timeout", "0"},
      {"wsjtx", "listen", "--port", "2237", "--timeout", "nan"},
      {"wsjtx", "listen", "--port", "2237", "--set-dx", "W1 XYZ", "FN42"},
      {"wsjtx", "listen", "--port", "2237", "--set-dx", "W1XYZ", "FN4"},
      {"wsjtx", "listen", "--port", "2237", "--set-dx", "W1XYZ"},
      {"wsjtx", "listen", "--port", "2237", "--home", "95,29"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    const CliOutcome run = Run(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

}  // namespace

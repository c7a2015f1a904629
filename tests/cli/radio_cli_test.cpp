// kelvora-cli doppler and radio track: the figures at a dial frequency, each
// method's frequencies, the radio kept on them through a real rigctld, and
// one-line refusals of bad input.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../core/hamlib_test_support.h"
#include "cli_run.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using kelvora::cli_test::CliOutcome;
using kelvora::cli_test::RunCli;

class RadioCliTest : public kelvora::cli_test::CliFolderTest {};

constexpr const char* kNoonJ2000 = "946728000";

TEST_F(RadioCliTest, JsonFiguresAndMethodFrequencies) {
  const CliOutcome run = RunCli(folder_, {"doppler", "--freq", "1296e6", "--clock", kNoonJ2000,
                                       "--home", "29.42,95.36", "--dx", "JO01", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const json out = json::parse(run.out);
  EXPECT_EQ(out["figures"], "accurate");
  EXPECT_EQ(out["dx"]["locator"], "JO01MM");
  const double f = 1296e6;
  const double home = out["homeHz"].get<double>();
  const double dx = out["dxHz"].get<double>();
  // Reference: topocentric range rate -200.94 m/s at this moment and place,
  // so the echo is +2 * 1296e6 * 200.94 / c = +1737.33 Hz (the accurate
  // figures are good to 0.06 m/s, half a hertz here).
  EXPECT_NEAR(out["echoHz"].get<double>(), 1737.33, 0.6);
  EXPECT_NEAR(home, -f * out["homeRangeRateMps"].get<double>() / 299792458.0, 1e-6);
  EXPECT_NEAR(out["twoStationHz"].get<double>(), home + dx, 1e-6);
  const json& m = out["methods"];
  EXPECT_EQ(m["off"]["receiveHz"].get<double>(), f);
  EXPECT_NEAR(m["echo"]["receiveHz"].get<double>(), f + 2 * home, 1e-3);
  EXPECT_EQ(m["echo"]["transmitHz"].get<double>(), f);
  EXPECT_NEAR(m["moon"]["receiveHz"].get<double>(), f + home, 1e-3);
  EXPECT_NEAR(m["moon"]["transmitHz"].get<double>(), f - home, 1e-3);
  EXPECT_NEAR(m["dx"]["receiveHz"].get<double>(), f + home + dx, 1e-3);
  EXPECT_NEAR(m["dx"]["transmitHz"].get<double>(), f - home - dx, 1e-3);

  // Before 1960 the standard theory stands in; without a DX station there is
  // no full correction.
  const CliOutcome alone = RunCli(folder_, {"doppler", "--freq", "144000000", "--clock",
                                         "-631152000", "--json"});
  ASSERT_EQ(alone.status, 0) << alone.err;
  const json solo = json::parse(alone.out);
  EXPECT_EQ(solo["figures"], "standard");
  EXPECT_TRUE(solo["methods"]["dx"].is_null());
  EXPECT_TRUE(solo["twoStationHz"].is_null());
}

TEST_F(RadioCliTest, DxFromTheDirectory) {
  fs::copy_file(fs::path(KELVORA_RESOURCE_DIR) / "EME.DTA", folder_ / "EME.DTA");
  // QA1AA's record gives FN35FM.
  const CliOutcome run =
      RunCli(folder_, {"doppler", "--freq", "432000000", "--clock", kNoonJ2000, "--dx-call",
                       "QA1AA", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(json::parse(run.out)["dx"]["locator"], "FN35FM");

  const CliOutcome missing = RunCli(folder_, {"doppler", "--freq", "432000000", "--dx-call", "ZZ9ZZ"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "kelvora-cli: ZZ9ZZ: Not Found\n");
}

// UT1 - UTC turns the earth under the moon: 0.9 s later in the earth's turn
// moves the echo by about 0.9 s of its own rate, since the station's rotation
// makes nearly all of that rate (the moon's orbit adds a few per cent here).
TEST_F(RadioCliTest, Ut1MinusUtcMovesTheEcho) {
  const auto figures = [this](const char* ut1) {
    const CliOutcome run = RunCli(folder_, {"doppler", "--freq", "10368e6", "--clock", kNoonJ2000,
                                            "--home", "29.42,95.36", "--ut1-utc", ut1, "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    return json::parse(run.out);
  };
  const json utc = figures("0");
  const json ut1 = figures("0.9");
  EXPECT_EQ(ut1["ut1MinusUtcS"], 0.9);
  const double moved = ut1["echoHz"].get<double>() - utc["echoHz"].get<double>();
  const double expected = 0.9 * utc["echoRateHzPerS"].get<double>();
  EXPECT_GT(std::fabs(moved), 0.5);
  EXPECT_NEAR(moved, expected, 0.1 * std::fabs(expected));
  // The refusal is the moon command's, word for word.
  const CliOutcome bad = RunCli(folder_, {"doppler", "--freq", "1296e6", "--ut1-utc", "2"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, RunCli(folder_, {"moon", "--ut1-utc", "2"}).err);
}

TEST_F(RadioCliTest, BadInputGivesOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"doppler"},
      {"doppler", "--freq", "0"},
      {"doppler", "--freq", "nan"},
      {"doppler", "--freq", "3e11"},
      {"doppler", "--freq", "1296 MHz"},
      {"doppler", "--freq", "1296e6", "--dx", "ZZ99"},
      {"doppler", "--freq", "1296e6", "--dx", "JO01", "--dx-call", "QA1AA"},
      {"doppler", "--freq", "1296e6", "--home", "95,29"},
      {"doppler", "--freq", "1296e6", "--clock", "-3000000000"},
      {"doppler", "--freq", "1296e6", "--ut1-utc", "1.5"},
      {"doppler", "--freq", "1296e6", "--ut1-utc", "nan"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    const CliOutcome run = RunCli(folder_, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

}  // namespace

namespace {

std::vector<json> JsonLines(const std::string& text) {
  std::vector<json> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(json::parse(line));
  return lines;
}

TEST_F(RadioCliTest, RadioTrackKeepsTheSimulatedRigOnTheMoon) {
  kelvora::testing::HamlibDaemon daemon("rigctld", kelvora::testing::FreeLoopbackPort());
  ASSERT_TRUE(daemon.Running());
  const std::string endpoint = "127.0.0.1:" + std::to_string(daemon.Port());
  const CliOutcome run =
      RunCli(folder_, {"radio", "track", "--rigctld", endpoint, "--freq", "1296000000",
                       "--method", "moon", "--clock", kNoonJ2000, "--home", "29.42,95.36",
                       "--count", "2", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<json> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  const json& first = lines[0];
  EXPECT_EQ(first["state"], "tracking");
  EXPECT_EQ(first["ptt"], "unknown");  // the simulator answers t with RPRT -11
  EXPECT_EQ(first["utcSeconds"], 946728000);
  // The figures of `doppler` at the same moment, sent in whole hertz.
  const CliOutcome figures = RunCli(folder_, {"doppler", "--freq", "1296000000", "--clock",
                                           kNoonJ2000, "--home", "29.42,95.36", "--json"});
  ASSERT_EQ(figures.status, 0) << figures.err;
  const json moon = json::parse(figures.out)["methods"]["moon"];
  EXPECT_EQ(first["sentReceiveHz"], std::llround(moon["receiveHz"].get<double>()));
  EXPECT_EQ(first["sentTransmitHz"], std::llround(moon["transmitHz"].get<double>()));
  // The rig reads back what was sent; a second later the clock has moved on.
  EXPECT_EQ(lines[1]["heardHz"].get<double>(), first["sentReceiveHz"].get<double>());
  EXPECT_EQ(lines[1]["utcSeconds"], 946728001);
  EXPECT_EQ(lines[1]["lastTunedHz"], 0.0);
  // The split the moon method turned on is off again once the command ends.
  EXPECT_EQ(kelvora::testing::LoopbackReply(daemon.Port(), "s").substr(0, 2), "0\n");
}

TEST_F(RadioCliTest, RadioTrackWithoutRigctldSaysSoEachSecond) {
  const std::string endpoint =
      "127.0.0.1:" + std::to_string(kelvora::testing::FreeLoopbackPort());
  const CliOutcome run = RunCli(folder_, {"radio", "track", "--rigctld", endpoint, "--freq",
                                       "432e6", "--method", "echo", "--count", "2", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<json> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  for (const json& line : lines) {
    EXPECT_FALSE(line["connected"].get<bool>());
    EXPECT_NE(line["link"].get<std::string>().find("not connected"), std::string::npos);
    EXPECT_TRUE(line["sentReceiveHz"].is_null());
    EXPECT_TRUE(std::isfinite(line["wantedReceiveHz"].get<double>()));
  }
}

TEST_F(RadioCliTest, RadioTrackRefusesBadArguments) {
  const std::vector<std::string> base = {"radio", "track", "--rigctld", "127.0.0.1:4532",
                                         "--freq", "1296e6", "--count", "1"};
  const std::vector<std::vector<std::string>> extras = {
      {"--method", "sideways"},
      {"--method", "echo", "--step", "5"},
      {"--method", "dx"},
      {"--method", "echo", "--tx-offset", "lots"},
      {"--method", "echo", "--rigctld", "127.0.0.1:99999"},
      {"--method", "echo", "--rigctld", ":4532"},
      {"--method", "echo", "--fixed-during-tx", "0"},
      {"--method", "echo", "--ut1-utc", "-1.01"},
  };
  for (const auto& extra : extras) {
    SCOPED_TRACE(extra.back());
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    const CliOutcome run = RunCli(folder_, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

}  // namespace

// Following WSJT-X: which Status asks for what.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "stations/locator.h"
#include "wsjtx/wsjtx_follower.h"

namespace kelvora::wsjtx {
namespace {

Status MakeStatus(const char* call, const char* grid, std::uint64_t dialHz = 0) {
  Status s;
  s.id = "WSJT-X";
  s.dxCall = std::string(call);
  s.dxGrid = std::string(grid);
  s.dialHz = dialHz;
  s.mode = std::string("FT8");
  return s;
}

TEST(WsjtxFollower, DxStationIsTakenWhenWsjtxChangesIt) {
  const struct {
    const char* name;
    std::vector<std::pair<const char*, const char*>> statuses;  // (call, grid), the last one checked
    std::optional<std::string> locator;
    std::optional<std::string> directoryCall;
  } cases[] = {
      {"four_characters_get_mm", {{"W1XYZ", "em10"}}, "EM10MM", std::nullopt},
      {"six_characters", {{"W1XYZ", "JO62QM"}}, "JO62QM", std::nullopt},
      {"call_without_grid", {{"DL7APV", ""}}, std::nullopt, "DL7APV"},
      {"call_with_bad_grid", {{"DL7APV", "ZZ99"}}, std::nullopt, "DL7APV"},
      {"five_characters_are_no_grid", {{"", "FN42A"}}, std::nullopt, std::nullopt},
      {"empty_call_clears_nothing", {{"W1XYZ", "EM10"}, {"", ""}}, std::nullopt, std::nullopt},
      {"same_station_again_is_left", {{"W1XYZ", "EM10"}, {"W1XYZ", "EM10"}}, std::nullopt,
       std::nullopt},
      {"next_station", {{"W1XYZ", "EM10"}, {"OH2BC", "KP20"}}, "KP20MM", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WsjtxFollower follower;
    FollowCommands last;
    for (const auto& [call, grid] : c.statuses) last = follower.OnStatus(MakeStatus(call, grid), 0);
    EXPECT_EQ(last.station2Locator, c.locator);
    EXPECT_EQ(last.directoryCall, c.directoryCall);
  }
  WsjtxFollower off(FollowSettings{false, true, true});
  EXPECT_FALSE(off.OnStatus(MakeStatus("W1XYZ", "EM10"), 0).station2Locator);
}

TEST(WsjtxFollower, OnlyDialJumpsMoveTheRadio) {
  // WSJT-X 2.6.1 starts with dial 0; then a band, a Doppler move of 3 kHz, a
  // sked frequency 16 kHz away, and the same dial again.
  const std::vector<std::uint64_t> dials = {0, 14'074'000, 14'077'000, 14'093'000, 14'093'000};
  const std::vector<std::optional<double>> expected = {std::nullopt, 14'074'000.0, std::nullopt,
                                                       14'093'000.0, std::nullopt};
  WsjtxFollower follower;
  for (std::size_t i = 0; i < dials.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(follower.OnStatus(MakeStatus("", "", dials[i]), 144e6).dialHz, expected[i]);
  }
  // The first dial is measured against the radio's: close to it, nothing.
  WsjtxFollower fresh;
  EXPECT_FALSE(fresh.OnStatus(MakeStatus("", "", 144'005'000), 144e6).dialHz);
  WsjtxFollower off(FollowSettings{true, true, false});
  EXPECT_FALSE(off.OnStatus(MakeStatus("", "", 14'074'000), 144e6).dialHz);
}

TEST(WsjtxFollower, TransmitStateAndPeriod) {
  WsjtxFollower follower;
  Status s = MakeStatus("", "");
  s.transmitting = true;
  FollowCommands c = follower.OnStatus(s, 0);
  EXPECT_EQ(c.transmitting, true);
  EXPECT_EQ(c.trPeriodSeconds, 15);  // FT8's own period, left unset by WSJT-X
  s.mode = std::string("Q65");
  s.trPeriodSeconds = 60;
  s.transmitting = false;
  c = follower.OnStatus(s, 0);
  EXPECT_EQ(c.transmitting, false);
  EXPECT_EQ(c.trPeriodSeconds, 60);
  s.trPeriodSeconds = kUnset;  // a mode with no period known
  EXPECT_FALSE(follower.OnStatus(s, 0).trPeriodSeconds);
  WsjtxFollower off(FollowSettings{true, false, true});
  EXPECT_FALSE(off.OnStatus(s, 0).transmitting);
}

TEST(WsjtxFollower, TransmitRatesAreForTheMiddleOfTheNextPeriod) {
  const RadioSite home{42.0, 71.0};
  const RadioSite dx{52.5, -13.4};
  // 1700000010 is 30 s into a 60 s period: the next one runs from
  // 1700000040 to 1700000100, its middle at 1700000070.
  const auto rates = RatesForTransmitPeriods(home, dx, 1'700'000'010, 60);
  const auto middle = MoonRangeRatesAt(home, dx, 1'700'000'070);
  const auto now = MoonRangeRatesAt(home, dx, 1'700'000'010);
  ASSERT_TRUE(rates && middle && now);
  EXPECT_EQ(rates->forTransmit.homeMps, middle->homeMps);
  EXPECT_EQ(rates->forTransmit.dxMps, middle->dxMps);
  EXPECT_EQ(rates->now.homeMps, now->homeMps);
  EXPECT_FALSE(RatesForTransmitPeriods(home, dx, 1'700'000'010, 0));
}

TEST(WsjtxFollower, DxAtHomeHearsItsOwnEcho) {
  // A DX station at the home station's own place: the two-station Doppler is
  // the echo's, and the moon stands where it stands at home.
  const std::int64_t utc = 1'700'000'000;
  const GeoPosition at = *LocatorToPosition("FN42AA");
  const RadioSite home{RoundToHundredths(at.latitude), RoundToHundredths(at.longitude)};
  Status s = MakeStatus("K1ABC", "FN42AA", 1'296'000'000);
  const auto figures = DxMoonFigures(home, s, utc);
  ASSERT_TRUE(figures);
  ASSERT_TRUE(figures->twoStationHz && figures->echoHz);
  EXPECT_NEAR(*figures->twoStationHz, *figures->echoHz, 1e-6);
  const auto moon = MoonPosition(home.latitude, home.longitude, utc, TimeBase{});
  ASSERT_TRUE(moon);
  EXPECT_NEAR(figures->azimuth, moon->azimuth, 1e-9);
  EXPECT_NEAR(figures->elevation, moon->elevation, 1e-9);
  s.dialHz = 0;  // no dial yet: directions only
  EXPECT_FALSE(DxMoonFigures(home, s, utc)->twoStationHz);
  EXPECT_FALSE(DxMoonFigures(home, MakeStatus("K1ABC", "", 1), utc));
}

}  // namespace
}  // namespace kelvora::wsjtx

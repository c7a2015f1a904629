// The Radio panel's texts and the dial entry: never a NaN on screen, a typed
// frequency read strictly.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "control/radio_texts.h"

namespace kelvora {
namespace {

TEST(RadioTexts, MissingAndNonFiniteFiguresReadDash) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(HertzText(nan), "-");
  EXPECT_EQ(HertzText(std::nullopt), "-");
  EXPECT_EQ(ShiftText(std::numeric_limits<double>::infinity()), "-");
  EXPECT_EQ(HertzText(1'295'998'704.4), "1295998704");
  EXPECT_EQ(ShiftText(-1296.04), "-1296.0 Hz");

  DopplerFigures figures{};
  figures.echoHz = nan;
  figures.echoPerMinuteHz = -11.44;
  figures.rates.homeElevation = -3.0;
  RadioReport report;
  report.wanted = RadioFrequencies{nan, 1'296'001'296.0};
  report.sentReceiveHz = 1'295'998'704;
  report.lastTunedHz = 500.0;
  report.fault = "F 1: RPRT -1: invalid parameter";
  report.state = RadioState::Tracking;
  const RadioTexts t = MakeRadioTexts(figures, report);
  EXPECT_EQ(t.echo, "-  (-11.4 Hz/min)");
  EXPECT_EQ(t.dx, "no DX station");
  EXPECT_EQ(t.figures, "standard figures, moon below the horizon");
  EXPECT_EQ(t.wanted, "rx -  tx 1296001296");
  EXPECT_EQ(t.sent, "rx 1295998704  tx -");
  EXPECT_EQ(t.heard, "rx -  PTT not reported (taken as receiving)");
  EXPECT_EQ(t.tuned, "+500.0 Hz");
  EXPECT_EQ(t.state, "tracking: F 1: RPRT -1: invalid parameter");

  const RadioTexts idle = MakeRadioTexts(Fail("no radio period has run yet"), std::nullopt);
  EXPECT_EQ(idle.echo, "-");
  EXPECT_EQ(idle.state, "not tracking");
}

TEST(RadioTexts, DialEntry) {
  struct Case {
    const char* name;
    const char* text;
    std::optional<double> hz;
  } cases[] = {
      {"plain_hertz", "1296000000", 1296e6},
      {"exponent", "10368e6", 10368e6},
      {"blanks_and_plus", " +432100000 ", 432.1e6},
      {"fraction_kept", "144000000.5", 144000000.5},
      {"zero", "0", std::nullopt},
      {"negative", "-144000000", std::nullopt},
      {"at_300_ghz", "3e11", std::nullopt},
      {"unit_suffix", "1296 MHz", std::nullopt},
      {"nan", "nan", std::nullopt},
      {"empty", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto hz = ParseDialHz(c.text);
    ASSERT_EQ(hz.ok(), c.hz.has_value()) << (hz ? "" : hz.reason());
    if (hz) {
      EXPECT_EQ(*hz, *c.hz);
    }
  }
}

}  // namespace
}  // namespace kelvora

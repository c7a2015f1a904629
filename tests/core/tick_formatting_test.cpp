// The tick's own formulas and text rules: path loss, degradation, the
// perigee/apogee day words and the phase index.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tick/tick.h"

namespace kelvora {
namespace {

struct DecibelCase {
  const char* name;
  double distanceKm;
  double skyTemperatureK;
  double pathLossDb;     // hand calculation below
  double degradationDb;  // hand calculation below
  const char* pathLossText;
  const char* degradationText;
};

// 40 log10((d - 8110) / 348030) and 10 log10((T + 80) / 245.64) + L:
//   384400 km: 376290 / 348030 = 1.081200 -> 1.35624 dB; 200 K: 280 / 245.64
//     = 1.139879 -> 0.56859 dB, total 1.92483 dB.
//   356140 km: ratio 1 -> 0 dB; 165.64 K: ratio 1 -> 0 dB.
//   406700 km: 398590 / 348030 = 1.145275 -> 2.35639 dB; 3225.66 K (the
//     sky's hottest point): 3305.66 / 245.64 = 13.45734 -> 11.28959 dB,
//     total 13.64598 dB.
const DecibelCase kDecibelCases[] = {
    {"mean_distance_200k", 384400.0, 200.0, 1.35624, 1.92483, "1.36db", "1.92db"},
    {"reference_distance_is_zero", 356140.0, 165.64, 0.0, 0.0, "0.00db", "0.00db"},
    {"apogee_galactic_centre", 406700.0, 3225.66, 2.35639, 13.64598, "2.36db", "13.65db"},
};

class DecibelTest : public testing::TestWithParam<DecibelCase> {};

TEST_P(DecibelTest, FiguresAndTexts) {
  const DecibelCase& c = GetParam();
  const double loss = PathLoss(c.distanceKm);
  const double degradation = Degradation(c.skyTemperatureK, loss);
  EXPECT_NEAR(loss, c.pathLossDb, 5e-5);
  EXPECT_NEAR(degradation, c.degradationDb, 5e-5);
  EXPECT_EQ(PathLossText(loss), c.pathLossText);
  EXPECT_EQ(DegradationText(degradation), c.degradationText);
}

INSTANTIATE_TEST_SUITE_P(Tick, DecibelTest, testing::ValuesIn(kDecibelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TickDecibels, ImpossibleFiguresShowPlaceholder) {
  // A distance at or below 8110 km and a sky below -80 K give the logarithm of
  // a value that is not positive.
  EXPECT_EQ(PathLossText(PathLoss(8110.0)), kNoFigureText);
  EXPECT_EQ(PathLossText(PathLoss(8000.0)), kNoFigureText);
  EXPECT_EQ(DegradationText(Degradation(-90.0, 1.0)), kNoFigureText);
  EXPECT_EQ(DegradationText(std::numeric_limits<double>::infinity()), kNoFigureText);
  EXPECT_EQ(DegradationText(-std::numeric_limits<double>::infinity()), kNoFigureText);
}

struct DaysCase {
  const char* name;
  int days;
  const char* text;
};

const DaysCase kDaysCases[] = {
    {"tomorrow_singular", 1, "in 1 day"},
    {"yesterday_singular", -1, "1 day ago"},
    {"today_uses_plural", 0, "in 0 days"},
    {"three_days_ago", -3, "3 days ago"},
    {"two_weeks_ahead", 14, "in 14 days"},
};

class PerigeeDaysTest : public testing::TestWithParam<DaysCase> {};

TEST_P(PerigeeDaysTest, Words) { EXPECT_EQ(PerigeeDaysText(GetParam().days), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Tick, PerigeeDaysTest, testing::ValuesIn(kDaysCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PhaseCase {
  const char* name;
  int moonDegrees;
  int sunDegrees;
  int phaseIndex;  // hand calculation: d brought into (-180, 180], d*20/180 + 20
};

const PhaseCase kPhaseCases[] = {
    // 190 - 5 = 185 -> -175; -3500/180 = -19 -> 1.
    {"moon_190_sun_5", 190, 5, 1},
    // 5 - 190 = -185 -> 175; 3500/180 = 19 -> 39.
    {"moon_5_sun_190", 5, 190, 39},
    {"together", 120, 120, 20},
    // 8 * 20 / 180 truncates to 0: 20 covers -8..8.
    {"eight_degrees_ahead", 8, 0, 20},
    {"eight_degrees_behind", 0, 8, 20},
    {"nine_degrees_ahead", 9, 0, 21},
    {"nine_degrees_behind", 0, 9, 19},
    // Exactly opposite either way is +180 -> 40.
    {"opposite_plus", 180, 0, 40},
    {"opposite_minus", 0, 180, 40},
    // 359 - 0 = 359 -> -1 -> 20.
    {"across_zero", 359, 0, 20},
    // 360 - 0 = 360 -> 0.
    {"full_turn", 360, 0, 20},
    // 0 - 360 = -360 -> 0.
    {"full_turn_back", 0, 360, 20},
};

class PhaseIndexTest : public testing::TestWithParam<PhaseCase> {};

TEST_P(PhaseIndexTest, Index) {
  const PhaseCase& c = GetParam();
  const int index = PhaseIndex(c.moonDegrees, c.sunDegrees);
  EXPECT_EQ(index, c.phaseIndex);
}

INSTANTIATE_TEST_SUITE_P(Tick, PhaseIndexTest, testing::ValuesIn(kPhaseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TickPhaseIndex, StaysInPictureRange) {
  for (int moon = 0; moon <= 360; moon += 7) {
    for (int sun = 0; sun <= 360; sun += 5) {
      const int index = PhaseIndex(moon, sun);
      ASSERT_GE(index, 0) << moon << " " << sun;
      ASSERT_LE(index, 40) << moon << " " << sun;
    }
  }
}

}  // namespace
}  // namespace kelvora

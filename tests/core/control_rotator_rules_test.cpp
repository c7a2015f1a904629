// Rotator control rules: deadband, lead-ahead, limits and clamps, offsets,
// waiting for the rise.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "control/rotator_rules.h"

namespace kelvora {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ControlInput Still(double az, double el) {
  ControlInput input;
  input.target = {{az, el}, {0, 0}};
  return input;
}

TEST(RotatorRules, LeadAheadIsHalfADeadbandOnTheFasterAxis) {
  // Moon-like motion: 0.004 deg/s in azimuth, 0.002 deg/s in elevation. With
  // a 1 degree deadband the azimuth needs 0.5 / 0.004 = 125 s to move half a
  // band; elevation moves 0.25 degrees in that time.
  RotatorSetup setup;
  ControlInput input;
  input.target = {{180.0, 30.0}, {0.004, 0.002}};
  const ControlDecision d = ControlStep(setup, input);
  EXPECT_EQ(d.action, ControlAction::Send);
  EXPECT_DOUBLE_EQ(d.leadSeconds, 125.0);
  EXPECT_NEAR(d.command.azimuth, 180.5, 1e-9);
  EXPECT_NEAR(d.command.elevation, 30.25, 1e-9);

  // A still target gets no lead; a crawling one never more than the cap.
  EXPECT_EQ(ControlStep(setup, Still(10, 10)).leadSeconds, 0.0);
  input.target.ratePerSecond = {1e-7, 0};
  EXPECT_EQ(ControlStep(setup, input).leadSeconds, kMaxLeadSeconds);
}

TEST(RotatorRules, BeamStraddlesTheTargetBetweenMoves) {
  // A target crossing north at 0.01 deg/s in azimuth, stepped each second,
  // a rotator that arrives at once: the pointing error on the sky never
  // exceeds the deadband, and a move comes once per band and a half of
  // travel (half a band of lead, then a whole band behind).
  for (const double threshold : {0.1, 1.0, 10.0}) {
    SCOPED_TRACE(threshold);
    RotatorSetup setup;
    setup.thresholdDegrees = threshold;
    setup.azimuthRange = AzimuthRange::From0To450;
    ControlInput input;
    int moves = 0;
    double worst = 0;
    const double rate = 0.01;
    const double skyRate = rate * std::cos(40.0 * 3.14159265358979 / 180.0);
    const int seconds = static_cast<int>(3 * threshold / skyRate);
    for (int t = 0; t <= seconds; ++t) {
      const double az = std::fmod(355.0 + rate * t, 360.0);
      input.target = {{az, 40.0}, {rate, 0}};
      input.referenceAzimuth = 355.0 + rate * t;
      const ControlDecision d = ControlStep(setup, input);
      if (d.action == ControlAction::Send) {
        input.lastCommand = d.command;
        input.reported = FromRotatorFrame(setup, d.command);
        ++moves;
      }
      worst = std::max(worst, SkySeparation(*input.reported, {az, 40.0}));
    }
    EXPECT_LE(worst, threshold + skyRate + 1e-9);
    EXPECT_GE(moves, 2);
    EXPECT_LE(moves, 3);
  }
}

TEST(RotatorRules, LimitsTurnsAndClamps) {
  struct Row {
    const char* name;
    AzimuthRange az;
    ElevationRange el;
    double targetAz, targetEl, minimumElevation;
    std::optional<double> reference;
    double commandAz, commandEl;
    bool clamped;
  };
  const Row rows[] = {
      {"plain_0_360", AzimuthRange::From0To360, ElevationRange::From0To90, 200, 30, 0, {}, 200, 30, false},
      {"west_half_of_180", AzimuthRange::FromMinus180To180, ElevationRange::From0To90, 200, 30, 0, {}, -160, 30, false},
      {"overlap_follows_plan", AzimuthRange::From0To450, ElevationRange::From0To90, 20, 30, 0, 375.0, 380, 30, false},
      {"overlap_plan_out_of_reach", AzimuthRange::From0To450, ElevationRange::From0To90, 100, 30, 0, 440.0, 100, 30, false},
      {"north_stop_of_0_360", AzimuthRange::From0To360, ElevationRange::From0To90, 5, 30, 0, 358.0, 5, 30, false},
      {"elevation_above_90", AzimuthRange::From0To360, ElevationRange::From0To90, 100, 95, 0, {}, 100, 90, true},
      {"below_horizon_allowed_by_min", AzimuthRange::From0To360, ElevationRange::From0To90, 100, -3, -5, {}, 100, 0, true},
      {"flip_mount_keeps_95", AzimuthRange::From0To360, ElevationRange::From0To180, 100, 95, 0, {}, 100, 95, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RotatorSetup setup;
    setup.azimuthRange = row.az;
    setup.elevationRange = row.el;
    setup.minimumElevation = row.minimumElevation;
    ControlInput input = Still(row.targetAz, row.targetEl);
    input.referenceAzimuth = row.reference;
    const ControlDecision d = ControlStep(setup, input);
    EXPECT_EQ(d.action, ControlAction::Send);
    EXPECT_NEAR(d.command.azimuth, row.commandAz, 1e-9);
    EXPECT_NEAR(d.command.elevation, row.commandEl, 1e-9);
    EXPECT_EQ(d.clamped, row.clamped);
  }
}

TEST(RotatorRules, DeadbandIsTheSkyAngleToTheReportedPosition) {
  // Separations worked by hand with the haversine rule: 2 degrees of
  // azimuth at elevation 20 is 1.88 degrees on the sky, 180 degrees of
  // azimuth half a degree from the zenith is 1.5.
  struct Row {
    const char* name;
    AzEl target;
    std::optional<AzEl> reported;
    std::optional<AzEl> lastCommand;
    bool approaching;
    ControlAction expected;
  };
  const Row rows[] = {
      {"no_reading_yet", {100, 20}, {}, AzEl{100, 20}, false, ControlAction::Send},
      {"azimuth_degrees_are_not_sky", {100, 20}, AzEl{102, 20}, {}, false, ControlAction::Hold},
      {"elevation_off", {100, 20}, AzEl{100, 17.9}, AzEl{100, 20}, false, ControlAction::Send},
      {"near_zenith_across", {0.5, 89.5}, AzEl{180.5, 89.0}, {}, false, ControlAction::Hold},
      {"on_its_way", {100, 20}, AzEl{60, 10}, AzEl{100, 20}, true, ControlAction::Hold},
      {"hand_moved_away", {100, 20}, AzEl{60, 10}, AzEl{100, 20}, false, ControlAction::Send},
      {"on_its_way_to_a_stale_command", {100, 20}, AzEl{60, 10}, AzEl{90, 20}, true,
       ControlAction::Send},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RotatorSetup setup;
    setup.thresholdDegrees = 2.0;
    ControlInput input = Still(row.target.azimuth, row.target.elevation);
    input.reported = row.reported;
    input.lastCommand = row.lastCommand;
    input.approaching = row.approaching;
    EXPECT_EQ(ControlStep(setup, input).action, row.expected);
  }
  EXPECT_NEAR(SkySeparation({100, 20}, {102, 20}), 1.879, 0.001);
  EXPECT_NEAR(SkySeparation({0.5, 89.5}, {180.5, 89.0}), 1.5, 1e-9);
}

TEST(RotatorRules, CalibrationOffsetsAndTheFlipRoundTrip) {
  RotatorSetup setup;
  setup.azimuthOffset = 2.5;
  setup.elevationOffset = -1.0;
  setup.elevationRange = ElevationRange::From0To180;
  const ControlDecision d = ControlStep(setup, Still(359.0, 30.0));
  EXPECT_NEAR(d.command.azimuth, 1.5, 1e-9);  // 359 + 2.5 wraps past north
  EXPECT_NEAR(d.command.elevation, 29.0, 1e-9);

  for (const bool flipped : {false, true}) {
    for (double az = 0.5; az < 360; az += 37.25) {
      for (double el = 0; el < 90; el += 15) {  // the zenith has no azimuth
        SCOPED_TRACE(::testing::Message() << flipped << " " << az << " " << el);
        const AzEl reading = ToRotatorFrame(setup, {az, el}, flipped);
        const AzEl back = FromRotatorFrame(setup, reading);
        EXPECT_NEAR(AzimuthDifference(back.azimuth, az), 0.0, 1e-9);
        EXPECT_NEAR(back.elevation, el, 1e-9);
        EXPECT_GT(back.azimuth, 0.0);
        EXPECT_LE(back.azimuth, 360.0);
      }
    }
  }
}

TEST(RotatorRules, BelowMinimumElevationWaitsAtTheRiseOrHolds) {
  RotatorSetup setup;
  setup.minimumElevation = 5.0;
  ControlInput input = Still(80.0, 2.0);
  ControlDecision d = ControlStep(setup, input);
  EXPECT_EQ(d.action, ControlAction::Hold);
  EXPECT_EQ(d.reason, ControlReason::NoRise);

  input.waitDirection = AzEl{75.0, 5.0};
  d = ControlStep(setup, input);
  EXPECT_EQ(d.action, ControlAction::Send);
  EXPECT_EQ(d.reason, ControlReason::WaitingForRise);
  EXPECT_NEAR(d.command.azimuth, 75.0, 1e-9);
  EXPECT_NEAR(d.command.elevation, 5.0, 1e-9);
}

TEST(RotatorRules, NothingNotANumberIsCommanded) {
  RotatorSetup setup;
  const ControlInput inputs[] = {Still(kNaN, 10), Still(10, kNaN),
                                 ControlInput{{{10, 10}, {kNaN, 0}}, {}, false, {}, {}, false, {}},
                                 ControlInput{{{10, -10}, {0, 0}}, {}, false, {}, AzEl{kNaN, 0}, false, {}}};
  for (const ControlInput& input : inputs) {
    const ControlDecision d = ControlStep(setup, input);
    EXPECT_NE(d.action, ControlAction::Send);
  }
}

TEST(RotatorRules, SetupBounds) {
  struct Row {
    const char* name;
    RotatorSetup setup;
    bool ok;
  };
  const auto with = [](auto change) {
    RotatorSetup s;
    change(s);
    return s;
  };
  const Row rows[] = {
      {"defaults", RotatorSetup{}, true},
      {"finest_threshold", with([](RotatorSetup& s) { s.thresholdDegrees = 0.1; }), true},
      {"threshold_too_fine", with([](RotatorSetup& s) { s.thresholdDegrees = 0.05; }), false},
      {"threshold_too_coarse", with([](RotatorSetup& s) { s.thresholdDegrees = 10.5; }), false},
      {"threshold_nan", with([](RotatorSetup& s) { s.thresholdDegrees = kNaN; }), false},
      {"min_el_too_high", with([](RotatorSetup& s) { s.minimumElevation = 61; }), false},
      {"offset_too_large", with([](RotatorSetup& s) { s.azimuthOffset = -31; }), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(CheckSetup(row.setup).ok(), row.ok);
  }
}

}  // namespace
}  // namespace kelvora

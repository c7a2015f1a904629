// Cable wrap over real moon passes and a made-up pass that needs an unwind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "astro/moon.h"
#include "control/rotator_target.h"
#include "control/wrap_planner.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2024Mar1 = 1709251200;  // 2024-03-01 00:00:00 UTC

// Southern site: the moon culminates in the north and crosses it every pass.
constexpr ControlSite kCanberra{-35.3, -149.1};
// Northern site: the moon culminates in the south.
constexpr ControlSite kHouston{29.42, 95.36};

// The first whole moon pass after `from` (from rise to set), sampled each minute.
std::vector<PassSample> NextMoonPass(ControlSite site, std::int64_t from) {
  const TargetFunction moon = MakeTargetFunction(RotatorTarget{}, site);
  std::int64_t t = from;
  while (moon(t)->elevation >= 0) t += kPassStepSeconds;  // finish a pass under way
  while (moon(t)->elevation < 0) t += kPassStepSeconds;
  return SamplePass(moon, t, 0.0);
}

RotatorSetup WithRange(AzimuthRange az, ElevationRange el = ElevationRange::From0To90) {
  RotatorSetup setup;
  setup.azimuthRange = az;
  setup.elevationRange = el;
  return setup;
}

// Every planned azimuth is inside the limits and stands for the true one;
// returns the largest jump between neighbouring samples.
double CheckFollowsPass(const WrapPlan& plan, const std::vector<PassSample>& pass,
                        const RotatorSetup& setup) {
  const AngleLimits limits = LimitsOf(setup.azimuthRange);
  EXPECT_EQ(plan.azimuths.size(), pass.size());
  double largestJump = 0;
  for (std::size_t i = 0; i < plan.azimuths.size(); ++i) {
    const double a = plan.azimuths[i];
    EXPECT_GE(a, limits.min);
    EXPECT_LE(a, limits.max);
    const AzEl expected = ToRotatorFrame(setup, pass[i].direction, plan.flipped);
    EXPECT_NEAR(AzimuthDifference(a, expected.azimuth), 0.0, 1e-9);
    if (i > 0) largestJump = std::max(largestJump, std::fabs(a - plan.azimuths[i - 1]));
  }
  return largestJump;
}

std::vector<double> Continuous(const std::vector<PassSample>& pass) {
  std::vector<double> track;
  for (const PassSample& s : pass) {
    track.push_back(track.empty() ? s.direction.azimuth
                                  : NearestTurn(s.direction.azimuth, track.back()));
  }
  return track;
}

TEST(WrapPlanner, OverlapCarriesANorthCrossingPassWithoutAStop) {
  // A month of passes at the southern site, each crossing north, on a 0-450
  // rotator. Those whose continuous azimuth track fits some turn of 0-450
  // (checked here by brute force: the moon north of the equator, rising
  // north of east) run without an unwind or a jump; the rest must unwind.
  const RotatorSetup setup = WithRange(AzimuthRange::From0To450);
  std::int64_t from = k2024Mar1;
  int carried = 0;
  for (int n = 0; n < 28; ++n) {
    SCOPED_TRACE(n);
    const auto pass = NextMoonPass(kCanberra, from);
    ASSERT_GT(pass.size(), 300u);
    from = pass.back().utc + 3600;
    bool crossed = false;
    for (std::size_t i = 1; i < pass.size(); ++i) {
      crossed |= std::fabs(pass[i].direction.azimuth - pass[i - 1].direction.azimuth) > 180;
    }
    EXPECT_TRUE(crossed);
    const std::vector<double> track = Continuous(pass);
    const auto [low, high] = std::minmax_element(track.begin(), track.end());
    bool fits = false;
    for (int k = -2; k <= 2; ++k) fits |= *low + 360.0 * k >= 0 && *high + 360.0 * k <= 450;

    const WrapPlan plan = PlanWrap(pass, setup, std::nullopt);
    EXPECT_EQ(plan.unwind.has_value(), !fits);
    const double jump = CheckFollowsPass(plan, pass, setup);
    if (fits) {
      EXPECT_LT(jump, 5.0);
      ++carried;
    }
  }
  EXPECT_GE(carried, 8);
}

TEST(WrapPlanner, FlipOverMountTakesTheBackSideInsteadOfUnwinding) {
  // Northern site, stops at south (-180..180): the near side must unwind at
  // the culmination; the back side of a flip-over mount does not.
  const auto pass = NextMoonPass(kHouston, k2024Mar1);
  const RotatorSetup plain = WithRange(AzimuthRange::FromMinus180To180);
  const WrapPlan unwinding = PlanWrap(pass, plain, std::nullopt);
  ASSERT_TRUE(unwinding.unwind);

  const RotatorSetup flip = WithRange(AzimuthRange::FromMinus180To180, ElevationRange::From0To180);
  const WrapPlan plan = PlanWrap(pass, flip, std::nullopt);
  EXPECT_TRUE(plan.flipped);
  EXPECT_FALSE(plan.unwind);
  EXPECT_LT(CheckFollowsPass(plan, pass, flip), 5.0);
}

// Independent check of the unwind choice: try every split and every pair
// of turns by brute force; the lowest elevation among the splits that work.
std::optional<std::size_t> LowestWorkingSplit(const std::vector<double>& track,
                                              const std::vector<PassSample>& pass,
                                              AngleLimits limits) {
  const auto fits = [&](std::size_t from, std::size_t to) {
    for (int k = -3; k <= 3; ++k) {
      bool all = true;
      for (std::size_t i = from; i < to && all; ++i) {
        all = track[i] + 360.0 * k >= limits.min && track[i] + 360.0 * k <= limits.max;
      }
      if (all) return true;
    }
    return false;
  };
  std::optional<std::size_t> best;
  for (std::size_t s = 1; s < track.size(); ++s) {
    if (!fits(0, s) || !fits(s, track.size())) continue;
    if (!best || pass[s].direction.elevation < pass[*best].direction.elevation) best = s;
  }
  return best;
}


TEST(WrapPlanner, UnavoidableUnwindComesAtTheLowestWorkingElevation) {
  struct Row {
    const char* name;
    std::vector<PassSample> pass;
    AzimuthRange range;
  };
  // Made up: 420 degrees of azimuth from 300, the elevation dipping twice;
  // on 0-450 only splits while the track is between 360 and 450 work, and
  // the deeper dip (at 600) is outside them.
  std::vector<PassSample> spiral;
  for (int i = 0; i <= 420; ++i) {
    const double u = 300.0 + i;
    const double el = 40 - 25 * std::exp(-std::pow((u - 400) / 15, 2)) -
                      35 * std::exp(-std::pow((u - 600) / 15, 2));
    spiral.push_back({k2024Mar1 + 60LL * i, {std::fmod(u, 360.0) == 0 ? 360.0 : std::fmod(u, 360.0), el}});
  }
  const Row rows[] = {
      {"spiral_on_overlap", spiral, AzimuthRange::From0To450},
      {"southern_pass_on_0_360", NextMoonPass(kCanberra, k2024Mar1), AzimuthRange::From0To360},
      {"northern_pass_on_180", NextMoonPass(kHouston, k2024Mar1), AzimuthRange::FromMinus180To180},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RotatorSetup setup = WithRange(row.range);
    const WrapPlan plan = PlanWrap(row.pass, setup, std::nullopt);
    ASSERT_TRUE(plan.unwind);
    const auto expected = LowestWorkingSplit(Continuous(row.pass), row.pass, LimitsOf(row.range));
    ASSERT_TRUE(expected);
    EXPECT_EQ(plan.unwind->utc, row.pass[*expected].utc);
    EXPECT_DOUBLE_EQ(plan.unwind->elevation, row.pass[*expected].direction.elevation);
    // One swing of a whole turn, nowhere else a jump.
    EXPECT_NEAR(std::fabs(plan.unwind->toAzimuth - plan.unwind->fromAzimuth), 360.0, 5.0);
    int jumps = 0;
    for (std::size_t i = 1; i < plan.azimuths.size(); ++i) {
      jumps += std::fabs(plan.azimuths[i] - plan.azimuths[i - 1]) > 180;
    }
    EXPECT_EQ(jumps, 1);
    CheckFollowsPass(plan, row.pass, setup);
  }
  // The spiral's unwind is at its shallow dip near 400 (40 in true azimuth),
  // not at the deeper one near 600 that no working split reaches.
  const WrapPlan plan = PlanWrap(rows[0].pass, WithRange(AzimuthRange::From0To450), std::nullopt);
  EXPECT_NEAR(plan.unwind->elevation, 15.0, 0.5);
}

TEST(WrapPlanner, TieBetweenTurnsGoesToTheShorterSlew) {
  // A short pass from 20 to 60 degrees fits both 20-60 and 380-420 on 0-450.
  std::vector<PassSample> pass;
  for (int i = 0; i <= 40; ++i) pass.push_back({k2024Mar1 + 60LL * i, {20.0 + i, 30.0}});
  const RotatorSetup setup = WithRange(AzimuthRange::From0To450);
  EXPECT_NEAR(PlanWrap(pass, setup, 10.0).azimuths.front(), 20.0, 1e-9);
  EXPECT_NEAR(PlanWrap(pass, setup, 400.0).azimuths.front(), 380.0, 1e-9);
  EXPECT_NEAR(*PlanWrap(pass, setup, 400.0).AzimuthAt(k2024Mar1 + 600), 390.0, 1e-9);
  EXPECT_TRUE(PlanWrap({}, setup, std::nullopt).azimuths.empty());
}

}  // namespace
}  // namespace kelvora

// The sked planner: window edges, figures, reasons and the many-stations list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "plan/plan_stations.h"
#include "plan/sked_plan.h"
#include "precise/libration.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC
constexpr std::int64_t kDay = 86400;

// Intervals where the mutual margin is >= 0, second by second.
std::vector<SecondsInterval> BruteForce(const PlanSite& home, const PlanSite& dx,
                                        std::int64_t begin, std::int64_t end) {
  std::vector<SecondsInterval> out;
  bool open = false;
  for (std::int64_t t = begin; t <= end; ++t) {
    const bool up = *MutualMargin(home, dx, t) >= 0.0;
    if (up && !open) out.push_back({t, t});
    if (up) out.back().last = t;
    open = up;
  }
  return out;
}

TEST(PlanSkeds, EdgesMatchAOneSecondScanAtRandomPairsAndDates) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> latitude(-70.0, 70.0);
  std::uniform_real_distribution<double> longitude(-180.0, 180.0);
  std::uniform_real_distribution<double> minElevation(-2.0, 30.0);
  std::uniform_int_distribution<std::int64_t> moment(-1500000000LL, 3500000000LL);
  // Five pairs of one day each keep the second-by-second scan affordable.
  constexpr int kCases = 5;
  for (int row = 0; row < kCases; ++row) {
    const PlanSite home{latitude(random), longitude(random), minElevation(random)};
    const PlanSite dx{latitude(random), longitude(random), minElevation(random)};
    const std::int64_t start = moment(random);
    const PlanRequest request{home, dx, start, kDay, kPlanDefaultFrequencyHz};
    SCOPED_TRACE("random_pair_" + std::to_string(row) + " start " + std::to_string(start));
    ASSERT_TRUE(CheckPlanRequest(request).ok());
    const SkedPlan plan = PlanSkeds(request);
    const std::vector<SecondsInterval> brute = BruteForce(home, dx, start, start + kDay);
    // Every brute-force window of two minutes or more is found, edges within 30 s.
    for (const SecondsInterval& b : brute) {
      if (b.last - b.first < 120) continue;
      bool found = false;
      for (const SkedWindow& w : plan.windows) {
        if (std::llabs(w.startUtc - b.first) <= 30 && std::llabs(w.endUtc - b.last) <= 30) {
          found = true;
        }
      }
      EXPECT_TRUE(found) << "missed " << b.first << ".." << b.last;
    }
    // And nothing is found that the scan does not see.
    for (const SkedWindow& w : plan.windows) {
      bool matched = false;
      for (const SecondsInterval& b : brute) {
        if (std::llabs(w.startUtc - b.first) <= 30 && std::llabs(w.endUtc - b.last) <= 30) {
          matched = true;
        }
      }
      EXPECT_TRUE(matched) << "spurious " << w.startUtc << ".." << w.endUtc;
    }
  }
}

TEST(PlanSkeds, IdenticalStationsGiveTheHomeMoonUpIntervals) {
  const PlanSite home{29.42, 95.36, 10.0};
  const std::int64_t start = k2000Noon;
  const SkedPlan plan = PlanSkeds({home, home, start, 7 * kDay, kPlanDefaultFrequencyHz});
  const std::vector<SecondsInterval> up = MoonUpIntervals(home, start, start + 7 * kDay);
  ASSERT_EQ(plan.windows.size(), up.size());
  ASSERT_FALSE(up.empty());
  for (std::size_t i = 0; i < up.size(); ++i) {
    EXPECT_EQ(plan.windows[i].startUtc, up[i].first);
    EXPECT_EQ(plan.windows[i].endUtc, up[i].last);
    // Both edges sit where the elevation crosses the minimum.
    if (!plan.windows[i].startsBeforeSpan) {
      EXPECT_LT(*PlanMoonElevation(home, up[i].first - 1), 10.0);
      EXPECT_GE(*PlanMoonElevation(home, up[i].first), 10.0);
    }
    if (!plan.windows[i].endsAfterSpan) {
      EXPECT_GE(*PlanMoonElevation(home, up[i].last), 10.0);
      EXPECT_LT(*PlanMoonElevation(home, up[i].last + 1), 10.0);
    }
    // One station's polarity offset against itself is nil, its echo Doppler
    // is twice the one-way shift.
    EXPECT_NEAR(plan.windows[i].middle.polarityOffset, 0.0, 1e-9);
  }
}

TEST(PlanSkeds, WindowFiguresHangTogether) {
  const PlanRequest request{
      {29.42, 95.36, 10.0}, {51.5, 0.1, 15.0}, 1700000000, 31 * kDay, 432.0e6};
  const SkedPlan plan = PlanSkeds(request);
  ASSERT_GE(plan.windows.size(), 15u);
  int best = 0;
  double bestScore = -1.0;
  for (const SkedWindow& w : plan.windows) {
    SCOPED_TRACE(w.startUtc);
    EXPECT_GE(w.start.home.elevation, 10.0 - 1e-9);
    EXPECT_GE(w.end.dx.elevation, 15.0 - 1e-9);
    EXPECT_GT(w.start.home.azimuth, 0.0);
    EXPECT_LE(w.start.home.azimuth, 360.0);
    EXPECT_GE(w.bestUtc, w.startUtc);
    EXPECT_LE(w.bestUtc, w.endUtc);
    // The peak beats every ten-minute sample of the window.
    for (std::int64_t t = w.startUtc; t <= w.endUtc; t += 600) {
      EXPECT_GE(w.bestElevation + 1e-6,
                std::min(*PlanMoonElevation(request.home, t), *PlanMoonElevation(request.dx, t)));
    }
    EXPECT_GE(w.degradationWorst, w.degradationMiddle);
    EXPECT_GT(w.skyTemperature, 0.0);
    EXPECT_EQ(w.sunNear, w.sunSeparation < kSunNoiseSeparationDeg);
    EXPECT_GT(w.middle.polarityOffset, -90.0);
    EXPECT_LE(w.middle.polarityOffset, 90.0);
    // 432 MHz: the two-station shift stays within a few kHz.
    EXPECT_LT(std::fabs(w.dopplerStartHz), 3000.0);
    EXPECT_GE(w.score, 0.0);
    EXPECT_LE(w.score, 100.0);
    // The path's spread at the middle is the accurate figures' own, and no
    // ten-minute sample exceeds the window's largest by more than the
    // sampling can miss.
    const std::int64_t middle = w.startUtc + (w.endUtc - w.startUtc) / 2;
    const precise::Site home{29.42, 95.36, 0.0};
    const precise::Site dx{51.5, 0.1, 0.0};
    const auto there = precise::MicrowaveAt(*precise::PrepareMoment(middle), home, dx, 432.0e6);
    ASSERT_TRUE(w.spreadMiddleHz && w.spreadLargestHz && w.pathDelayS);
    EXPECT_NEAR(*w.spreadMiddleHz, *there->pathSpreadHz, 1e-3);
    EXPECT_NEAR(*w.pathDelayS, *there->pathDelayS, 1e-9);
    for (std::int64_t t = w.startUtc; t <= w.endUtc; t += 600) {
      const auto sample = precise::MicrowaveAt(*precise::PrepareMoment(t), home, dx, 432.0e6);
      EXPECT_LE(*sample->pathSpreadHz, *w.spreadLargestHz * 1.01);
    }
    if (w.best) ++best;
    bestScore = std::max(bestScore, w.score);
  }
  EXPECT_EQ(best, 1);
  for (const SkedWindow& w : plan.windows) {
    if (w.best) {
      EXPECT_EQ(w.score, bestScore);
    }
  }
}

// Before 1960 the accurate figures do not reach: the window has no spread
// and no delay rather than a made-up one.
TEST(PlanSkeds, NoSpreadBeforeTheAccurateYears) {
  const SkedPlan plan =
      PlanSkeds({{29.42, 95.36, 10.0}, {51.5, 0.1, 10.0}, -500000000, 3 * kDay, 10368e6});
  ASSERT_FALSE(plan.windows.empty());
  for (const SkedWindow& w : plan.windows) {
    EXPECT_FALSE(w.spreadMiddleHz || w.spreadLargestHz || w.pathDelayS);
  }
}

TEST(PlanSkeds, EmptyPlansSayWhy) {
  struct Row {
    const char* name;
    PlanSite home;
    PlanSite dx;
    const char* reason;
  };
  const Row rows[] = {
      // The moon's declination never passes 29 degrees: from the pole it
      // stands no higher than that.
      {"home_at_the_pole",
       {90.0, 0.0, 40.0},
       {51.5, 0.1, 10.0},
       "the moon never rises above 40° at the home station in these 7 days"},
      {"dx_at_the_pole",
       {29.42, 95.36, 10.0},
       {-90.0, 0.0, 35.0},
       "the moon never rises above 35° at the DX station in these 7 days"},
      // Antipodes: one sees the moon high only when the other does not.
      {"antipodes",
       {29.42, 95.36, 10.0},
       {-29.42, -84.64, 10.0},
       "the moon never rises above 10° at both stations in these 7 days"},
      {"antipodes_own_minima",
       {29.42, 95.36, 5.0},
       {-29.42, -84.64, 10.0},
       "the moon is never above 5° at the home station and 10° at the DX station at once in "
       "these 7 days"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const PlanRequest request{row.home, row.dx, k2000Noon, 7 * kDay, kPlanDefaultFrequencyHz};
    ASSERT_TRUE(CheckPlanRequest(request).ok());
    const SkedPlan plan = PlanSkeds(request);
    EXPECT_TRUE(plan.windows.empty());
    EXPECT_EQ(plan.emptyReason, row.reason);
  }
}

TEST(PlanSkeds, RefusesBadRequests) {
  const PlanRequest good{{29.42, 95.36, 10.0}, {51.5, 0.1, 10.0}, k2000Noon, 7 * kDay, 144e6};
  ASSERT_TRUE(CheckPlanRequest(good).ok());
  struct Row {
    const char* name;
    PlanRequest request;
    const char* message;
  };
  auto with = [&](auto change) {
    PlanRequest r = good;
    change(r);
    return r;
  };
  const Row rows[] = {
      {"span_32_days", with([](PlanRequest& r) { r.spanSeconds = 32 * kDay; }),
       "the span must be 1 to 31 days"},
      {"min_el_61", with([](PlanRequest& r) { r.home.minElevation = 61; }),
       "the home station's minimum elevation must be between -2 and 60 degrees"},
      {"dx_min_el_minus_3", with([](PlanRequest& r) { r.dx.minElevation = -3; }),
       "the DX station's minimum elevation must be between -2 and 60 degrees"},
      {"min_el_nan", with([](PlanRequest& r) { r.dx.minElevation = std::nan(""); }),
       "the DX station's minimum elevation must be between -2 and 60 degrees"},
      {"latitude_91", with([](PlanRequest& r) { r.dx.latitude = 91; }),
       "the DX station's latitude must be between -90 and 90 degrees"},
      {"frequency_zero", with([](PlanRequest& r) { r.frequencyHz = 0; }),
       "the frequency must be a positive number of hertz"},
      {"year_2100", with([](PlanRequest& r) { r.startUtc = LastSupportedSecond() - 3 * kDay; }),
       "the plan must start at 1901-01-01T01:00:00Z or later and end by 2099-12-31T22:59:59Z: "
       "the moon theory covers the years 1901-2099 and the planner keeps an hour from their "
       "ends"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Status checked = CheckPlanRequest(row.request);
    EXPECT_EQ(checked.ok() ? "accepted" : checked.reason(), row.message);
  }
}

TEST(PlanFigures, MoonSunSeparationAgreesWithEclipticCoordinates) {
  // Independent route: the sun lies on the ecliptic, so the separation is
  // acos(cos(beta_moon) cos(lambda_moon - lambda_sun)), from the ecliptic
  // longitudes and latitude rather than right ascension and declination.
  // The small difference left comes from the two routines' obliquities.
  for (std::int64_t t = k2000Noon; t < k2000Noon + 60 * kDay; t += 86400 / 3 + 17) {
    const MoonFix moon = *MoonPosition(0, 0, t, TimeBase{});
    const SunFix sun = SunPosition(0, 0, t, TimeBase{});
    const double expected = std::acos(std::cos(moon.eclipticLatitude) *
                                      std::cos(moon.eclipticLongitude - sun.eclipticLongitude)) *
                            kRadToDeg;
    EXPECT_NEAR(*MoonSunSeparation(t), expected, 0.05) << t;
  }
  // Past the years the moon theory covers the figures are refused, not NaN.
  const std::int64_t in2150 = 5680281600;
  EXPECT_FALSE(MoonSunSeparation(in2150).ok());
  EXPECT_EQ(PlanMoonElevation(PlanSite{}, in2150).kind(), FailureKind::kRefused);
}

TEST(PlanFigures, EchoDopplerMatchesTheReferenceRangeRate) {
  // 2000-01-01 12:00 UT at 29.42 N 95.36 W: geometric topocentric range rate
  // -200.94 m/s (swetest). Echo Doppler = -2 f rate / c = +193.03 Hz at
  // 144 MHz. The accurate figures hold it to a tenth of a m/s, the standard
  // theory to about two.
  const double expected = 2.0 * 144e6 * 200.94 / 299792458.0;
  EXPECT_NEAR(*TwoStationDoppler(29.42, 95.36, 29.42, 95.36, k2000Noon, 144e6), expected, 0.2);
  EXPECT_NEAR(*StandardTwoStationDoppler(29.42, 95.36, 29.42, 95.36, k2000Noon, 144e6), expected,
              2.0);
  // Swapping the stations changes nothing; the shift scales with frequency.
  const double ab = *TwoStationDoppler(29.42, 95.36, 51.5, 0.1, k2000Noon, 144e6);
  EXPECT_DOUBLE_EQ(ab, *TwoStationDoppler(51.5, 0.1, 29.42, 95.36, k2000Noon, 144e6));
  EXPECT_NEAR(*TwoStationDoppler(29.42, 95.36, 51.5, 0.1, k2000Noon, 1296e6), 9.0 * ab, 1e-6);
  // Before 1960 the standard theory answers alone.
  constexpr std::int64_t k1950 = -631152000;
  EXPECT_EQ(*TwoStationDoppler(29.42, 95.36, 51.5, 0.1, k1950, 144e6),
            *StandardTwoStationDoppler(29.42, 95.36, 51.5, 0.1, k1950, 144e6));
}

std::string ResourcePath(const char* name) {
  return std::string(KELVORA_RESOURCE_DIR) + "/" + name;
}

TEST(PlanStations, DirectoryLocatorsAndPositions) {
  const auto loaded = LoadStationDirectory(ResourcePath("EME.DTA"));
  ASSERT_TRUE(loaded.ok());
  const StationDirectory& directory = *loaded;
  EXPECT_EQ(directory.stations.size(), 31u);
  // The bad records of the sample are named; the one after the end line is not read.
  EXPECT_EQ(directory.skipped.size(), 4u);

  const auto found = FindStationByCall(directory, "qb2ce");
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found->locator, "EL29HK");
  EXPECT_NEAR(found->latitude, 29.44, 1e-9);
  EXPECT_NEAR(found->longitude, 95.38, 1e-9);

  constexpr FailureKind kNotFound = FailureKind::kNotFound;
  constexpr FailureKind kRefused = FailureKind::kRefused;
  struct Row {
    const char* name;
    Result<PlanStation> result;
    const char* error;  // nullptr: a station
    FailureKind kind;
  };
  const Row rows[] = {
      {"unknown_call", FindStationByCall(directory, "QX1ZZ"),
       "call QX1ZZ is not in the EME directory", kNotFound},
      {"prefix_is_not_a_call", FindStationByCall(directory, "QK"),
       "call QK is not in the EME directory", kNotFound},
      {"call_with_unusable_locator", FindStationByCall(directory, "qz9badb"),
       "call QZ9BADB is in the EME directory, but its locator ('ZZ55AA') is not one the "
       "planner can place",
       kNotFound},
      {"four_char_locator", StationFromLocator("fn42"), nullptr, kRefused},
      {"subsquare_y", StationFromLocator("FN42LY"),
       "'FN42LY' is not a locator (2, 4 or 6 characters: A-R A-R 0-9 0-9 A-X A-X)", kRefused},
      {"five_chars", StationFromLocator("FN42L"),
       "'FN42L' is not a locator (2, 4 or 6 characters: A-R A-R 0-9 0-9 A-X A-X)", kRefused},
      {"field_s", StationFromLocator("SN42"),
       "'SN42' is not a locator (2, 4 or 6 characters: A-R A-R 0-9 0-9 A-X A-X)", kRefused},
      {"latitude_off_the_globe", StationFromPosition(95, 10),
       "the DX latitude must be between -90 and 90 degrees", kRefused},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.error == nullptr) {
      EXPECT_TRUE(row.result.ok());
    } else {
      ASSERT_FALSE(row.result.ok());
      EXPECT_EQ(row.result.reason(), row.error);
      EXPECT_EQ(row.result.kind(), row.kind);
    }
  }
}

TEST(PlanStations, MissingOrDamagedDirectoryIsRefused) {
  const std::string missing = ::testing::TempDir() + "/no_such_folder/EME.DTA";
  const auto none = LoadStationDirectory(missing);
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.reason(), "cannot read the EME directory " + missing);
  EXPECT_EQ(none.kind(), FailureKind::kNotFound);

  const std::string damaged = ::testing::TempDir() + "/plan_damaged_EME.DTA";
  std::ofstream(damaged, std::ios::binary) << "\x01\x02garbage\n\nnot a record at all\n";
  const auto bad = LoadStationDirectory(damaged);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.reason(),
            "the EME directory " + damaged + " holds no station with a usable locator");
}

TEST(PlanStations, WhoCanIWorkListsTheNextWindowOfEachStation) {
  const auto loaded = LoadStationDirectory(ResourcePath("EME.DTA"));
  const StationDirectory& directory = loaded.value();
  const WorkListRequest request{{29.42, 95.36, 10.0}, 10.0, 1700000000, 24, 144e6};
  ASSERT_TRUE(CheckWorkListRequest(request).ok());
  const WorkList list = WhoCanIWork(request, directory.stations);
  EXPECT_EQ(list.rows.size() + list.without.size(), directory.stations.size());
  ASSERT_FALSE(list.rows.empty());
  for (std::size_t i = 0; i < list.rows.size(); ++i) {
    const WorkableStation& row = list.rows[i];
    SCOPED_TRACE(row.station.call);
    EXPECT_LE(row.window.startUtc, request.startUtc + 24 * 3600);
    if (i > 0) {
      EXPECT_GE(row.window.startUtc, list.rows[i - 1].window.startUtc);
    }
    // The same window as a plan for that pair alone finds first.
    const SkedPlan plan = PlanSkeds({request.home,
                                     {row.station.latitude, row.station.longitude, 10.0},
                                     request.startUtc,
                                     2 * kDay,
                                     144e6});
    ASSERT_FALSE(plan.windows.empty());
    EXPECT_EQ(plan.windows.front().startUtc, row.window.startUtc);
    EXPECT_EQ(plan.windows.front().endUtc, row.window.endUtc);
    EXPECT_EQ(row.inProgress, row.window.startUtc == request.startUtc);
  }
  WorkListRequest tooLong = request;
  tooLong.hours = kWorkListMaxHours + 1;
  const Status checked = CheckWorkListRequest(tooLong);
  ASSERT_FALSE(checked.ok());
  EXPECT_EQ(checked.reason(), "the hours must be 1 to 744");
}

TEST(PlanSkeds, CancelFlagStopsTheWork) {
  std::atomic<bool> cancel{true};
  const SkedPlan plan =
      PlanSkeds({{29.42, 95.36, 10.0}, {51.5, 0.1, 10.0}, k2000Noon, 31 * kDay, 144e6}, &cancel);
  EXPECT_TRUE(plan.cancelled);
  EXPECT_TRUE(plan.windows.empty());
  EXPECT_TRUE(plan.emptyReason.empty());
}

}  // namespace
}  // namespace kelvora

// Radio sources, their text lines and the user star.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "astro/sources.h"
#include "astro/time_helpers.h"

namespace kelvora {
namespace {

constexpr std::int64_t k2000Noon = 946728000;  // 2000-01-01 12:00:00 UTC

TEST(RadioSources, MenuTable) {
  struct Row {
    int code;
    int commandId;
    const char* menuText;
    bool available;
  };
  const Row rows[] = {
      {1, 32782, "&Quiet Sky", true},        {2, 32783, "C&assiopeia A", true},
      {3, 32784, "C&entaurus A", false},      {4, 32785, "C&ygnus A", true},
      {5, 32786, "&Galactic Center", true},  {6, 32787, "&Taurus A", false},
      {7, 32788, "&Other (enter ra && dec)", true},
  };
  ASSERT_EQ(RadioSources().size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) {
    const RadioSource& source = RadioSources()[i];
    EXPECT_EQ(source.code, rows[i].code);
    EXPECT_EQ(source.commandId, rows[i].commandId);
    EXPECT_STREQ(source.menuText, rows[i].menuText);
    EXPECT_EQ(source.name != nullptr, rows[i].available) << source.menuText;
    EXPECT_EQ(FindSourceByCode(rows[i].code), &source);
    EXPECT_EQ(FindSourceByCommand(rows[i].commandId), &source);
  }
  EXPECT_EQ(FindSourceByCode(0), nullptr);
  EXPECT_EQ(FindSourceByCommand(32789), nullptr);
}

TEST(FormatSourceLine, SpacingPerSource) {
  const HorizontalFix fix{123.44, -5.06};
  struct Row {
    int code;
    const char* expected;
  };
  const Row rows[] = {
      {1, "Quiet Sky   Az:  123.4\xC2\xB0 El:   -5.1\xC2\xB0"},
      {2, "Cassiopeia A   Az:  123.4\xC2\xB0   El:   -5.1\xC2\xB0"},
      {3, "Not Available"},
      {4, "Cygnus A   Az:  123.4\xC2\xB0   El:   -5.1\xC2\xB0"},
      {5, "Galactic Ctr   Az:  123.4\xC2\xB0   El:   -5.1\xC2\xB0"},
      {6, "Not Available"},
      {7, "My Star   Az:  123.4\xC2\xB0 El:   -5.1\xC2\xB0"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FormatSourceLine(*FindSourceByCode(row.code), fix), row.expected) << row.code;
  }
}

// Spherical astronomy with the library's atan2 and asin, exact pi: the
// independent reference for the source routine.
HorizontalFix Reference(double dec, double raHours, double lat, double westLon, std::int64_t t) {
  const double rad = M_PI / 180;
  const double lst = GreenwichSiderealHours(static_cast<double>(t) / 86400) * 15 - westLon;
  const double lha = (lst - raHours * 15) * rad;
  const double sinAlt =
      std::sin(lat * rad) * std::sin(dec * rad) + std::cos(lat * rad) * std::cos(dec * rad) * std::cos(lha);
  const double alt = std::asin(sinAlt);
  double az = std::atan2(-std::sin(lha) * std::cos(dec * rad),
                         std::sin(dec * rad) * std::cos(lat * rad) -
                             std::cos(dec * rad) * std::sin(lat * rad) * std::cos(lha)) /
              rad;
  if (az <= 0) az += 360;
  return {az, alt / rad};
}

TEST(SourcePosition, AgreesWithSphericalReference) {
  // Tolerance: the routine turns sidereal hours into radians with 0.2617994,
  // 1.2e-8 more than 15 degrees an hour, up to 1.4e-5 degrees at 24 h.
  const double tolerance = 1e-4;
  for (const RadioSource& source : RadioSources()) {
    if (source.name == nullptr) continue;
    for (std::int64_t t = k2000Noon; t < k2000Noon + 2 * 86400; t += 3600 + 61) {
      const HorizontalFix got =
          SourcePosition(source.declination, source.rightAscension, 29.42, 95.36, t, TimeBase{});
      const HorizontalFix want = Reference(source.declination, source.rightAscension, 29.42, 95.36, t);
      EXPECT_NEAR(got.elevation, want.elevation, tolerance) << source.menuText << " " << t;
      double diff = std::abs(got.azimuth - want.azimuth);
      if (diff > 180) diff = 360 - diff;
      // Azimuth errors grow as 1/cos(elevation) toward zenith and nadir.
      EXPECT_LT(diff * std::cos(want.elevation * M_PI / 180), tolerance) << source.menuText << " " << t;
      EXPECT_GT(got.azimuth, 0.0);
      EXPECT_LE(got.azimuth, 360.0);
    }
  }
}

TEST(SourcePosition, OnTheMeridianDueSouth) {
  // The Galactic Centre (dec -28.92) seen from 29.42 N culminates due south
  // at 90 - 29.42 - 28.92 = 31.66 degrees.
  const double lon = 95.36;
  const double ra = 17.71;
  const auto lha = [&](std::int64_t t) {
    double h = GreenwichSiderealHours(static_cast<double>(t) / 86400) * 15 - lon - ra * 15;
    h = std::fmod(h, 360.0);
    if (h > 180) h -= 360;
    if (h < -180) h += 360;
    return h;
  };
  std::int64_t lo = k2000Noon;
  while (!(lha(lo) < 0 && lha(lo + 3600) >= 0)) lo += 3600;
  std::int64_t hi = lo + 3600;
  while (hi - lo > 1) {
    const std::int64_t mid = (lo + hi) / 2;
    (lha(mid) < 0 ? lo : hi) = mid;
  }
  const HorizontalFix fix = SourcePosition(-28.92, ra, 29.42, lon, lo, TimeBase{});
  EXPECT_NEAR(fix.azimuth, 180.0, 0.01);
  EXPECT_NEAR(fix.elevation, 31.66, 0.001);
}

TEST(UserStarLine, ReadsTextsLikeStrtod) {
  const auto line = [](double dec, double ra) {
    return FormatSourceLine(*FindSourceByCode(kSourceUserStar),
                            SourcePosition(dec, ra, 29.42, 95.36, k2000Noon, TimeBase{}));
  };
  struct Row {
    const char* name;
    const char* ra;
    const char* dec;
    double raValue, decValue;
  };
  const Row rows[] = {
      {"empty_texts", "", "", 0, 0},
      {"not_numbers", "abc", "north", 0, 0},
      {"leading_blanks_and_tail", "  12.5h", "\t-30.25 deg", 12.5, -30.25},
      {"plus_sign_and_exponent", "+1.5e1", "4e0", 15, 4},
      {"leading_point", ".5", "-.5", 0.5, -0.5},
      {"double_sign", "+-3", "--2", 0, 0},
      {"hexadecimal", "0x10", "0x", 16, 0},
      {"infinity_is_no_number", "inf", "nan", 0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(UserStarLine(row.ra, row.dec, 29.42, 95.36, k2000Noon, TimeBase{}),
              line(row.decValue, row.raValue))
        << row.name;
  }
  EXPECT_EQ(UserStarLine("", "", 29.42, 95.36, k2000Noon, TimeBase{}).rfind("My Star   Az: ", 0),
            0u);
}

}  // namespace
}  // namespace kelvora

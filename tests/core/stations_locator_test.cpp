// Maidenhead locators, completion, rounding to hundredths and the callers'
// validation rules.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "stations/locator.h"

namespace kelvora {
namespace {

constexpr double kSixDecimals = 5e-7;  // the reference values are given to 6 decimals

struct LocatorCase {
  const char* name;
  const char* text;
  double latitude;
  double longitude;
};

// Reference centres: the sums of field, square and half a subsquare, e.g.
// EM12OV: lat -90 + 10*12 + 2 + 21.5/24 = 32.895833, lon -(-180 + 20*4 + 2*1 + 14.5/12).
class LocatorToPositionTest : public ::testing::TestWithParam<LocatorCase> {};

TEST_P(LocatorToPositionTest, GivesTheSubsquareCentre) {
  const LocatorCase& c = GetParam();
  const auto p = LocatorToPosition(c.text);
  ASSERT_TRUE(p.ok());
  EXPECT_NEAR(p->latitude, c.latitude, kSixDecimals);
  EXPECT_NEAR(p->longitude, c.longitude, kSixDecimals);
}

INSTANTIATE_TEST_SUITE_P(
    ReferenceLocators, LocatorToPositionTest,
    ::testing::Values(LocatorCase{"em12ov_texas", "EM12OV", 32.895833, 96.791667},
                      LocatorCase{"fn55mm_middle_of_field", "FN55MM", 45.520833, 68.958333},
                      LocatorCase{"qf56od_sydney_east", "QF56OD", -33.854167, -151.208333},
                      LocatorCase{"el29hk_default_home", "EL29HK", 29.4375, 95.375},
                      LocatorCase{"jo_two_letters_middle_of_field", "JO", 55.520833, -11.041667},
                      LocatorCase{"fn42_completes_to_mm", "FN42", 42.520833, 70.958333},
                      LocatorCase{"fn42zz_read_as_fn42xx", "FN42ZZ", 42.979167, 70.041667},
                      LocatorCase{"lower_case_accepted", "em12ov", 32.895833, 96.791667}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocatorCompletion, CompletesAndClampsOnlyWhereDefined) {
  struct Row {
    const char* text;
    const char* completed;
  } rows[] = {
      {"fn", "FN55MM"},      {"fn42", "FN42MM"},   {"FN42ZZ", "FN42XX"}, {"FN42YA", "FN42XA"},
      {"FN42Y", "FN42Y"},    {"FN4", "FN4"},       {"F", "F"},           {"", ""},
      {"em12ov", "EM12OV"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CompleteLocator(r.text), r.completed) << r.text;
  }
  // Positions are defined only for texts that complete to six characters.
  EXPECT_FALSE(LocatorToPosition("").ok());
  EXPECT_FALSE(LocatorToPosition("F").ok());
  EXPECT_FALSE(LocatorToPosition("FN4").ok());
  EXPECT_EQ(LocatorToPosition("fn42m").reason(),
            "locator \"FN42M\" names no subsquare: it needs 2, 4 or 6 characters");
  EXPECT_EQ(LocatorToPosition("FN42ZZ")->latitude, LocatorToPosition("FN42XX")->latitude);
}

TEST(PositionToLocator, TruncatesWithoutRounding) {
  struct Row {
    const char* name;
    double latitude;
    double longitude;
    const char* locator;
  } rows[] = {
      {"em12ov_from_rounded_texas", 32.9, 96.8, "EM12OV"},
      {"origin", 0.0, 0.0, "JJ00AA"},
      {"north_west_corner", 89.99, 179.99, "AR09AX"},
      {"south_east_corner", -89.99, -179.99, "RA90XA"},
      // 7 E is the west edge of subsquare M, not the last bit of L.
      {"east_longitude_on_a_subsquare_edge", 45.0, -7.0, "JN35MA"},
      {"default_home", 29.42, 95.36, "EL29HK"},
      // The poles and the antimeridian stay in the last field.
      {"north_pole_at_180_west", 90.0, 180.0, "AR09AX"},
      {"south_pole_at_180_east", -90.0, -180.0, "RA90XA"},
      {"north_pole_at_180_east", 90.0, -180.0, "RR99XX"},
      {"equator_at_180_east", 0.0, -180.0, "RJ90XA"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PositionToLocator(r.latitude, r.longitude), r.locator) << r.name;
  }
}

// Every position on the earth, edges included, gives a real locator.
TEST(PositionToLocator, EveryPositionGivesAValidLocator) {
  for (double latitude = -90.0; latitude <= 90.0; latitude += 2.5) {
    for (double longitude = -180.0; longitude <= 180.0; longitude += 2.5) {
      const std::string locator = PositionToLocator(latitude, longitude);
      const bool valid = locator[0] >= 'A' && locator[0] <= 'R' && locator[1] >= 'A' &&
                         locator[1] <= 'R' && std::isdigit(locator[2]) &&
                         std::isdigit(locator[3]) && locator[4] >= 'A' && locator[4] <= 'X' &&
                         locator[5] >= 'A' && locator[5] <= 'X';
      EXPECT_TRUE(valid) << latitude << ", " << longitude << " gives " << locator;
    }
  }
}

// A position on a grid line belongs to the cell that begins there: every
// whole degree of latitude and every even degree of longitude is the
// south-west corner of its subsquare, whose centre lies 1/48 degree north
// and 1/24 degree east of it.
TEST(PositionToLocator, GridLinesBelongToTheCellTheyBegin) {
  for (int latitude = -89; latitude <= 89; ++latitude) {
    for (int longitude = -178; longitude <= 180; longitude += 2) {
      const std::string locator = PositionToLocator(latitude, longitude);
      const Result<GeoPosition> centre = LocatorToPosition(locator);
      ASSERT_TRUE(centre.ok()) << locator;
      EXPECT_NEAR(centre->latitude - latitude, 1.0 / 48.0, 1e-9)
          << latitude << ", " << longitude << " gives " << locator;
      EXPECT_NEAR(longitude - centre->longitude, 1.0 / 24.0, 1e-9)
          << latitude << ", " << longitude << " gives " << locator;
    }
  }
}

TEST(PositionToLocator, FarOutsideTheEarthStillGivesSixCharacters) {
  for (double v : {1e300, -1e300, 1e20, 700.0, std::nan("")}) {
    EXPECT_EQ(PositionToLocator(v, v).size(), 6u) << v;
  }
}

// The centre of a subsquare is at least 1/48 degree from its edges, so the
// caller's sequence (position, rounding, locator) gives the locator back.
TEST(LocatorRoundTrip, RoundedCentreRegeneratesTheLocator) {
  const int subsquares[] = {0, 7, 11, 23};
  int checked = 0;
  for (char f1 = 'A'; f1 <= 'R'; ++f1) {
    for (char f2 = 'A'; f2 <= 'R'; ++f2) {
      for (char s1 = '0'; s1 <= '9'; ++s1) {
        for (char s2 = '0'; s2 <= '9'; ++s2) {
          for (int a : subsquares) {
            for (int b : subsquares) {
              const std::string loc{f1, f2, s1, s2, static_cast<char>('A' + a),
                                    static_cast<char>('A' + b)};
              const auto p = LocatorToPosition(loc);
              ASSERT_TRUE(p.ok());
              const std::string back = PositionToLocator(RoundToHundredths(p->latitude),
                                                         RoundToHundredths(p->longitude));
              ASSERT_EQ(back, loc);
              ++checked;
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(checked, 18 * 18 * 10 * 10 * 16);
}

TEST(LocatorCallers, CompletedEntriesShowTheRegeneratedLocator) {
  struct Row {
    const char* typed;
    double latitude;
    double longitude;
    const char* shown;
  } rows[] = {
      {"FN42", 42.52, 70.96, "FN42MM"},
      {"EL29HK", 29.44, 95.38, "EL29HK"},
      {"FN42ZZ", 42.98, 70.04, "FN42XX"},
      {"FN", 45.52, 68.96, "FN55MM"},
  };
  for (const Row& r : rows) {
    const auto p = LocatorToPosition(r.typed);
    ASSERT_TRUE(p.ok()) << r.typed;
    const double lat = RoundToHundredths(p->latitude);
    const double lon = RoundToHundredths(p->longitude);
    EXPECT_EQ(lat, r.latitude) << r.typed;
    EXPECT_EQ(lon, r.longitude) << r.typed;
    EXPECT_EQ(PositionToLocator(lat, lon), r.shown) << r.typed;
  }
}

TEST(RoundToHundredths, ExactHalvesGoAwayFromZero) {
  // IO91WM's longitude is exactly 20*(J-I) - 2*9 - 22.5/12 = 0.125.
  const auto io91wm = LocatorToPosition("IO91WM");
  ASSERT_TRUE(io91wm.ok());
  EXPECT_EQ(io91wm->longitude, 0.125);

  struct Row {
    const char* name;
    double value;
    double rounded;
  } rows[] = {
      {"io91wm_longitude", 0.125, 0.13},
      {"el29hk_longitude", 95.375, 95.38},
      {"el29hk_latitude", 29.4375, 29.44},
      {"negative_half", -0.125, -0.13},
      {"half_above_even_digit", 0.375, 0.38},
      // These decimals have no exact double; the double lies below the half
      // (1.005 is 1.00499999999999989...), so they go down.
      {"double_below_half_1_005", 1.005, 1.0},
      {"double_below_half_2_675", 2.675, 2.67},
      // 0.135 is stored as 0.13500000000000000888..., just above the half.
      {"double_above_half_0_135", 0.135, 0.14},
      {"already_hundredths", 42.52, 42.52},
      {"zero", 0.0, 0.0},
      {"whole_degrees", -180.0, -180.0},
      {"just_below_next_whole", 0.999, 1.0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(RoundToHundredths(r.value), r.rounded) << r.name;
  }
  EXPECT_TRUE(std::signbit(RoundToHundredths(-0.001)));
  EXPECT_TRUE(std::isnan(RoundToHundredths(std::nan(""))));
  EXPECT_EQ(RoundToHundredths(INFINITY), INFINITY);
}

// Independent reference: glibc prints the exact decimal expansion of a
// double when asked for enough digits; round that text by hand and read it
// back.
double ReferenceHundredths(double value) {
  char text[512];
  std::snprintf(text, sizeof text, "%.120f", std::fabs(value));
  std::string s(text);
  const std::size_t dot = s.find('.');
  std::string kept = s.substr(0, dot) + s.substr(dot + 1, 2);  // hundredths as digits
  const bool up = s[dot + 3] >= '5';  // the digits after it are >= half iff this is >= 5
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    while (i >= 0 && kept[i] == '9') {
      kept[i--] = '0';
    }
    if (i < 0) {
      kept.insert(kept.begin(), '1');
    } else {
      ++kept[i];
    }
  }
  const std::string decimal =
      kept.substr(0, kept.size() - 2) + "." + kept.substr(kept.size() - 2);
  const double r = std::strtod(decimal.c_str(), nullptr);
  return std::signbit(value) ? -r : r;
}

TEST(RoundToHundredths, MatchesExactDecimalRounding) {
  std::mt19937_64 rng(20240601);
  std::uniform_real_distribution<double> any(-200.0, 200.0);
  std::uniform_int_distribution<int> eighths(-1600 * 8, 1600 * 8);
  for (int i = 0; i < 20000; ++i) {
    const double v = any(rng);
    ASSERT_EQ(RoundToHundredths(v), ReferenceHundredths(v)) << v;
    // Multiples of 1/8 hit exact halves of a hundredth.
    const double e = eighths(rng) / 8.0;
    ASSERT_EQ(RoundToHundredths(e), ReferenceHundredths(e)) << e;
    // Decimals with three places sit next to a half.
    const double d = std::round(v * 1000.0) / 1000.0;
    ASSERT_EQ(RoundToHundredths(d), ReferenceHundredths(d)) << d;
  }
  for (double big : {1234567.125, 98765432.375, 4503599627370.495}) {
    EXPECT_EQ(RoundToHundredths(big), ReferenceHundredths(big)) << big;
  }
}

TEST(Station2GridRule, AcceptsWhatTheFieldRuleAllows) {
  struct Row {
    const char* name;
    const char* completed;
    bool accepted;
  } rows[] = {
      {"four_characters_completed", "FN42MM", true},
      {"subsquare_y_z_pass", "FN42ZZ", true},
      {"field_beyond_r", "FS42MM", false},
      {"first_field_beyond_r", "SN42MM", false},
      {"digit_in_field", "F442MM", false},
      {"subsquare_digit", "FN42M1", false},
      {"two_characters_are_too_few", "FN", false},
      {"five_characters_miss_a_subsquare", "FN42M", false},
      {"empty", "", false},
      {"square_letters_read_as_zero", "FNABMM", true},
      {"square_blank_digit", "FN 9MM", true},
      {"square_negative_fails", "FN-1MM", false},
      {"square_minus_nine_fails", "FN-9MM", false},
      {"square_minus_zero_is_zero", "FN-0MM", true},
      {"square_minus_letter_is_zero", "FN-AMM", true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsAcceptedStation2Grid(r.completed), r.accepted) << r.name;
  }
}

TEST(DirectoryLocatorRule, LettersAndDigitsInTheirPlaces) {
  struct Row {
    const char* name;
    const char* columns;
    bool accepted;
  } rows[] = {
      {"upper_case", "EM12OV", true},
      {"lower_case_is_upper_cased", "em12ov", true},
      {"subsquare_z", "EM12ZZ", true},
      {"field_beyond_r", "EZ12OV", false},
      {"letter_in_square", "EMA2OV", false},
      {"blank_subsquare", "EM12O ", false},
      {"all_blank", "      ", false},
      {"short", "EM12O", false},
      {"empty", "", false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsAcceptedDirectoryLocator(r.columns), r.accepted) << r.name;
  }
}

}  // namespace
}  // namespace kelvora

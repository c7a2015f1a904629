// The standard figures' range rate at a station, the whole of the window's
// Doppler, against an independent ephemeris: tests/data/doppler/range_rates.csv
// (swetest, geometric topocentric range rates with the moon up; see the
// README there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "astro/time_helpers.h"
#include "link/range_rate.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

TEST(StandardRangeRate, WithinHalfAMetrePerSecondOfTheReference) {
  std::ifstream in(std::string(KELVORA_RESOURCE_DIR) + "/../tests/data/doppler/range_rates.csv");
  std::string line;
  std::vector<double> errors;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (std::exchange(header, false)) continue;
    std::istringstream split(line);
    std::string field;
    std::vector<double> v;
    while (std::getline(split, field, ',')) v.push_back(std::stod(field));
    ASSERT_EQ(v.size(), 5u) << line;
    const auto utc = static_cast<std::int64_t>(v[0]);
    const auto rate = StandardRangeRateMps(v[1], v[2], 0.0, utc);
    ASSERT_TRUE(rate.ok()) << line;
    errors.push_back(std::fabs(*rate - v[4]));
    EXPECT_LE(errors.back(), 0.5) << line;
  }
  ASSERT_GE(errors.size(), 2000u) << "reference table missing or short";
  std::sort(errors.begin(), errors.end());
  const auto at = [&errors](double f) {
    return errors[static_cast<std::size_t>(std::ceil(f * static_cast<double>(errors.size()))) - 1];
  };
  std::printf("%zu moments 1901-2099, |standard - reference| m/s: median %.3f p95 %.3f max %.3f\n",
              errors.size(), at(0.5), at(0.95), errors.back());
}

// The rule and the range rate at the ends of the years covered.
TEST(FigureSource, OneRuleAtTheEdges) {
  struct Row {
    std::int64_t utc;
    FigureSource source;
    bool rate;
  } rows[] = {
      {FirstSupportedSecond() - 1, FigureSource::Standard, false},
      {FirstSupportedSecond(), FigureSource::Standard, true},
      {precise::kFirstPreciseSecond - 1, FigureSource::Standard, true},
      {precise::kFirstPreciseSecond, FigureSource::Accurate, true},
      {precise::kLastPreciseSecond, FigureSource::Accurate, true},
      {precise::kLastPreciseSecond + 1, FigureSource::Standard, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(FigureSourceAt(r.utc), r.source) << r.utc;
    EXPECT_EQ(MoonRangeRateMps(29.42, 95.36, 0.0, r.utc).ok(), r.rate) << r.utc;
    // Standard and accurate figures meet within the bound where they hand over.
    if (r.rate) {
      const auto standard = StandardRangeRateMps(29.42, 95.36, 0.0, r.utc);
      const auto either = MoonRangeRateMps(29.42, 95.36, 0.0, r.utc);
      ASSERT_TRUE(standard && either);
      EXPECT_NEAR(*standard, *either, 0.5) << r.utc;
    }
  }
  // No station, no rate.
  EXPECT_FALSE(StandardRangeRateMps(std::nan(""), 95.36, 0.0, 946728000).ok());
  EXPECT_FALSE(StandardRangeRateMps(90.5, 95.36, 0.0, 946728000).ok());
}

}  // namespace
}  // namespace kelvora

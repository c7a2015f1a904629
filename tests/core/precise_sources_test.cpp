// Radio sources and stars carried to a moment and a station, against
// PyEphem's apparent places (tests/data/sources, made by the script there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "link/angles.h"
#include "precise/radio_sources.h"

namespace kelvora::precise {
namespace {

TEST(RadioSources, WithinAHundredthOfADegreeOfPyEphem) {
  std::ifstream in(std::string(KELVORA_RESOURCE_DIR) +
                   "/../tests/data/sources/source_directions.csv");
  std::string line;
  std::vector<double> errors;
  int b1950 = 0;
  bool header = true;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (std::exchange(header, false)) continue;
    std::istringstream split(line);
    std::vector<std::string> f;
    std::string field;
    while (std::getline(split, field, ',')) f.push_back(field);
    ASSERT_EQ(f.size(), 10u) << line;
    const CatalogueEpoch epoch = f[3] == "B1950" ? CatalogueEpoch::B1950 : CatalogueEpoch::J2000;
    b1950 += epoch == CatalogueEpoch::B1950;
    const CataloguePosition position{std::stod(f[1]), std::stod(f[2]), epoch};
    // The script's copy of the catalogue is the program's.
    if (const auto id = RadioSourceFromCode(std::stoi(f[0]))) {
      const CataloguePosition own = CatalogueSource(*id);
      EXPECT_NEAR(own.rightAscensionHours, position.rightAscensionHours, 1e-7) << line;
      EXPECT_NEAR(own.declinationDeg, position.declinationDeg, 1e-7) << line;
    }
    const Site site{std::stod(f[5]), std::stod(f[6]), std::stod(f[7])};
    const auto got = SourceDirectionAt(position, site, std::stoll(f[4]));
    ASSERT_TRUE(got.ok()) << line;
    errors.push_back(AngularSeparationDeg(got->azimuthDeg, got->elevationDeg, std::stod(f[8]),
                                          std::stod(f[9])));
    EXPECT_LE(errors.back(), 0.01) << line;
    EXPECT_GE(got->apparentElevationDeg, got->elevationDeg) << line;
  }
  ASSERT_GE(errors.size(), 2000u) << "reference table missing or short";
  ASSERT_GE(b1950, 500);
  std::sort(errors.begin(), errors.end());
  const auto at = [&errors](double q) {
    return errors[static_cast<std::size_t>(std::ceil(q * static_cast<double>(errors.size()))) - 1];
  };
  std::printf("%zu directions, degrees from PyEphem: median %.5f p95 %.5f max %.5f\n",
              errors.size(), at(0.5), at(0.95), errors.back());
}

TEST(RadioSources, RefusesWhatIsNoPositionMomentOrStation) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const Site houston{29.42, 95.36, 0.0};
  const std::int64_t noon2000 = 946728000;
  struct Row {
    const char* name;
    CataloguePosition position;
    Site site;
    std::int64_t utc;
  } rows[] = {
      {"ra_24h", {24.0, 10.0, CatalogueEpoch::J2000}, houston, noon2000},
      {"ra_negative", {-0.1, 10.0, CatalogueEpoch::J2000}, houston, noon2000},
      {"dec_beyond_pole", {1.0, 90.5, CatalogueEpoch::B1950}, houston, noon2000},
      {"ra_nan", {kNaN, 10.0, CatalogueEpoch::J2000}, houston, noon2000},
      {"before_1960", {1.0, 10.0, CatalogueEpoch::J2000}, houston, kFirstPreciseSecond - 1},
      {"site_too_high", {1.0, 10.0, CatalogueEpoch::J2000}, {29.42, 95.36, 1e5}, noon2000},
  };
  for (const Row& r : rows) {
    EXPECT_FALSE(SourceDirectionAt(r.position, r.site, r.utc).ok()) << r.name;
  }
  EXPECT_FALSE(RadioSourceFromCode(0).has_value());
  EXPECT_FALSE(RadioSourceFromCode(7).has_value());
  EXPECT_EQ(RadioSourceFromCode(6), RadioSourceId::TaurusA);
}

}  // namespace
}  // namespace kelvora::precise

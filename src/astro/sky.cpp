#include "astro/sky.h"

#include <array>
#include <cmath>

#include "astro/astro_internal.h"

namespace kelvora {

namespace {

// Sky background temperature in kelvin, one value per half hour of right
// ascension from 0.0 h to 24.5 h; the last two repeat 0.0 h and 0.5 h so the
// interpolation at the end of the day needs no wrap-around.
constexpr std::array<int, 50> kSkyTemperatureTable = {
    290, 310, 325, 340,  370,  410,  420,  410,  420,  470,   // 0.0 - 4.5 h
    540, 595, 570, 475,  420,  350,  250,  220,  190,  210,   // 5.0 - 9.5 h
    215, 230, 240, 270,  300,  360,  360,  370,  400,  440,   // 10.0 - 14.5 h
    480, 520, 595, 795,  1000, 2200, 3700, 2300, 1000, 690,   // 15.0 - 19.5 h
    440, 390, 380, 400,  320,  280,  280,  280,  290,  310};  // 20.0 - 24.5 h

// Scale from the table's values to the frequency the program works at.
constexpr double kSkyTemperatureScale = 0.8718;

// Radians of right ascension to hours (12 / 3.14159) for the track.
constexpr double kMoonTrackRaToHours = 3.819721860586519;

}  // namespace

double SkyTemperature(double rightAscensionHours) {
  double ra = rightAscensionHours;
  // The table covers [0, 24.5); keep the two entries read inside it.
  if (!(ra >= 0)) ra = 0;
  if (ra > 24) ra = 24;
  const double u = 2 * ra;
  const int i = static_cast<int>(u);
  const double w = u - i;
  const auto at = [](int k) { return kSkyTemperatureTable[static_cast<std::size_t>(k)]; };
  return (at(i) * (1 - w) + at(i + 1) * w) * kSkyTemperatureScale;
}

Result<MoonTrackResult> MoonTrack(double homeLatitude, double homeLongitude, std::int64_t clock,
                                  const TimeBase& base) {
  MoonTrackResult result{};
  const auto place = [](double rightAscension, double declination) {
    return SkyMapPlacement(rightAscension * kMoonTrackRaToHours, declination / kMoonDegToRad);
  };
  // The present moment is point 0 and the current position; the moon
  // position is a pure function of its inputs, so it is not evaluated twice.
  const auto now = MoonPosition(homeLatitude, homeLongitude, clock, base);
  if (!now) return now.failure();
  result.current = *now;
  result.points[0] = place(now->rightAscension, now->declination);
  // The later points need only the geocentric right ascension and
  // declination, not the distance or the observer's horizon.
  for (int k = 1; k < kMoonTrackPoints; ++k) {
    const auto later = internal::MoonEquatorialAt(base.Adjust(clock + kSecondsPerDay * k), false);
    if (!later) return later.failure();
    result.points[static_cast<std::size_t>(k)] = place(later->rightAscension, later->declination);
  }
  result.currentColumn = static_cast<int>(result.points[0].column);
  result.currentRow = static_cast<int>(result.points[0].row);
  return result;
}

}  // namespace kelvora

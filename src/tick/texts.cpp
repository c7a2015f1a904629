#include "tick/texts.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "astro/time_helpers.h"
#include "link/doppler.h"

namespace kelvora {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return {};
  return std::string(buffer, static_cast<std::size_t>(
                                 std::min<int>(length, static_cast<int>(sizeof buffer) - 1)));
}

// A decibel figure, or the placeholder when it is infinite or undefined.
std::string DecibelText(const char* format, double value) {
  if (!std::isfinite(value)) return kNoFigureText;
  return Format(format, value);
}

}  // namespace

DisplayTexts FormatTexts(const TickFigures& figures, const TrackerModel& model) {
  DisplayTexts texts;
  texts[TextId::kSourceLine] = model.texts[TextId::kSourceLine];
  texts[TextId::kStatusLine] = model.texts[TextId::kStatusLine];
  FormatTexts(figures, model, texts);
  return texts;
}

void FormatTexts(const TickFigures& figures, const TrackerModel& model, DisplayTexts& texts) {
  const Result<std::string> clockText = AscTimeText(figures.utcSeconds);
  texts[TextId::kClock] = clockText ? *clockText : std::string(kNoFigureText);
  texts[TextId::kHomeLocator] = "Home: " + model.home.locator;
  texts[TextId::kStation2Locator] =
      model.station2.LocatorShown() ? model.station2.locator : std::string(kNoLocatorText);

  texts[TextId::kSunAzimuth] = Format("%4.1f deg", figures.sun.azimuth);
  texts[TextId::kSunElevation] = Format("%4.1f deg", figures.sun.elevation);

  if (!figures.station2Set) {
    texts[TextId::kStation2Azimuth] = kNotApplicableText;
    texts[TextId::kStation2Elevation] = kNotApplicableText;
  } else if (const auto& fix = figures.station2Moon) {
    texts[TextId::kStation2Azimuth] = Format("%3.1f deg", fix->azimuth);
    texts[TextId::kStation2Elevation] = Format("%3.1f deg", fix->elevation);
  } else {
    texts[TextId::kStation2Azimuth] = kNoFigureText;
    texts[TextId::kStation2Elevation] = kNoFigureText;
  }

  const std::optional<MoonFix>& moon = figures.homeMoon;
  if (!moon) {
    for (const TextId id :
         {TextId::kMoonAzimuth, TextId::kMoonDeclination, TextId::kMoonRange,
          TextId::kMoonElevation, TextId::kPerigee, TextId::kApogee, TextId::kSkyTemperature,
          TextId::kPathLoss, TextId::kDegradation, TextId::kPolarityOffset,
          TextId::kEchoDoppler, TextId::kStation2Doppler}) {
      texts[id] = kNoFigureText;
    }
    return;
  }
  texts[TextId::kMoonAzimuth] = Format("%4.2f deg.", moon->azimuth);
  texts[TextId::kMoonElevation] = Format("%4.2f deg.", moon->elevation);
  texts[TextId::kMoonDeclination] = Format("%4.2f deg", moon->declination * kRadToDeg);
  texts[TextId::kMoonRange] = Format("%8.1fKm", moon->distance);
  texts[TextId::kSkyTemperature] = Format("%4.0f° k", *figures.skyTemperatureK);
  texts[TextId::kPathLoss] = PathLossText(*figures.pathLossDb);
  texts[TextId::kDegradation] = DegradationText(*figures.degradationDb);
  texts[TextId::kPolarityOffset] = PolarityOffsetText(figures.polarityOffset);
  texts[TextId::kEchoDoppler] = EchoDopplerText(figures.echoDopplerHz);
  texts[TextId::kStation2Doppler] = TwoStationDopplerText(figures.station2DopplerHz);
  texts[TextId::kPerigee] = PerigeeDaysText(figures.perigeeApogee->perigeeDays);
  texts[TextId::kApogee] = PerigeeDaysText(figures.perigeeApogee->apogeeDays);
}

std::string PerigeeDaysText(int days) {
  if (days < 0) {
    return days == -1 ? Format("%d day ago", -days) : Format("%d days ago", -days);
  }
  return days == 1 ? Format("in %d day", days) : Format("in %d days", days);
}

std::string PathLossText(double pathLossDb) { return DecibelText("%2.2fdb", pathLossDb); }

std::string DegradationText(double degradationDb) {
  return DecibelText("%3.2fdb", degradationDb);
}

}  // namespace kelvora

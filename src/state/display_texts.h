// The 21 display texts of the main window: their names, and the one table of
// text number, control id and label that the core, kelvora-cli and the
// window all read.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace kelvora {

inline constexpr int kDisplayTextCount = 21;

// Each text by what it shows; the value is the text number, the order of the
// window's data exchange.
enum class TextId : int {
  kMoonAzimuth = 1,
  kMoonDeclination,
  kMoonRange,
  kClock,
  kMoonElevation,
  kPerigee,
  kApogee,
  kSunAzimuth,
  kSunElevation,
  kHomeLocator,
  kStation2Locator,
  kSkyTemperature,
  kPathLoss,
  kDegradation,
  kPolarityOffset,
  kStation2Azimuth,
  kStation2Elevation,
  kEchoDoppler,
  kSourceLine,
  kStatusLine,
  kStation2Doppler,
};

constexpr int TextNumber(TextId id) { return static_cast<int>(id); }

struct DisplayTextInfo {
  TextId id;
  int controlId;      // the window control that shows it
  const char* label;  // its caption in the window (or a short name where it has none)
};

// In text-number order.
inline constexpr std::array<DisplayTextInfo, kDisplayTextCount> kDisplayTextTable = {{
    {TextId::kMoonAzimuth, 1007, "Moon Az."},
    {TextId::kMoonDeclination, 1004, "Declination"},
    {TextId::kMoonRange, 1005, "Range"},
    {TextId::kClock, 1006, "Clock"},
    {TextId::kMoonElevation, 1002, "Moon El."},
    {TextId::kPerigee, 1021, "Perigee"},
    {TextId::kApogee, 1022, "Apogee"},
    {TextId::kSunAzimuth, 1028, "Sun Az."},
    {TextId::kSunElevation, 1029, "Sun El."},
    {TextId::kHomeLocator, 1040, "Home"},
    {TextId::kStation2Locator, 1079, "Stn2 Grid"},
    {TextId::kSkyTemperature, 1074, "Sky Temp"},
    {TextId::kPathLoss, 1075, "Path Loss"},
    {TextId::kDegradation, 1076, "Degradation"},
    {TextId::kPolarityOffset, 1077, "Stn2 Polarity"},
    {TextId::kStation2Azimuth, 1092, "Stn2 Azim"},
    {TextId::kStation2Elevation, 1093, "Stn2 Elev."},
    {TextId::kEchoDoppler, 1097, "My Doppler"},
    {TextId::kSourceLine, 1099, "Source"},
    {TextId::kStatusLine, 1100, "Status"},
    {TextId::kStation2Doppler, 1114, "Stn2 Doppler"},
}};

constexpr const DisplayTextInfo& TextInfo(TextId id) {
  return kDisplayTextTable[static_cast<std::size_t>(TextNumber(id) - 1)];
}
constexpr int ControlIdOf(TextId id) { return TextInfo(id).controlId; }

// The table is in text-number order: entry n - 1 is text n.
static_assert([] {
  for (std::size_t i = 0; i < kDisplayTextTable.size(); ++i) {
    if (TextNumber(kDisplayTextTable[i].id) != static_cast<int>(i) + 1) return false;
  }
  return true;
}());

// The texts themselves, by name; text n is text[n - 1].
struct DisplayTexts {
  std::array<std::string, kDisplayTextCount> text;
  std::string& operator[](TextId id) { return text[static_cast<std::size_t>(TextNumber(id) - 1)]; }
  const std::string& operator[](TextId id) const {
    return text[static_cast<std::size_t>(TextNumber(id) - 1)];
  }
};

}  // namespace kelvora

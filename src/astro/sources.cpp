#include "astro/sources.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "astro/astro_internal.h"

namespace kelvora {

namespace {

// Fixed catalogue positions (no precession). Centaurus A and Taurus A only
// select a name in the menu and never show coordinates.
constexpr std::array<RadioSource, 7> kRadioSources = {{
    {kSourceQuietSky, 32782, "&Quiet Sky", "Quiet Sky", 9.51, 40.2, false},
    {kSourceCassiopeiaA, 32783, "C&assiopeia A", "Cassiopeia A", 23.35, 58.55, true},
    {kSourceCentaurusA, 32784, "C&entaurus A", nullptr, 0.0, 0.0, false},
    {kSourceCygnusA, 32785, "C&ygnus A", "Cygnus A", 19.92, 40.6, true},
    {kSourceGalacticCentre, 32786, "&Galactic Center", "Galactic Ctr", 17.71, -28.92, true},
    {kSourceTaurusA, 32787, "&Taurus A", nullptr, 0.0, 0.0, false},
    {kSourceUserStar, 32788, "&Other (enter ra && dec)", "My Star", 0.0, 0.0, false},
}};


// The leading number of a text as strtod reads it in the C locale: leading
// white space, an optional sign, decimal or hexadecimal digits; 0 when the
// text starts with no number. Independent of the process locale, which a
// window toolkit may have changed. Infinities and NaN count as no number.
double ReadLeadingNumber(const std::string& text) {
  std::string_view s(text);
  while (!s.empty() && (s.front() == ' ' || (s.front() >= '\t' && s.front() <= '\r'))) {
    s.remove_prefix(1);
  }
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() == '+' || s.front() == '-') return 0.0;
  double value = 0.0;
  std::from_chars_result parsed{};
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    parsed = std::from_chars(s.data() + 2, s.data() + s.size(), value, std::chars_format::hex);
    if (parsed.ec != std::errc{}) value = 0.0;  // "0x" alone reads as 0
  } else {
    parsed = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (parsed.ec != std::errc{}) return 0.0;
  }
  if (!std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

std::string FormatLine(const char* name, bool wideSpacing, const HorizontalFix& fix) {
  std::array<char, 96> text{};
  const char* format =
      wideSpacing ? "%s   Az: %6.1f\xC2\xB0   El: %6.1f\xC2\xB0" : "%s   Az: %6.1f\xC2\xB0 El: %6.1f\xC2\xB0";
  std::snprintf(text.data(), text.size(), format, name, fix.azimuth, fix.elevation);
  return std::string(text.data());
}

}  // namespace

HorizontalFix SourcePosition(double declinationDegrees, double rightAscensionHours,
                             double homeLatitude, double homeLongitude, std::int64_t clock,
                             const TimeBase& base) {
  const double x = static_cast<double>(base.Adjust(clock)) / 86400;
  const double theta = GreenwichSiderealHours(x);
  double g = theta * kSiderealHoursToRad - rightAscensionHours * kHoursToRad;
  if (g < 0) g += kTwoPi;
  if (g > kTwoPi) g -= kTwoPi;

  const double phi = homeLatitude * kDegToRad;
  const double delta = declinationDegrees * kDegToRad;
  const double hourAngle = homeLongitude * kDegToRad - g;
  const double sinDelta = std::sin(delta);
  const double cosDelta = std::cos(delta);
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double sinAlt = cosDelta * cosPhi * std::cos(hourAngle) + sinDelta * sinPhi;
  const double cosAltRoot = internal::SqrtOneMinusSquare(sinAlt);
  const double elevation = FullArcTangent(sinAlt, cosAltRoot) * kRadToDeg;

  // The azimuth takes the elevation back from degrees.
  const double altBack = elevation * kDegToRad;
  const double cosAltBack = std::cos(altBack);
  double sinA = 0;
  double cosA = 0;
  if (cosAltRoot != 0 && cosPhi * cosAltBack != 0) {
    sinA = std::sin(hourAngle) * cosDelta / cosAltRoot;
    cosA = sinDelta / (cosPhi * cosAltBack) - std::tan(altBack) * std::tan(phi);
  } else {
    // Source in the zenith or observer at a pole: the same angle scaled by
    // cos h cos phi, which stays finite.
    sinA = std::sin(hourAngle) * cosDelta * cosPhi;
    cosA = sinDelta - sinAlt * sinPhi;
  }
  double azimuth = FullArcTangent(sinA, cosA);
  if (azimuth <= 0) azimuth += kTwoPi;
  return {azimuth * kRadToDeg, elevation};
}

std::span<const RadioSource> RadioSources() { return kRadioSources; }

const RadioSource* FindSourceByCode(int code) {
  for (const RadioSource& source : kRadioSources) {
    if (source.code == code) return &source;
  }
  return nullptr;
}

const RadioSource* FindSourceByCommand(int commandId) {
  for (const RadioSource& source : kRadioSources) {
    if (source.commandId == commandId) return &source;
  }
  return nullptr;
}

std::string FormatSourceLine(const RadioSource& source, const HorizontalFix& fix) {
  if (source.name == nullptr) return kSourceNotAvailableText;
  return FormatLine(source.name, source.wideSpacing, fix);
}

std::string UserStarLine(const std::string& raText, const std::string& decText,
                         double homeLatitude, double homeLongitude, std::int64_t clock,
                         const TimeBase& base) {
  const double ra = ReadLeadingNumber(raText);
  const double dec = ReadLeadingNumber(decText);
  const HorizontalFix fix = SourcePosition(dec, ra, homeLatitude, homeLongitude, clock, base);
  const RadioSource& star = *FindSourceByCode(kSourceUserStar);
  return FormatLine(star.name, star.wideSpacing, fix);
}

}  // namespace kelvora

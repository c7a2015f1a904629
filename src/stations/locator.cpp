#include "stations/locator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace kelvora {

namespace {

// Degrees per latitude and longitude subsquare (2.5 and 5 minutes of arc).
constexpr double kLatitudeSubsquare = 0.041666666666666664;
constexpr double kLongitudeSubsquare = 0.08333333333333333;

// Doubles at or above this magnitude are spaced more than a hundredth apart,
// so rounding to hundredths gives the value back unchanged.
constexpr double kNoHundredthsAbove = 70368744177664.0;  // 2^46

// The low seven bits of the whole number `code` as a character; a value that
// is not a number (a position far outside the earth) gives '?'.
char SevenBitChar(double code) {
  if (!std::isfinite(code)) {
    return '?';
  }
  double low = std::fmod(code, 128.0);
  if (low < 0.0) {
    low += 128.0;
  }
  return static_cast<char>(static_cast<int>(low));
}

bool InRange(char c, char first, char last) { return c >= first && c <= last; }

}  // namespace

std::string CompleteLocator(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (out.size() == 6) {
    // Subsquare letters run A to X; Y and Z are taken as the last subsquare.
    for (std::size_t i = 4; i < 6; ++i) {
      if (out[i] > 'X') {
        out[i] = 'X';
      }
    }
  }
  if (out.size() == 2) {
    out += "55";
  }
  if (out.size() == 4) {
    out += "MM";
  }
  return out;
}

std::optional<GeoPosition> LocatorToPosition(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  const std::string loc = CompleteLocator(text);
  // One, three or five characters cannot be completed and name no subsquare.
  if (loc.size() != 6) {
    return std::nullopt;
  }
  const int c1 = static_cast<unsigned char>(loc[0]);
  const int c2 = static_cast<unsigned char>(loc[1]);
  const int c3 = static_cast<unsigned char>(loc[2]);
  const int c4 = static_cast<unsigned char>(loc[3]);
  const int c5 = static_cast<unsigned char>(loc[4]);
  const int c6 = static_cast<unsigned char>(loc[5]);
  GeoPosition p;
  p.latitude = 10 * (c2 - 'J') + (c4 - '0') + (c6 - 'A' + 0.5) * kLatitudeSubsquare;
  p.longitude = 20 * ('J' - c1) - 2 * (c3 - '0') - (c5 - 'A' + 0.5) * kLongitudeSubsquare;
  return p;
}

std::string PositionToLocator(double latitude, double longitude) {
  // Field counts from the south-west corner: 18 fields of 20 degrees of
  // longitude and 10 of latitude; the last value below 18 keeps an edge
  // position in field R.
  constexpr double kLastFieldEdge = 18.0;
  const double inside = std::nextafter(kLastFieldEdge, 0.0);
  const double a = std::clamp(9.0 - longitude * 0.05, 0.0, inside);
  const double b = std::clamp(latitude * 0.1 + 9.0, 0.0, inside);
  const double wa = std::trunc(a);
  const double wb = std::trunc(b);
  const double a1 = (a - wa) * 10.0;
  const double b1 = (b - wb) * 10.0;
  const double wa1 = std::trunc(a1);
  const double wb1 = std::trunc(b1);
  std::string out(6, ' ');
  out[0] = SevenBitChar('A' + wa);
  out[1] = SevenBitChar('A' + wb);
  out[2] = SevenBitChar('0' + wa1);
  out[3] = SevenBitChar('0' + wb1);
  out[4] = SevenBitChar(std::trunc((a1 - wa1) * 24.0 + 65.0));
  out[5] = SevenBitChar(std::trunc((b1 - wb1) * 24.0 + 65.0));
  return out;
}

double RoundToHundredths(double value) {
  const double x = std::fabs(value);
  if (!(x < kNoHundredthsAbove)) {
    return value;  // also infinities and NaN
  }
  // Work on the fraction alone: whole part and fraction of a double are
  // exact, and so is 100 * fraction once the product's rounding error is
  // carried along (fma gives it without rounding).
  const double whole = std::floor(x);
  const double fraction = x - whole;
  const double q = 100.0 * fraction;
  const double qError = std::fma(100.0, fraction, -q);  // 100 * fraction == q + qError
  double hundredths = std::floor(q);
  if (q == hundredths && qError < 0.0) {
    hundredths -= 1.0;
  }
  // Remainder (q - hundredths) + qError compared with one half; the first
  // difference is exact, and the sign of a rounded sum is the sign of the
  // exact sum, so the tie test is made on the exact value.
  const bool roundUp = ((q - hundredths) - 0.5) + qError >= 0.0;
  if (roundUp) {
    hundredths += 1.0;
  }
  // One correctly rounded division: the double nearest the decimal result,
  // exactly as reading the printed text back would give.
  const double rounded = (whole * 100.0 + hundredths) / 100.0;
  return std::signbit(value) ? -rounded : rounded;
}

bool IsAcceptedStation2Grid(std::string_view completed) {
  if (completed.size() < 6) {
    return false;  // fewer than four characters, or a missing subsquare letter
  }
  if (!InRange(completed[0], 'A', 'R') || !InRange(completed[1], 'A', 'R')) {
    return false;
  }
  // The square digits are read as a decimal number the way atof reads it:
  // text that is not a number counts as 0; only a negative value fails.
  const std::string square(completed.substr(2, 2));
  const double number = std::strtod(square.c_str(), nullptr);
  if (!(number >= 0.0 && number <= 99.0)) {
    return false;
  }
  return InRange(completed[4], 'A', 'Z') && InRange(completed[5], 'A', 'Z');
}

bool IsAcceptedDirectoryLocator(std::string_view locator) {
  if (locator.size() != 6) {
    return false;
  }
  std::string up(locator);
  for (char& c : up) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return InRange(up[0], 'A', 'R') && InRange(up[1], 'A', 'R') && InRange(up[2], '0', '9') &&
         InRange(up[3], '0', '9') && InRange(up[4], 'A', 'Z') && InRange(up[5], 'A', 'Z');
}

}  // namespace kelvora

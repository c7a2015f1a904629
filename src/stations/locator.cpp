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

Result<GeoPosition> LocatorToPosition(std::string_view text) {
  if (text.empty()) {
    return Fail("no locator given");
  }
  const std::string loc = CompleteLocator(text);
  // One, three or five characters cannot be completed and name no subsquare.
  if (loc.size() != 6) {
    return Fail("locator \"" + loc + "\" names no subsquare: it needs 2, 4 or 6 characters");
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
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
    return std::string(6, '?');
  }
  // Count whole subsquares from the south-west corner: 24 per degree of
  // latitude, 12 per degree of longitude, 240 to a field either way. A count
  // within kEdgeSnap of a whole number is that number, so a position on a
  // field, square or subsquare edge lands in the cell the edge begins, not in
  // the one before it for a rounding error of the last bit (31 N is row
  // 1 of field M, "JM01AA", not "JM00AX").
  static constexpr double kEdgeSnap = 1e-9;
  static constexpr double kPerField = 240.0;
  static constexpr double kLastCount = 18.0 * kPerField - 1.0;
  const auto count = [](double subsquares) {
    const double nearest = std::round(subsquares);
    const double snapped = std::fabs(subsquares - nearest) < kEdgeSnap ? nearest : subsquares;
    // The poles and the antimeridian lie on the outer edge of the last
    // field: positions there (and beyond) are kept inside it.
    return static_cast<int>(std::clamp(std::floor(snapped), 0.0, kLastCount));
  };
  const int across = count((180.0 - longitude) * 12.0);
  const int up = count((latitude + 90.0) * 24.0);
  std::string out(6, ' ');
  out[0] = static_cast<char>('A' + across / 240);
  out[1] = static_cast<char>('A' + up / 240);
  out[2] = static_cast<char>('0' + across % 240 / 24);
  out[3] = static_cast<char>('0' + up % 240 / 24);
  out[4] = static_cast<char>('A' + across % 24);
  out[5] = static_cast<char>('A' + up % 24);
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

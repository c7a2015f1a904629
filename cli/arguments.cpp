#include "arguments.h"

#include <charconv>
#include <cmath>

#include "app/settings.h"
#include "stations/locator.h"

namespace kelvora::cli {

namespace {

std::string_view StripPlus(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

bool InRange(char c, char low, char high) { return c >= low && c <= high; }

}  // namespace

NumberRead ReadNumber(std::string_view text) {
  text = StripPlus(text);
  if (text.empty() || text.front() == '+') return {};
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (end != text.data() + text.size()) return {};
  if (ec == std::errc::result_out_of_range) return {std::nullopt, true};
  // "inf" and "nan" read as numbers but are none.
  if (ec != std::errc{} || !std::isfinite(value)) return {};
  return {value, false};
}

std::optional<double> ParseNumber(std::string_view text) { return ReadNumber(text).value; }

IntegerRead ReadInteger(std::string_view text) {
  text = StripPlus(text);
  if (text.empty() || text.front() == '+') return {};
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (end != text.data() + text.size()) return {};
  if (ec == std::errc::result_out_of_range) return {std::nullopt, true};
  if (ec != std::errc{}) return {};
  return {value, false};
}

namespace {

// A coordinate within +-limit degrees; every message quotes the text.
double ParseCoordinate(std::string_view text, const std::string& what, const char* name,
                       double limit) {
  const NumberRead read = ReadNumber(text);
  const std::string range = "-" + std::to_string(static_cast<int>(limit)) + ".." +
                            std::to_string(static_cast<int>(limit));
  if (read.outOfRange || (read.value && (*read.value < -limit || *read.value > limit))) {
    throw UsageError(what + ": " + name + " '" + std::string(text) + "' is out of range " +
                     range);
  }
  if (!read.value) throw UsageError(what + ": '" + std::string(text) + "' is not a number");
  return *read.value;
}

}  // namespace

double ParseLatitude(std::string_view text, const std::string& what) {
  return ParseCoordinate(text, what, "latitude", kLatitudeLimitDegrees);
}

double ParseLongitude(std::string_view text, const std::string& what) {
  return ParseCoordinate(text, what, "longitude", kLongitudeLimitDegrees);
}

LatLon ParseLatLonPair(std::string_view text, const std::string& what) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos) {
    throw UsageError(what + ": expected LAT,LON, got '" + std::string(text) + "'");
  }
  return LatLon{ParseLatitude(text.substr(0, comma), what),
                ParseLongitude(text.substr(comma + 1), what)};
}

std::string ParseLocator(std::string_view text) {
  if (text.size() != 2 && text.size() != 4 && text.size() != 6) {
    throw UsageError("locator '" + std::string(text) + "' must have 2, 4 or 6 characters");
  }
  const std::string completed = CompleteLocator(text);
  const bool valid = completed.size() == 6 && InRange(completed[0], 'A', 'R') &&
                     InRange(completed[1], 'A', 'R') && InRange(completed[2], '0', '9') &&
                     InRange(completed[3], '0', '9') && InRange(completed[4], 'A', 'X') &&
                     InRange(completed[5], 'A', 'X');
  if (!valid) {
    throw UsageError("locator '" + std::string(text) +
                     "' is not a Maidenhead locator (field A-R, square 0-9, subsquare A-X)");
  }
  return completed;
}

void NormaliseNegativeNumbers(int argc, char** argv, std::string* storage) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg.size() >= 3 && arg[0] == '-' && arg[1] == '.' && arg[2] >= '0' && arg[2] <= '9') {
      storage[i] = "-0" + std::string(arg.substr(1));
      argv[i] = storage[i].data();
    }
  }
}

}  // namespace kelvora::cli

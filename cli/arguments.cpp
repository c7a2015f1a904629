#include "arguments.h"

#include <charconv>
#include <cmath>

#include "stations/locator.h"

namespace kelvora::cli {

namespace {

std::string_view StripPlus(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return text;
}

bool InRange(char c, char low, char high) { return c >= low && c <= high; }

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  text = StripPlus(text);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double ParseLatitude(std::string_view text, const std::string& what) {
  const std::optional<double> value = ParseNumber(text);
  if (!value) throw UsageError(what + ": '" + std::string(text) + "' is not a number");
  if (*value < -90.0 || *value > 90.0) {
    throw UsageError(what + ": latitude " + std::string(text) + " is outside -90..90");
  }
  return *value;
}

double ParseLongitude(std::string_view text, const std::string& what) {
  const std::optional<double> value = ParseNumber(text);
  if (!value) throw UsageError(what + ": '" + std::string(text) + "' is not a number");
  if (*value < -180.0 || *value > 180.0) {
    throw UsageError(what + ": longitude " + std::string(text) + " is outside -180..180");
  }
  return *value;
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

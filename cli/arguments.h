// Strict reading of the command line's numbers, coordinate pairs and
// locators. Every rejection is a one-line message for the user.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvora::cli {

// A bad argument: main() prints the message on one line and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Nothing found (a call not in the directory, the directory missing): main()
// prints the message on one line and exits with 1.
class NothingFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole text must be one finite decimal number (an optional sign, an
// optional exponent, no trailing characters).
std::optional<double> ParseNumber(std::string_view text);

// The same readings telling a number too large for a double or a 64-bit
// integer ("1e999", twenty digits) apart from a text that is no number.
struct NumberRead {
  std::optional<double> value;
  bool outOfRange = false;
};
NumberRead ReadNumber(std::string_view text);
struct IntegerRead {
  std::optional<std::int64_t> value;
  bool outOfRange = false;
};
IntegerRead ReadInteger(std::string_view text);

struct LatLon {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, west positive
};

// "LAT,LON" with the latitude in [-90, 90] and the longitude in [-180, 180].
// `what` names the argument in the message.
LatLon ParseLatLonPair(std::string_view text, const std::string& what);
double ParseLatitude(std::string_view text, const std::string& what);
double ParseLongitude(std::string_view text, const std::string& what);

// A two-, four- or six-character locator, completed to six characters and
// checked field by field (A-R, 0-9, A-X); returns the completed locator.
std::string ParseLocator(std::string_view text);

// Negative numbers that start with a point ("-.5") would otherwise read as
// an unknown option; they become "-0.5".
void NormaliseNegativeNumbers(int argc, char** argv, std::string* storage);

}  // namespace kelvora::cli

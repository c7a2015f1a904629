// Maidenhead locators (six upper-case characters) and the coordinate rounding
// every locator-derived position goes through. Longitudes are west positive.
#pragma once

#include <string>
#include <string_view>

#include "common/result.h"

namespace kelvora {

struct GeoPosition {
  double latitude;   // degrees, north positive
  double longitude;  // degrees, west positive
};

// Upper-cases, clamps a Y/Z subsquare of a six-character text to X, appends
// "55" to two characters and then "MM" to four. Other lengths are returned
// upper-cased but otherwise as they are.
std::string CompleteLocator(std::string_view text);

// Centre of the subsquare of the completed text; refused, with the reason,
// when the text is empty or, once completed, is not six characters long.
Result<GeoPosition> LocatorToPosition(std::string_view text);

// Six-character locator; nothing is rounded, except that a position within
// a billionth of a subsquare of a grid line is on it, and a grid line belongs
// to the cell it begins (31 N 0 gives JM01AA, 7 E subsquare M). The poles and
// the antimeridian lie on the outer edge of the last field, so positions there
// (and beyond) are kept inside it: 90 N gives row R9X, 180 E column R9X,
// never an "S". A coordinate that is not a number gives "??????".
std::string PositionToLocator(double latitude, double longitude);

// Nearest hundredth, an exact half going away from zero.
double RoundToHundredths(double value);

// The second-station GRID field's rule, applied after "MM" is appended to a
// four-character entry.
bool IsAcceptedStation2Grid(std::string_view completed);

// Columns 181-186 of a directory record, upper-cased: A-R A-R 0-9 0-9 A-Z A-Z.
bool IsAcceptedDirectoryLocator(std::string_view locator);

}  // namespace kelvora

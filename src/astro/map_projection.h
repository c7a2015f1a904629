// Where a place on the earth or a point of the sky lands on the window's two
// map pictures. Longitudes are west positive.
#pragma once

#include <vector>

namespace kelvora {

// Radians to degrees for the map conversions and the footprint outline.
inline constexpr double kMapRadToDeg = 57.29582790879778;

// Earth-map conversions (431 x 305 picture at window column 0, row 170).
// MapYForLatitude counts rows from the map's own origin; this many pixels
// take them to window rows.
inline constexpr int kMapRowOffset = 148;
int MapXForLongitude(double westLongitude);  // window column
int MapYForLatitude(double latitude);         // map row; add kMapRowOffset for the window row
// The latitudes (degrees, ascending) where MapYForLatitude moves to the next
// row, from the inverse of its formula: right to within rounding, so a caller
// that relies on them must check MapYForLatitude close to each.
std::vector<double> MapRowStepLatitudes();
double MapLongitudeForX(int column);          // column 0-430 to west longitude
double MapLatitudeForY(int windowRow);        // window row to latitude

// Sky-map placement: right ascension in hours, declination in degrees, to
// window column and row.
struct SkyMapPoint {
  double column;
  double row;
};
SkyMapPoint SkyMapPlacement(double rightAscensionHours, double declinationDegrees);

}  // namespace kelvora

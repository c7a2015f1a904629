// Angles on the sphere, one formula for the whole program.
#pragma once

namespace kelvora {

// Great-circle angle in degrees between two directions, each given as a
// longitude-like angle (azimuth, right ascension) and a latitude-like angle
// (elevation, declination), all in degrees. The haversine form keeps its
// digits for small angles, where the cosine form loses them.
double AngularSeparationDeg(double longitude1Deg, double latitude1Deg, double longitude2Deg,
                            double latitude2Deg);

}  // namespace kelvora

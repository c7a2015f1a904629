// Path loss and degradation of the moon path, the figures the window and the
// planner rank a moment by.
#pragma once

namespace kelvora {

// Path loss (dB against 356140 km, centre to centre) for a geocentric moon
// distance in km, and degradation (dB): the path loss plus the sky's noise
// against a quiet sky.
double PathLoss(double moonDistanceKm);
double Degradation(double skyTemperatureK, double pathLossDb);

}  // namespace kelvora

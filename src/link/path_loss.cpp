#include "link/path_loss.h"

#include <cmath>

namespace kelvora {

namespace {

// Path loss against a moon 348030 km away from the surface point under it
// (356140 km centre to centre less 8110 km), fourth power of the ratio.
constexpr double kPathLossSurfaceKm = 8110.0;
constexpr double kInvPathLossReferenceKm = 2.873315518777117e-06;  // 1 / 348030
constexpr double kPathLossFactor = 40.0;
// Degradation: sky temperature plus 80 K against 245.64 K, in decibels.
constexpr double kSkyNoiseAddedK = 80.0;
constexpr double kInvReferenceNoiseK = 0.004070998208760788;  // 1 / 245.64
constexpr double kDecibelFactor = 10.0;

}  // namespace

double PathLoss(double moonDistanceKm) {
  return kPathLossFactor *
         std::log10((moonDistanceKm - kPathLossSurfaceKm) * kInvPathLossReferenceKm);
}

double Degradation(double skyTemperatureK, double pathLossDb) {
  return kDecibelFactor *
             std::log10((skyTemperatureK + kSkyNoiseAddedK) * kInvReferenceNoiseK) +
         pathLossDb;
}

}  // namespace kelvora

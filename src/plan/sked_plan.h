// The sked planner: the intervals in which the moon stands high enough at two
// stations at once, and the path figures of each interval.
//
// Elevations come from the standard moon theory (MoonPosition, topocentric,
// no refraction). Longitudes are west positive; times are UTC seconds since
// 1970.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace kelvora {

inline constexpr int kPlanMinDays = 1;
inline constexpr int kPlanMaxDays = 31;
inline constexpr double kPlanLowestMinElevation = -2.0;   // degrees
inline constexpr double kPlanHighestMinElevation = 60.0;  // degrees
inline constexpr double kPlanDefaultMinElevation = 10.0;  // degrees
inline constexpr double kPlanDefaultFrequencyHz = 144.0e6;
// Closer than this to the sun, the sun's noise enters the antenna's beam.
inline constexpr double kSunNoiseSeparationDeg = 10.0;

struct PlanSite {
  double latitude = 0.0;                           // degrees, north positive
  double longitude = 0.0;                          // degrees, west positive
  double minElevation = kPlanDefaultMinElevation;  // degrees
};

struct PlanRequest {
  PlanSite home;
  PlanSite dx;
  std::int64_t startUtc = 0;
  std::int64_t spanSeconds = 7 * 86400;
  double frequencyHz = kPlanDefaultFrequencyHz;
};

// A failure, with its reason for the user, when the request cannot be
// planned: a span outside 1-31 days, a minimum elevation outside -2..60
// degrees, a position off the globe, a frequency that is not a positive
// number, or moments closer than an hour to the ends of the years the moon
// theory covers (the reason names the first and last moments allowed).
Status CheckPlanRequest(const PlanRequest& request);

// The moon seen from one station.
struct MoonLook {
  double azimuth;    // degrees, (0, 360]
  double elevation;  // degrees
};

struct WindowMoment {
  std::int64_t utc;
  MoonLook home;
  MoonLook dx;
  // Spatial polarity offset, degrees in (-90, 90]: the DX station's polarity
  // angle less the home one's, positive clockwise.
  double polarityOffset;
};

struct SkedWindow {
  std::int64_t startUtc = 0;      // first second with the moon high enough at both
  std::int64_t endUtc = 0;        // last such second
  bool startsBeforeSpan = false;  // already open at the span's first second
  bool endsAfterSpan = false;     // still open at the span's last second
  std::int64_t bestUtc = 0;       // where the lower of the two elevations peaks
  double bestElevation = 0.0;     // that lower elevation, degrees
  WindowMoment start{};
  WindowMoment middle{};
  WindowMoment end{};
  double skyTemperature = 0.0;     // kelvin, behind the moon at the middle
  double degradationMiddle = 0.0;  // dB
  double degradationWorst = 0.0;   // dB, the largest in the window
  double sunSeparation = 0.0;      // degrees, geocentric, the smallest in the window
  bool sunNear = false;            // sunSeparation below kSunNoiseSeparationDeg
  double dopplerStartHz = 0.0;     // two-station Doppler at the request's frequency
  double dopplerEndHz = 0.0;
  // The path's libration spread at the request's frequency (limb to limb,
  // precise/libration.h; stations at height 0) at the middle and the largest
  // of the samples, and the path's delay (rho1 + rho2) / c at the middle.
  // Empty where the accurate figures do not reach (before 1960).
  std::optional<double> spreadMiddleHz;
  std::optional<double> spreadLargestHz;
  std::optional<double> pathDelayS;
  double score = 0.0;  // 0-100, see QualityScore
  bool best = false;   // the highest score of the plan
  std::int64_t DurationSeconds() const { return endUtc - startUtc; }
};

struct SkedPlan {
  std::vector<SkedWindow> windows;  // in time order
  std::string emptyReason;          // why there are none, when there are none
  bool cancelled = false;
};

// Every mutual window in [startUtc, startUtc + spanSeconds], with its
// figures. Edges are exact to a second against a one-second scan; windows
// shorter than a minute may be missed. The request must have passed
// CheckPlanRequest. A set cancel flag stops the work early (cancelled is then
// true and the windows found so far are kept).
SkedPlan PlanSkeds(const PlanRequest& request, const std::atomic<bool>* cancel = nullptr);

// An interval of whole seconds, both ends included.
struct SecondsInterval {
  std::int64_t first;
  std::int64_t last;
  bool operator==(const SecondsInterval&) const = default;
};

// The intervals in [begin, end] in which the moon is at or above the site's
// minimum elevation, found the same way as the mutual windows.
std::vector<SecondsInterval> MoonUpIntervals(const PlanSite& site, std::int64_t begin,
                                             std::int64_t end);

// The figures of one window that the caller's own scan found; the window
// counts as open at the span's ends when it touches them.
SkedWindow DescribeSkedWindow(const PlanRequest& request, const SecondsInterval& interval);

// The moon's elevation at one station (degrees), and the lower margin of the
// two stations over their minimum elevations (degrees; >= 0 inside a window).
// Refused outside the years the moon theory covers.
Result<double> PlanMoonElevation(const PlanSite& site, std::int64_t utc);
Result<double> MutualMargin(const PlanSite& home, const PlanSite& dx, std::int64_t utc);

// Geocentric angle between the moon and the sun, degrees.
Result<double> MoonSunSeparation(std::int64_t utc);

// Two-station Doppler in Hz of a signal at frequencyHz sent by one station and
// received by the other off the moon: -f (rate1 + rate2) / c, from the
// topocentric range rates of both stations (WGS84 ellipsoid, height 0). A
// station paired with itself gives its echo Doppler. The accurate figures
// give the range rates from 1960 on, the standard theory before
// (FigureSourceAt in link/range_rate.h); StandardTwoStationDoppler gives the
// standard theory's figure at any moment of its years. Refused outside them
// and for a station off the globe.
Result<double> TwoStationDoppler(double lat1, double lon1, double lat2, double lon2,
                                 std::int64_t utc, double frequencyHz);
Result<double> StandardTwoStationDoppler(double lat1, double lon1, double lat2, double lon2,
                                         std::int64_t utc, double frequencyHz);

// How a window ranks, 0-100 points:
//   30 x min(best common elevation, 30 deg) / 30 deg   (clamped at 0)
//   25 x min(duration, 4 h) / 4 h
//   25 x (6 dB - worst degradation) / 6 dB             (clamped to 0..1)
//   10 x mean of cos^2(polarity offset) at start, middle and end
//   10 x (separation - 10 deg) / 20 deg                (0 below 10 deg, 1 from 30 deg)
double QualityScore(const SkedWindow& window);

// One line on why a plan found nothing: the moon never high enough at one
// station, or never at both at once.
std::string EmptyPlanReason(const PlanRequest& request);

}  // namespace kelvora

#include "plan/sked_plan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "astro/moon.h"
#include "astro/sky.h"
#include "astro/sun.h"
#include "astro/time_helpers.h"
#include "link/angles.h"
#include "link/path_loss.h"
#include "link/polarity.h"
#include "link/range_rate.h"
#include "plan/interval_scan.h"
#include "plan/plan_export.h"
#include "precise/libration.h"
#include "precise/precise.h"

namespace kelvora {

namespace {

// Figures inside a window are sampled this often; the best common elevation
// is then refined to the second around the best sample.
constexpr std::int64_t kFigureStepSeconds = 900;

// Score weights and the figures at which each part is full or empty.
constexpr double kScoreElevationPoints = 30.0;
constexpr double kScoreElevationFullDeg = 30.0;
constexpr double kScoreDurationPoints = 25.0;
constexpr double kScoreDurationFullSeconds = 4.0 * 3600.0;
constexpr double kScoreDegradationPoints = 25.0;
constexpr double kScoreDegradationEmptyDb = 6.0;
constexpr double kScorePolarityPoints = 10.0;
constexpr double kScoreSunPoints = 10.0;
constexpr double kScoreSunFullDeg = 30.0;

// The planner keeps this far from the ends of the years the moon theory
// covers, so that the range-rate samples stay inside them too.
constexpr std::int64_t kSupportedMarginSeconds = 3600;

// The standard moon at a moment of a window. Windows lie where both stations'
// fixes put the moon above their minimum elevations, inside a span that a
// checked request keeps an hour within the years the theory covers, so the
// fix is always there; the public figures below, which take any moment,
// handle the refusal themselves.
MoonFix Fix(double latitude, double longitude, std::int64_t utc) {
  return MoonPosition(latitude, longitude, utc, TimeBase{}).value();
}

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// Signed offset of p2 from p1 brought into (-90, 90] degrees: polarisation
// is a line, so angles 180 degrees apart are the same.
double PolarityOffsetDegrees(double p1, double p2) {
  double d = p2 - p1;
  while (d > 90.0) d -= 180.0;
  while (d <= -90.0) d += 180.0;
  return d;
}

WindowMoment Moment(const PlanRequest& request, std::int64_t utc) {
  const MoonFix home = Fix(request.home.latitude, request.home.longitude, utc);
  const MoonFix dx = Fix(request.dx.latitude, request.dx.longitude, utc);
  const double p1 = PolarityAngle(home.hourAngle, home.declination, request.home.latitude,
                                  request.home.longitude);
  const double p2 =
      PolarityAngle(home.hourAngle, home.declination, request.dx.latitude, request.dx.longitude);
  return WindowMoment{utc,
                      {home.azimuth, home.elevation},
                      {dx.azimuth, dx.elevation},
                      PolarityOffsetDegrees(p1, p2)};
}

double CommonElevation(const PlanRequest& request, std::int64_t utc) {
  return std::min(Fix(request.home.latitude, request.home.longitude, utc).elevation,
                  Fix(request.dx.latitude, request.dx.longitude, utc).elevation);
}

// The moon's geocentric direction does not depend on the station the fix
// was made for.
double SeparationFromSun(const MoonFix& moon, std::int64_t utc) {
  const SunFix sun = SunPosition(0.0, 0.0, utc, TimeBase{});
  return AngularSeparationDeg(moon.rightAscension * kRadToDeg, moon.declination * kRadToDeg,
                              sun.rightAscension * kRadToDeg, sun.declination * kRadToDeg);
}

double DegradationAt(const MoonFix& fix) {
  return Degradation(SkyTemperature(fix.rightAscension * kRadToRaHours), PathLoss(fix.distance));
}

// The second in [lo, hi] where the common elevation peaks, by golden-section
// search down to a second (the common elevation has one peak there).
std::int64_t PeakSecond(const PlanRequest& request, std::int64_t lo, std::int64_t hi) {
  constexpr double kGolden = 0.6180339887498949;
  double a = static_cast<double>(lo);
  double b = static_cast<double>(hi);
  double c = b - kGolden * (b - a);
  double d = a + kGolden * (b - a);
  double fc = CommonElevation(request, static_cast<std::int64_t>(std::llround(c)));
  double fd = CommonElevation(request, static_cast<std::int64_t>(std::llround(d)));
  while (b - a > 2.0) {
    if (fc >= fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - kGolden * (b - a);
      fc = CommonElevation(request, static_cast<std::int64_t>(std::llround(c)));
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + kGolden * (b - a);
      fd = CommonElevation(request, static_cast<std::int64_t>(std::llround(d)));
    }
  }
  std::int64_t best = lo;
  double bestValue = -1e9;
  for (auto t = static_cast<std::int64_t>(std::floor(a));
       t <= static_cast<std::int64_t>(std::ceil(b)); ++t) {
    const std::int64_t s = std::clamp(t, lo, hi);
    const double v = CommonElevation(request, s);
    if (v > bestValue) {
      bestValue = v;
      best = s;
    }
  }
  return best;
}

// The path's microwave figures at one moment; `frame` is a fresh frame
// within the hour (saves the nutation; the moon's series is still
// evaluated at the moment itself), replaced when it is not.
Result<precise::MicrowaveFigures> PathMicrowave(
    const PlanRequest& request, std::int64_t utc, std::optional<precise::CelestialFrame>& frame) {
  auto moment = precise::PrepareMoment(utc, frame ? &*frame : nullptr);
  if (!moment) return moment.failure();
  if (!frame || frame->utcSeconds != moment->frame.utcSeconds) {
    frame = moment->frame;
    frame->reused = false;  // hand it on as fresh: no moon anchors
  }
  return precise::MicrowaveAt(
      *moment, precise::Site{request.home.latitude, request.home.longitude, 0.0},
      precise::Site{request.dx.latitude, request.dx.longitude, 0.0}, request.frequencyHz);
}

SkedWindow DescribeWindow(const PlanRequest& request, const SecondsInterval& interval,
                          std::int64_t spanEnd) {
  SkedWindow w;
  w.startUtc = interval.first;
  w.endUtc = interval.last;
  w.startsBeforeSpan = interval.first == request.startUtc;
  w.endsAfterSpan = interval.last >= spanEnd;
  const std::int64_t middle = w.startUtc + (w.endUtc - w.startUtc) / 2;
  w.start = Moment(request, w.startUtc);
  w.middle = Moment(request, middle);
  w.end = Moment(request, w.endUtc);

  const MoonFix middleFix = Fix(request.home.latitude, request.home.longitude, middle);
  w.skyTemperature = SkyTemperature(middleFix.rightAscension * kRadToRaHours);
  w.degradationMiddle = DegradationAt(middleFix);

  // Sampled figures: worst degradation, closest sun, highest common elevation.
  w.degradationWorst = w.degradationMiddle;
  w.sunSeparation = SeparationFromSun(middleFix, middle);
  std::int64_t bestSample = middle;
  double bestSampleValue = CommonElevation(request, middle);
  std::optional<precise::CelestialFrame> frame;
  if (const auto m = PathMicrowave(request, middle, frame)) {
    w.spreadMiddleHz = m->pathSpreadHz;
    w.spreadLargestHz = m->pathSpreadHz;
    w.pathDelayS = m->pathDelayS;
  }
  for (std::int64_t t = w.startUtc;; t += kFigureStepSeconds) {
    const std::int64_t s = std::min(t, w.endUtc);
    if (w.spreadLargestHz) {
      if (const auto m = PathMicrowave(request, s, frame)) {
        w.spreadLargestHz = std::max(*w.spreadLargestHz, m->pathSpreadHz.value_or(0.0));
      }
    }
    const MoonFix home = Fix(request.home.latitude, request.home.longitude, s);
    const double dxElevation = Fix(request.dx.latitude, request.dx.longitude, s).elevation;
    w.degradationWorst = std::max(w.degradationWorst, DegradationAt(home));
    w.sunSeparation = std::min(w.sunSeparation, SeparationFromSun(home, s));
    const double common = std::min(home.elevation, dxElevation);
    if (common > bestSampleValue) {
      bestSampleValue = common;
      bestSample = s;
    }
    if (s == w.endUtc) break;
  }
  w.sunNear = w.sunSeparation < kSunNoiseSeparationDeg;
  w.bestUtc = PeakSecond(request, std::max(w.startUtc, bestSample - kFigureStepSeconds),
                         std::min(w.endUtc, bestSample + kFigureStepSeconds));
  w.bestElevation = CommonElevation(request, w.bestUtc);

  // The request passed CheckPlanRequest: both stations stand on the globe
  // and every moment lies inside the years both figures cover.
  if (const auto d = TwoStationDoppler(request.home.latitude, request.home.longitude,
                                       request.dx.latitude, request.dx.longitude, w.startUtc,
                                       request.frequencyHz)) {
    w.dopplerStartHz = *d;
  }
  if (const auto d = TwoStationDoppler(request.home.latitude, request.home.longitude,
                                       request.dx.latitude, request.dx.longitude, w.endUtc,
                                       request.frequencyHz)) {
    w.dopplerEndHz = *d;
  }
  w.score = QualityScore(w);
  return w;
}

bool InRange(double value, double low, double high) {
  return std::isfinite(value) && value >= low && value <= high;
}

std::string FormatNumber(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

std::string SpanText(std::int64_t spanSeconds) {
  if (spanSeconds % kSecondsPerDay == 0) {
    const std::int64_t days = spanSeconds / kSecondsPerDay;
    return days == 1 ? "this day" : "these " + std::to_string(days) + " days";
  }
  const std::int64_t hours = (spanSeconds + 1799) / 3600;
  return hours == 1 ? "this hour" : "these " + std::to_string(hours) + " hours";
}

Status CheckSite(const PlanSite& site, const char* name) {
  const std::string who(name);
  if (!InRange(site.latitude, -90.0, 90.0)) {
    return Fail("the " + who + " latitude must be between -90 and 90 degrees");
  }
  if (!InRange(site.longitude, -180.0, 180.0)) {
    return Fail("the " + who + " longitude must be between -180 and 180 degrees (west positive)");
  }
  if (!InRange(site.minElevation, kPlanLowestMinElevation, kPlanHighestMinElevation)) {
    return Fail("the " + who + " minimum elevation must be between " +
                FormatNumber(kPlanLowestMinElevation) + " and " +
                FormatNumber(kPlanHighestMinElevation) + " degrees");
  }
  return Done();
}

}  // namespace

Status CheckPlanRequest(const PlanRequest& request) {
  if (Status site = CheckSite(request.home, "home station's"); !site) return site;
  if (Status site = CheckSite(request.dx, "DX station's"); !site) return site;
  if (request.spanSeconds < 3600 || request.spanSeconds > kPlanMaxDays * kSecondsPerDay) {
    return Fail("the span must be " + std::to_string(kPlanMinDays) + " to " +
                std::to_string(kPlanMaxDays) + " days");
  }
  if (!std::isfinite(request.frequencyHz) || request.frequencyHz <= 0.0) {
    return Fail("the frequency must be a positive number of hertz");
  }
  const std::int64_t first = FirstSupportedSecond() + kSupportedMarginSeconds;
  const std::int64_t last = LastSupportedSecond() - kSupportedMarginSeconds;
  if (request.startUtc < first || request.startUtc > last - request.spanSeconds) {
    return Fail("the plan must start at " + UtcIsoText(first) + " or later and end by " +
                UtcIsoText(last) + ": the moon theory covers the years " +
                std::to_string(kFirstSupportedYear) + "-" + std::to_string(kLastSupportedYear) +
                " and the planner keeps an hour from their ends");
  }
  return Done();
}

Result<double> PlanMoonElevation(const PlanSite& site, std::int64_t utc) {
  const Result<MoonFix> fix = MoonPosition(site.latitude, site.longitude, utc, TimeBase{});
  if (!fix) return fix.failure();
  return fix->elevation;
}

Result<double> MutualMargin(const PlanSite& home, const PlanSite& dx, std::int64_t utc) {
  const Result<double> atHome = PlanMoonElevation(home, utc);
  if (!atHome) return atHome.failure();
  const Result<double> atDx = PlanMoonElevation(dx, utc);
  if (!atDx) return atDx.failure();
  return std::min(*atHome - home.minElevation, *atDx - dx.minElevation);
}

Result<double> MoonSunSeparation(std::int64_t utc) {
  const Result<MoonFix> fix = MoonPosition(0.0, 0.0, utc, TimeBase{});
  if (!fix) return fix.failure();
  return SeparationFromSun(*fix, utc);
}

Result<double> TwoStationDoppler(double lat1, double lon1, double lat2, double lon2,
                                 std::int64_t utc, double frequencyHz) {
  if (FigureSourceAt(utc) == FigureSource::Standard) {
    return StandardTwoStationDoppler(lat1, lon1, lat2, lon2, utc, frequencyHz);
  }
  const Result<double> rate1 = MoonRangeRateMps(lat1, lon1, 0.0, utc);
  if (!rate1) return rate1.failure();
  const Result<double> rate2 = MoonRangeRateMps(lat2, lon2, 0.0, utc);
  if (!rate2) return rate2.failure();
  return precise::TwoStationDopplerHz(*rate1, *rate2, frequencyHz);
}

Result<double> StandardTwoStationDoppler(double lat1, double lon1, double lat2, double lon2,
                                         std::int64_t utc, double frequencyHz) {
  const Result<double> rate1 = StandardRangeRateMps(lat1, lon1, 0.0, utc);
  if (!rate1) return rate1.failure();
  const Result<double> rate2 = StandardRangeRateMps(lat2, lon2, 0.0, utc);
  if (!rate2) return rate2.failure();
  return precise::TwoStationDopplerHz(*rate1, *rate2, frequencyHz);
}

double QualityScore(const SkedWindow& w) {
  const double elevation = Clamp01(w.bestElevation / kScoreElevationFullDeg);
  const double duration =
      Clamp01(static_cast<double>(w.DurationSeconds()) / kScoreDurationFullSeconds);
  const double degradation =
      Clamp01((kScoreDegradationEmptyDb - w.degradationWorst) / kScoreDegradationEmptyDb);
  double polarity = 0.0;
  for (const WindowMoment* m : {&w.start, &w.middle, &w.end}) {
    const double c = std::cos(m->polarityOffset * kDegToRad);
    polarity += c * c / 3.0;
  }
  const double sun = Clamp01((w.sunSeparation - kSunNoiseSeparationDeg) /
                             (kScoreSunFullDeg - kSunNoiseSeparationDeg));
  const double score = kScoreElevationPoints * elevation + kScoreDurationPoints * duration +
                       kScoreDegradationPoints * degradation + kScorePolarityPoints * polarity +
                       kScoreSunPoints * sun;
  return std::isfinite(score) ? score : 0.0;
}

std::vector<SecondsInterval> MoonUpIntervals(const PlanSite& site, std::int64_t begin,
                                             std::int64_t end) {
  bool cancelled = false;
  return ScanIntervals(
      [&](std::int64_t t) {
        // A moment the moon theory refuses counts as the moon being down.
        const Result<double> elevation = PlanMoonElevation(site, t);
        return elevation ? *elevation - site.minElevation
                         : -std::numeric_limits<double>::infinity();
      },
      IntervalScan{begin, end}, nullptr, cancelled);
}

std::string EmptyPlanReason(const PlanRequest& request) {
  const std::int64_t end = request.startUtc + request.spanSeconds;
  const bool homeUp = !MoonUpIntervals(request.home, request.startUtc, end).empty();
  const bool dxUp = !MoonUpIntervals(request.dx, request.startUtc, end).empty();
  const std::string span = SpanText(request.spanSeconds);
  const std::string homeMin = FormatNumber(request.home.minElevation) + "°";
  const std::string dxMin = FormatNumber(request.dx.minElevation) + "°";
  if (!homeUp && !dxUp) {
    if (homeMin == dxMin) {
      return "the moon never rises above " + homeMin + " at either station in " + span;
    }
    return "the moon never rises above " + homeMin + " at the home station nor above " + dxMin +
           " at the DX station in " + span;
  }
  if (!homeUp) return "the moon never rises above " + homeMin + " at the home station in " + span;
  if (!dxUp) return "the moon never rises above " + dxMin + " at the DX station in " + span;
  if (homeMin == dxMin) {
    return "the moon never rises above " + homeMin + " at both stations in " + span;
  }
  return "the moon is never above " + homeMin + " at the home station and " + dxMin +
         " at the DX station at once in " + span;
}

SkedPlan PlanSkeds(const PlanRequest& request, const std::atomic<bool>* cancel) {
  SkedPlan plan;
  const std::int64_t end = request.startUtc + request.spanSeconds;
  const std::vector<SecondsInterval> intervals =
      ScanIntervals([&](std::int64_t t) { return MutualScanMargin(request.home, request.dx, t); },
                    IntervalScan{request.startUtc, end}, cancel, plan.cancelled);
  for (const SecondsInterval& interval : intervals) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
      plan.cancelled = true;
      break;
    }
    plan.windows.push_back(DescribeWindow(request, interval, end));
  }
  if (plan.cancelled) return plan;
  if (plan.windows.empty()) {
    plan.emptyReason = EmptyPlanReason(request);
  } else {
    // The first of equal scores wins.
    auto best = std::max_element(
        plan.windows.begin(), plan.windows.end(),
        [](const SkedWindow& a, const SkedWindow& b) { return a.score < b.score; });
    best->best = true;
  }
  return plan;
}

SkedWindow DescribeSkedWindow(const PlanRequest& request, const SecondsInterval& interval) {
  return DescribeWindow(request, interval, request.startUtc + request.spanSeconds);
}

}  // namespace kelvora

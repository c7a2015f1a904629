#include "control/wrap_planner.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvora {
namespace {

constexpr double kFullTurn = 360.0;

struct Span {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
};

// The whole turns k with limits.min <= low + 360k and high + 360k <= limits.max.
struct TurnRange {
  int first;
  int last;
  bool Empty() const { return first > last; }
};

TurnRange TurnsFitting(Span span, AngleLimits limits) {
  return {static_cast<int>(std::ceil((limits.min - span.low) / kFullTurn)),
          static_cast<int>(std::floor((limits.max - span.high) / kFullTurn))};
}

// The rotator-frame track of the pass, continuous (no 360 jumps), starting in
// [0, 360).
std::vector<double> Unwrapped(std::span<const PassSample> pass, const RotatorSetup& setup,
                              bool flipped) {
  std::vector<double> track;
  track.reserve(pass.size());
  for (const PassSample& s : pass) {
    const double a = ToRotatorFrame(setup, s.direction, flipped).azimuth;
    track.push_back(track.empty() ? a : NearestTurn(a, track.back()));
  }
  return track;
}

// Among the fitting turns, the one whose start is nearest to the rotator, or
// with no rotator reading the one farthest from both stops.
int ChooseTurn(TurnRange turns, double startAzimuth, Span span, AngleLimits limits,
               std::optional<double> current) {
  int best = turns.first;
  double bestScore = std::numeric_limits<double>::infinity();
  for (int k = turns.first; k <= turns.last; ++k) {
    const double shift = kFullTurn * k;
    const double score =
        current ? std::fabs(startAzimuth + shift - *current)
                : -std::min(span.low + shift - limits.min, limits.max - (span.high + shift));
    if (score < bestScore) {
      bestScore = score;
      best = k;
    }
  }
  return best;
}

}  // namespace

std::optional<double> WrapPlan::AzimuthAt(std::int64_t utc) const {
  if (azimuths.empty()) return std::nullopt;
  if (utc <= start || step <= 0) return azimuths.front();
  const auto index = static_cast<std::size_t>((utc - start) / step);
  return azimuths[std::min(index, azimuths.size() - 1)];
}

WrapPlan PlanWrap(std::span<const PassSample> pass, const RotatorSetup& setup,
                  std::optional<double> currentAzimuth) {
  WrapPlan plan;
  if (pass.empty()) return plan;
  plan.start = pass.front().utc;
  plan.step = pass.size() > 1 ? pass[1].utc - pass[0].utc : kPassStepSeconds;
  const AngleLimits limits = LimitsOf(setup.azimuthRange);

  // Whole pass on one turn: the near side first, the back side of a
  // flip-over mount only when the near side cannot do it.
  const bool canFlip = setup.elevationRange == ElevationRange::From0To180;
  for (const bool flipped : {false, true}) {
    if (flipped && !canFlip) break;
    std::vector<double> track = Unwrapped(pass, setup, flipped);
    Span span;
    for (double a : track) span.Add(a);
    const TurnRange turns = TurnsFitting(span, limits);
    if (turns.Empty()) continue;
    const double shift = kFullTurn * ChooseTurn(turns, track.front(), span, limits, currentAzimuth);
    for (double& a : track) a += shift;
    plan.flipped = flipped;
    plan.azimuths = std::move(track);
    return plan;
  }

  // No turn carries the whole pass: split it once, at the lowest elevation
  // where both parts fit a turn of their own. Prefix and suffix spans make
  // every candidate an O(1) check.
  std::vector<double> track = Unwrapped(pass, setup, false);
  const std::size_t n = track.size();
  std::vector<Span> prefix(n), suffix(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) prefix[i] = prefix[i - 1];
    prefix[i].Add(track[i]);
    const std::size_t j = n - 1 - i;
    if (i > 0) suffix[j] = suffix[j + 1];
    suffix[j].Add(track[j]);
  }
  std::optional<std::size_t> split;
  for (std::size_t s = 1; s < n; ++s) {
    if (TurnsFitting(prefix[s - 1], limits).Empty() || TurnsFitting(suffix[s], limits).Empty()) {
      continue;
    }
    if (!split || pass[s].direction.elevation < pass[*split].direction.elevation) split = s;
  }

  if (split) {
    const double before =
        kFullTurn * ChooseTurn(TurnsFitting(prefix[*split - 1], limits), track.front(),
                               prefix[*split - 1], limits, currentAzimuth);
    // After the unwind, the turn nearest to where the rotator was.
    const double after =
        kFullTurn * ChooseTurn(TurnsFitting(suffix[*split], limits), track[*split],
                               suffix[*split], limits, track[*split - 1] + before);
    for (std::size_t i = 0; i < n; ++i) track[i] += i < *split ? before : after;
  } else {
    // Not even one unwind will do (a pass swinging more than twice the
    // range): follow greedily, unwinding wherever the turn runs out.
    double shift = kFullTurn * std::ceil((limits.min - track.front()) / kFullTurn);
    for (std::size_t i = 0; i < n; ++i) {
      double a = track[i] + shift;
      if (a < limits.min || a > limits.max) {
        const double moved = a - kFullTurn * std::floor((a - limits.min) / kFullTurn);
        shift += moved - a;
        a = moved;
        if (!split) split = i;
      }
      track[i] = a;
    }
  }
  plan.azimuths = std::move(track);
  if (split) {
    plan.unwind = WrapPlan::Unwind{pass[*split].utc, pass[*split].direction.elevation,
                                   plan.azimuths[*split - 1], plan.azimuths[*split]};
  }
  return plan;
}

std::vector<PassSample> SamplePass(const TargetFunction& target, std::int64_t from,
                                   double minimumElevation) {
  std::vector<PassSample> pass;
  for (std::int64_t t = from; t <= from + kLongestPassSeconds; t += kPassStepSeconds) {
    const auto direction = target(t);
    if (!direction || !(direction->elevation >= minimumElevation)) break;
    pass.push_back({t, *direction});
  }
  return pass;
}

}  // namespace kelvora

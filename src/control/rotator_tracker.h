// The rotator's tracking loop without the network: once a period it takes
// the time (and the rotator's last reading), keeps the wrap plan of the
// current or next pass, and decides what to command. The window and the
// command line both drive a RotatorClient with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control/rotator_rules.h"
#include "control/rotator_target.h"
#include "control/wrap_planner.h"

namespace kelvora {

struct TrackerStep {
  // The direction pointed at now (refracted unless the setup says not),
  // true azimuth and elevation; empty when undefined.
  std::optional<AzEl> target;
  std::optional<AzEl> airless;  // the same without refraction
  ControlDecision decision;
  std::optional<std::int64_t> riseUtc;  // while waiting: when the target comes up
  std::string status;                   // "tracking", "waiting for rise at 04:12 UTC", ...
};

class RotatorTracker {
 public:
  RotatorTracker(RotatorSetup setup, RotatorTarget target, ControlSite site);

  // One period. reported is the rotator's last reading (rotator frame);
  // approaching says the readings draw nearer to the last command.
  TrackerStep Step(std::int64_t utc, std::optional<AzEl> reported, bool approaching = false);
  // The direction pointed at (see TrackerStep::target) at utc.
  std::optional<AzEl> Direction(std::int64_t utc) const { return direction_(utc); }
  std::optional<AzEl> Airless(std::int64_t utc) const { return airless_(utc); }
  // The last Send decision went out (the client accepted it).
  void Commanded(AzEl command) { lastCommand_ = command; }
  // A command failed or the link dropped: send afresh next period.
  void Forget() { lastCommand_.reset(); }

  const std::optional<AzEl>& LastCommand() const { return lastCommand_; }
  const std::optional<WrapPlan>& Plan() const { return plan_; }
  const RotatorSetup& Setup() const { return setup_; }
  const RotatorTarget& Target() const { return target_; }
  // "az 92.0 -> 265.3, no unwind", "back side: az 272.0 -> 95.0", "unwind at 03:12 UTC, el 8.5"
  std::string PlanText() const;

 private:
  void PlanPass(std::int64_t from, std::optional<AzEl> reported);

  RotatorSetup setup_;
  RotatorTarget target_;
  ControlSite site_;
  TargetFunction airless_;        // the accurate figures, no refraction
  TargetFunction direction_;      // pointing: the accurate figures
  TargetFunction planDirection_;  // pass sampling for the wrap plan: the standard ones
  std::optional<AzEl> lastCommand_;
  std::optional<WrapPlan> plan_;
  std::optional<std::int64_t> rise_;         // cached next rise while waiting
  std::int64_t riseSearchedAt_ = 0;
  bool riseSearched_ = false;
};

// "03:12" for UTC seconds; "--:--" outside the supported years.
std::string UtcClockText(std::int64_t utc);

}  // namespace kelvora

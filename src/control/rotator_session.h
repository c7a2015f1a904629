// One rotator as the window and the command line drive it: the rotctld
// client and the tracking loop, advanced once a period by Period(). Nothing
// here waits on the network except StopAndWait, meant for the way out.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "control/hamlib_protocol.h"
#include "control/rotator_client.h"
#include "control/rotator_tracker.h"

namespace kelvora {

struct RotatorReport {
  LinkStatus link;
  bool tracking = false;
  std::string targetName;
  std::optional<AzEl> target;     // true direction now
  std::optional<AzEl> commanded;  // rotator frame, last move sent
  std::optional<AzEl> reported;   // rotator frame, last reading
  std::optional<double> pointingError;  // degrees on the sky, reading (calibrated) to target
  std::string status;     // "tracking", "waiting for Moon to rise at 04:12 UTC", "stopped", ...
  std::string plan;       // the wrap plan of the pass, or empty when not tracking
  std::string lastError;  // the last failed reply, until a command succeeds again
};

class RotatorSession {
 public:
  RotatorSession(HostPort endpoint, RotatorSetup setup, RotatorTarget target, ControlSite site,
                 HamlibClientTiming timing = {});

  // One period at `utc`: takes the replies that came in, then (if tracking)
  // decides and sends a move, or else asks for the position.
  RotatorReport Period(std::int64_t utc);

  void Track();
  SubmitResult Stop();  // stops tracking, sends S at once
  // Stops tracking and parks: K, or a move to `position` (true direction).
  SubmitResult Park(std::optional<AzEl> position);
  bool StopAndWait(std::chrono::milliseconds maxWait) { return client_.StopAndWait(maxWait); }

  // A new target or setup takes effect at the next period, with a new plan.
  void SetTarget(RotatorTarget target);
  void SetSetup(RotatorSetup setup);

  const RotatorReport& Report() const { return report_; }
  const HostPort& Endpoint() const { return endpoint_; }

 private:
  void TakeReplies();

  HostPort endpoint_;
  ControlSite site_;
  RotatorClient client_;
  RotatorTracker tracker_;
  bool tracking_ = false;
  std::string idleStatus_ = "idle";
  std::optional<AzEl> reported_;
  std::optional<AzEl> commanded_;
  std::string lastError_;
  RotatorReport report_;
};

// Angle on the sky between two directions, degrees.
double SkySeparation(AzEl a, AzEl b);

}  // namespace kelvora

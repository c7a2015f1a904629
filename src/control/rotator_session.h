// One rotator as the station service and the command line drive it: the
// rotctld client and the tracking loop. Period() starts a period (it asks
// for the position); Poll() takes the replies in between and, once the
// period's reading is in, decides and sends the move. Nothing here waits on
// the network except StopAndWait, meant for the way out.
//
// What the report says is what the rotator answered: a move counts as
// commanded once rotctld accepted it, the position is the last reading of
// the current connection, and a stop or park stays pending until rotctld
// answers it with RPRT 0, across reconnections.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "control/hamlib_protocol.h"
#include "control/rotator_client.h"
#include "control/rotator_tracker.h"

namespace kelvora {

enum class RotatorState {
  NotConnected,
  Idle,            // connected, never told to track, stop or park
  Moving,          // tracking, on its way to the target
  OnTarget,        // tracking, pointing error within the threshold
  Stalled,         // tracking, commanded, but the reading stands still off target
  WaitingForRise,  // tracking, at the rise direction (or going there)
  NoTarget,        // tracking, but the target has no position or no rise ahead
  StopPending,     // stop pressed, rotctld has not answered it yet
  Stopped,
  Parking,         // park pressed: pending, or on the way
  Parked,          // arrived at the park position
};

struct RotatorReport {
  LinkStatus link;
  RotatorState state = RotatorState::NotConnected;
  bool tracking = false;
  std::string targetName;
  std::optional<AzEl> target;     // direction pointed at now (refracted unless turned off)
  std::optional<AzEl> airless;    // the same direction without refraction
  std::optional<AzEl> commanded;  // rotator frame, last move rotctld accepted on this connection
  std::optional<AzEl> reported;   // rotator frame, last reading on this connection
  std::optional<AzEl> reportedDirection;  // the reading as a true direction (offsets, flip)
  std::optional<double> pointingError;    // degrees on the sky, reading to target
  std::string status;     // "on target", "waiting for Moon to rise at 04:12 UTC", "stop pending", ...
  std::string plan;       // the wrap plan of the pass, or empty when not tracking
  std::string lastError;  // the last failed reply, until a command succeeds again
  std::uint64_t movesSent = 0;     // P commands rotctld accepted
  std::uint64_t stopsAnswered = 0; // S and K (or park moves) answered RPRT 0
};

class RotatorSession {
 public:
  RotatorSession(HostPort endpoint, RotatorSetup setup, RotatorTarget target, ControlSite site,
                 HamlibClientTiming timing = {});

  // Starts the period at `utc` for the station at `site` (a new site takes
  // effect now, with a new plan): takes the replies that came in, sends a
  // pending stop or park first, then asks for the position.
  const RotatorReport& Period(std::int64_t utc, std::optional<ControlSite> site = std::nullopt);
  // Takes the replies that came in; when this period's reading is among
  // them, decides and sends the move.
  const RotatorReport& Poll();

  void Track();
  // Stops tracking and sends S; it stays pending until rotctld answers it.
  void Stop();
  // Stops tracking and parks: K, or a move to `position` (true direction).
  // Invalid when the position is outside the rotator's limits.
  SubmitResult Park(std::optional<AzEl> position);
  bool StopAndWait(std::chrono::milliseconds maxWait) { return client_.StopAndWait(maxWait); }

  // A new target or setup takes effect at once, with a new plan.
  void SetTarget(RotatorTarget target);
  void SetSetup(RotatorSetup setup);

  const RotatorReport& Report() const { return report_; }
  const HostPort& Endpoint() const { return endpoint_; }
  const RotatorTracker& Tracker() const { return tracker_; }
  bool StopPending() const { return urgent_.has_value(); }

 private:
  enum class Mode { Idle, Tracking, Stopped, Parking, Parked };
  struct Urgent {
    RotatorCommand command;      // Stop or Park
    std::optional<AzEl> parkAt;  // rotator frame; empty for K
  };

  void TakeReplies();
  void TakeReading(AzEl reading);
  void SendUrgent();
  void Decide();
  void Rebuild(RotatorSetup setup, RotatorTarget target, ControlSite site);
  void BuildReport();

  HostPort endpoint_;
  ControlSite site_;
  RotatorClient client_;
  RotatorTracker tracker_;
  Mode mode_ = Mode::Idle;
  std::int64_t periodUtc_ = 0;
  bool readingAsked_ = false;   // this period's `p` is out
  std::optional<TrackerStep> step_;  // the decision of this period
  std::optional<Urgent> urgent_;
  bool urgentOut_ = false;      // submitted, no answer yet
  bool urgentWait_ = false;     // refused: sent again next period, not at once
  std::optional<AzEl> moveOut_;  // the P on the wire
  std::optional<AzEl> reported_;
  std::optional<AzEl> commanded_;
  std::optional<double> lastGap_;  // reading to commanded, previous reading, degrees
  bool approaching_ = false;
  AzEl still_{0, 0};               // where the reading last moved to
  std::int64_t stillSince_ = 0;    // utc of that move
  std::optional<AzEl> parkTarget_;  // rotator frame, for a park move
  std::string lastError_;
  std::uint64_t movesSent_ = 0;
  std::uint64_t stopsAnswered_ = 0;
  RotatorReport report_;
};

// "on target", "stalled", ... : the state's words.
const char* RotatorStateText(RotatorState state);

}  // namespace kelvora

#include "control/rotator_session.h"

#include <utility>

#include "link/angles.h"

namespace kelvora {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A reading that comes this much nearer to the command (degrees on the sky)
// shows the rotator on its way.
constexpr double kApproachDegrees = 0.05;
// A controller's own park (K) counts as arrived once the reading has stood
// still this long after K was answered.
constexpr std::chrono::seconds kParkSettle{2};

double SecondsSince(std::int64_t stampMs) {
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       SteadyClock::now().time_since_epoch())
                       .count();
  return static_cast<double>(now - stampMs) / 1000.0;
}

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             SteadyClock::now().time_since_epoch())
      .count();
}

}  // namespace

const char* RotatorStateText(RotatorState state) {
  switch (state) {
    case RotatorState::NotConnected: return "not connected";
    case RotatorState::Idle: return "idle";
    case RotatorState::Moving: return "moving";
    case RotatorState::OnTarget: return "on target";
    case RotatorState::Stalled: return "stalled";
    case RotatorState::WaitingForRise: return "waiting for rise";
    case RotatorState::NoTarget: return "no target";
    case RotatorState::StopPending: return "stop pending";
    case RotatorState::Stopped: return "stopped";
    case RotatorState::Parking: return "parking";
    case RotatorState::Parked: return "parked";
  }
  return "idle";
}

RotatorSession::RotatorSession(HostPort endpoint, RotatorSetup setup, RotatorTarget target,
                               ControlSite site, HamlibClientTiming timing)
    : endpoint_(std::move(endpoint)),
      site_(site),
      client_(endpoint_.host, endpoint_.port, timing),
      tracker_(setup, std::move(target), site) {
  stillSince_ = NowMs();
  BuildReport();
}

void RotatorSession::Rebuild(RotatorSetup setup, RotatorTarget target, ControlSite site) {
  const std::optional<AzEl> last = tracker_.LastCommand();
  site_ = site;
  tracker_ = RotatorTracker(setup, std::move(target), site);
  if (last) tracker_.Commanded(*last);
}

void RotatorSession::TakeReading(AzEl reading) {
  const RotatorSetup& setup = tracker_.Setup();
  const AzEl sky = FromRotatorFrame(setup, reading);
  if (!reported_ || SkySeparation(sky, FromRotatorFrame(setup, still_)) > kStallDegrees) {
    still_ = reading;
    stillSince_ = NowMs();
  }
  reported_ = reading;
  approaching_ = false;
  if (commanded_) {
    const double gap = SkySeparation(sky, FromRotatorFrame(setup, *commanded_));
    approaching_ = lastGap_ && gap < *lastGap_ - kApproachDegrees;
    lastGap_ = gap;
  } else {
    lastGap_.reset();
  }
  if (mode_ == Mode::Parking && !urgent_) {
    const bool arrived =
        parkTarget_ ? SkySeparation(sky, FromRotatorFrame(setup, *parkTarget_)) <=
                          setup.thresholdDegrees
                    : SecondsSince(stillSince_) >=
                          std::chrono::duration<double>(kParkSettle).count();
    if (arrived) mode_ = Mode::Parked;
  }
}

void RotatorSession::TakeReplies() {
  while (auto event = client_.TakeEvent()) {
    const bool ok = event->outcome == ReplyOutcome::Ok;
    const bool refused = event->outcome == ReplyOutcome::Refused;
    if (ok) lastError_.clear();
    switch (event->command) {
      case RotatorCommand::ReadPosition:
        if (ok && event->position) {
          TakeReading(*event->position);
          if (readingAsked_) {
            readingAsked_ = false;
            Decide();
          }
        } else {
          readingAsked_ = false;
        }
        break;
      case RotatorCommand::Move:
        if (ok && moveOut_) {
          commanded_ = moveOut_;
          tracker_.Commanded(*moveOut_);
          ++movesSent_;
          lastGap_.reset();
          if (reported_) {
            const RotatorSetup& setup = tracker_.Setup();
            lastGap_ = SkySeparation(FromRotatorFrame(setup, *reported_),
                                     FromRotatorFrame(setup, *moveOut_));
          }
        } else {
          tracker_.Forget();  // decided afresh next period
        }
        moveOut_.reset();
        break;
      case RotatorCommand::Stop:
      case RotatorCommand::Park:
        urgentOut_ = false;
        if (ok && urgent_) {
          const bool park = urgent_->command == RotatorCommand::Park;
          mode_ = park ? Mode::Parking : Mode::Stopped;
          if (park) stillSince_ = NowMs();
          urgent_.reset();
          ++stopsAnswered_;
        }
        // Refused: sent again next period, not in a tight loop. Lost or
        // garbled: sent first on the next connection.
        if (refused) urgentWait_ = true;
        break;
    }
    if (event->outcome == ReplyOutcome::Superseded) continue;
    if (!ok) {
      const char* what = "position";
      switch (event->command) {
        case RotatorCommand::Move: what = "move"; break;
        case RotatorCommand::Stop: what = "stop"; break;
        case RotatorCommand::Park: what = "park"; break;
        case RotatorCommand::ReadPosition: break;
      }
      lastError_ = std::string(what) + ": " + event->text;
    }
  }
}

void RotatorSession::SendUrgent() {
  if (!urgent_ || urgentOut_ || urgentWait_) return;
  SubmitResult result = SubmitResult::NotConnected;
  if (urgent_->command == RotatorCommand::Stop) {
    result = client_.Stop();
  } else {
    result = urgent_->parkAt ? client_.ParkAt(*urgent_->parkAt) : client_.Park();
  }
  urgentOut_ = result == SubmitResult::Accepted;
}

void RotatorSession::Decide() {
  if (mode_ != Mode::Tracking || urgent_) return;
  step_ = tracker_.Step(periodUtc_, reported_, approaching_);
  if (step_->decision.action != ControlAction::Send) return;
  if (client_.Move(step_->decision.command) == SubmitResult::Accepted) {
    moveOut_ = step_->decision.command;
  }
}

const RotatorReport& RotatorSession::Period(std::int64_t utc, std::optional<ControlSite> site) {
  if (site && (site->latitude != site_.latitude || site->longitude != site_.longitude)) {
    Rebuild(tracker_.Setup(), tracker_.Target(), *site);
  }
  periodUtc_ = utc;
  urgentWait_ = false;
  step_.reset();
  Poll();
  if (client_.Status().state == LinkState::Connected) {
    if (client_.ReadPosition() == SubmitResult::Accepted) readingAsked_ = true;
  }
  if (!step_ && mode_ == Mode::Tracking) {
    // No reading this period (not connected, or the wire is busy): the
    // target and the status still move on.
    step_ = tracker_.Step(periodUtc_, reported_, approaching_);
  }
  BuildReport();
  return report_;
}

const RotatorReport& RotatorSession::Poll() {
  TakeReplies();
  if (client_.Status().state != LinkState::Connected) {
    // What the rotator said belongs to the connection that is gone.
    reported_.reset();
    commanded_.reset();
    lastGap_.reset();
    approaching_ = false;
    moveOut_.reset();
    readingAsked_ = false;
    urgentOut_ = false;
    tracker_.Forget();
  } else {
    SendUrgent();
  }
  BuildReport();
  return report_;
}

void RotatorSession::Track() {
  mode_ = Mode::Tracking;
  urgent_.reset();
  tracker_.Forget();
}

void RotatorSession::Stop() {
  mode_ = Mode::Stopped;
  urgent_ = Urgent{RotatorCommand::Stop, std::nullopt};
  urgentOut_ = false;
  urgentWait_ = false;
  if (client_.Status().state == LinkState::Connected) SendUrgent();
  BuildReport();
}

SubmitResult RotatorSession::Park(std::optional<AzEl> position) {
  std::optional<AzEl> frame;
  if (position) {
    const RotatorSetup& setup = tracker_.Setup();
    AzEl f = ToRotatorFrame(setup, *position, false);
    const AngleLimits az = LimitsOf(setup.azimuthRange);
    if (f.azimuth > az.max) f.azimuth -= 360.0;
    if (f.azimuth < az.min) f.azimuth += 360.0;
    const AngleLimits el = LimitsOf(setup.elevationRange);
    if (f.azimuth < az.min || f.azimuth > az.max || f.elevation < el.min ||
        f.elevation > el.max) {
      return SubmitResult::Invalid;
    }
    frame = f;
  }
  mode_ = Mode::Parking;
  parkTarget_ = frame;
  urgent_ = Urgent{RotatorCommand::Park, frame};
  urgentOut_ = false;
  urgentWait_ = false;
  const bool connected = client_.Status().state == LinkState::Connected;
  if (connected) SendUrgent();
  BuildReport();
  return connected ? SubmitResult::Accepted : SubmitResult::NotConnected;
}

void RotatorSession::SetTarget(RotatorTarget target) {
  Rebuild(tracker_.Setup(), std::move(target), site_);
}

void RotatorSession::SetSetup(RotatorSetup setup) { Rebuild(setup, tracker_.Target(), site_); }

void RotatorSession::BuildReport() {
  RotatorReport r;
  r.link = client_.Status();
  const bool connected = r.link.state == LinkState::Connected;
  r.tracking = mode_ == Mode::Tracking;
  r.targetName = tracker_.Target().name;
  if (step_) {
    r.target = step_->target;
    r.airless = step_->airless;
  } else {
    r.target = tracker_.Direction(periodUtc_);
    r.airless = tracker_.Airless(periodUtc_);
  }
  r.commanded = commanded_;
  r.reported = reported_;
  const RotatorSetup& setup = tracker_.Setup();
  if (reported_) r.reportedDirection = FromRotatorFrame(setup, *reported_);
  if (r.reportedDirection && r.target) {
    r.pointingError = SkySeparation(*r.reportedDirection, *r.target);
  }
  r.lastError = lastError_;
  r.movesSent = movesSent_;
  r.stopsAnswered = stopsAnswered_;

  if (urgent_) {
    r.state = urgent_->command == RotatorCommand::Stop ? RotatorState::StopPending
                                                       : RotatorState::Parking;
  } else if (!connected) {
    r.state = RotatorState::NotConnected;
  } else {
    switch (mode_) {
      case Mode::Idle: r.state = RotatorState::Idle; break;
      case Mode::Stopped: r.state = RotatorState::Stopped; break;
      case Mode::Parking: r.state = RotatorState::Parking; break;
      case Mode::Parked: r.state = RotatorState::Parked; break;
      case Mode::Tracking: {
        const ControlReason reason =
            step_ ? step_->decision.reason : ControlReason::Tracking;
        if (reason == ControlReason::WaitingForRise) {
          r.state = RotatorState::WaitingForRise;
        } else if (reason != ControlReason::Tracking) {
          r.state = RotatorState::NoTarget;
        } else if (r.pointingError && *r.pointingError <= setup.thresholdDegrees) {
          r.state = RotatorState::OnTarget;
        } else if (commanded_ && reported_ && SecondsSince(stillSince_) >= setup.stallSeconds) {
          r.state = RotatorState::Stalled;
        } else {
          r.state = RotatorState::Moving;
        }
        break;
      }
    }
  }
  r.status = RotatorStateText(r.state);
  if (r.tracking && step_ && (r.state == RotatorState::WaitingForRise ||
                              r.state == RotatorState::NoTarget)) {
    r.status = step_->status;
  }
  if (r.tracking && step_ && step_->decision.clamped) r.status += ", clamped to limits";
  if (r.tracking) r.plan = tracker_.PlanText();
  report_ = std::move(r);
}

}  // namespace kelvora

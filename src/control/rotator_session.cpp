#include "control/rotator_session.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "astro/time_helpers.h"
#include "link/angles.h"

namespace kelvora {

double SkySeparation(AzEl a, AzEl b) {
  return AngularSeparationDeg(a.azimuth, a.elevation, b.azimuth, b.elevation);
}

RotatorSession::RotatorSession(HostPort endpoint, RotatorSetup setup, RotatorTarget target,
                               ControlSite site, HamlibClientTiming timing)
    : endpoint_(std::move(endpoint)),
      site_(site),
      client_(endpoint_.host, endpoint_.port, timing),
      tracker_(setup, std::move(target), site) {}

void RotatorSession::TakeReplies() {
  while (auto event = client_.TakeEvent()) {
    if (event->outcome == ReplyOutcome::Ok) {
      lastError_.clear();
      if (event->position) reported_ = event->position;
      continue;
    }
    if (event->outcome == ReplyOutcome::Superseded) continue;
    const char* what = "position";
    switch (event->command) {
      case RotatorCommand::Move:
        what = "move";
        tracker_.Forget();  // send it again next period
        break;
      case RotatorCommand::Stop: what = "stop"; break;
      case RotatorCommand::Park: what = "park"; break;
      case RotatorCommand::ReadPosition: break;
    }
    lastError_ = std::string(what) + ": " + event->text;
  }
}

RotatorReport RotatorSession::Period(std::int64_t utc) {
  TakeReplies();
  RotatorReport report;
  report.link = client_.Status();
  report.tracking = tracking_;
  report.targetName = tracker_.Target().name;
  const bool connected = report.link.state == LinkState::Connected;
  if (!connected) tracker_.Forget();  // after a reconnect the move goes out afresh

  if (tracking_) {
    const TrackerStep step = tracker_.Step(utc, reported_);
    report.target = step.target;
    report.status = step.status;
    report.plan = tracker_.PlanText();
    bool sent = false;
    if (connected && step.decision.action == ControlAction::Send) {
      sent = client_.Move(step.decision.command) == SubmitResult::Accepted;
      if (sent) {
        tracker_.Commanded(step.decision.command);
        commanded_ = step.decision.command;
      }
    }
    if (connected && !sent) client_.ReadPosition();
  } else {
    report.target = MakeTargetFunction(tracker_.Target(), site_)(utc);
    report.status = idleStatus_;
    if (connected) client_.ReadPosition();
  }
  report.commanded = commanded_;
  report.reported = reported_;
  if (reported_ && report.target) {
    report.pointingError = SkySeparation(FromRotatorFrame(tracker_.Setup(), *reported_), *report.target);
  }
  report.lastError = lastError_;
  report_ = report;
  return report;
}

void RotatorSession::Track() {
  tracking_ = true;
  tracker_.Forget();
}

SubmitResult RotatorSession::Stop() {
  tracking_ = false;
  idleStatus_ = "stopped";
  return client_.Stop();
}

SubmitResult RotatorSession::Park(std::optional<AzEl> position) {
  tracking_ = false;
  idleStatus_ = "parked";
  if (!position) return client_.Park();
  const RotatorSetup& setup = tracker_.Setup();
  AzEl frame = ToRotatorFrame(setup, *position, false);
  const AngleLimits az = LimitsOf(setup.azimuthRange);
  if (frame.azimuth > az.max) frame.azimuth -= 360.0;
  if (frame.azimuth < az.min) frame.azimuth += 360.0;
  const AngleLimits el = LimitsOf(setup.elevationRange);
  if (frame.azimuth < az.min || frame.azimuth > az.max || frame.elevation < el.min ||
      frame.elevation > el.max) {
    return SubmitResult::Invalid;
  }
  return client_.ParkAt(frame);
}

void RotatorSession::SetTarget(RotatorTarget target) {
  tracker_ = RotatorTracker(tracker_.Setup(), std::move(target), site_);
}

void RotatorSession::SetSetup(RotatorSetup setup) {
  tracker_ = RotatorTracker(setup, tracker_.Target(), site_);
}

}  // namespace kelvora

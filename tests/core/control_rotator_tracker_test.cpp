// The tracking loop over real moon positions: waiting at the rise azimuth,
// following a pass, and driving the real rotctld simulator.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

#include "astro/moon.h"
#include "control/rotator_client.h"
#include "control/rotator_session.h"
#include "control/rotator_tracker.h"
#include "hamlib_test_support.h"

namespace kelvora {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t k2024Mar1 = 1709251200;  // 2024-03-01 00:00:00 UTC
constexpr ControlSite kHouston{29.42, 95.36};
constexpr ControlSite kCanberra{-35.3, -149.1};
constexpr ControlSite kTromso{69.65, -18.96};

AzEl Moon(ControlSite site, std::int64_t utc) {
  const auto fix = MoonPosition(site.latitude, site.longitude, utc, TimeBase{});
  return {fix->azimuth, fix->elevation};
}

// First minute from `from` on with the moon below `below` degrees, then the
// first after that with it at or above `above`.
std::int64_t MinuteWhen(ControlSite site, std::int64_t from, double below, double above) {
  std::int64_t t = from;
  while (Moon(site, t).elevation >= below) t += 60;
  while (Moon(site, t).elevation < above) t += 60;
  return t;
}

TEST(RotatorTracker, WaitsAtTheAzimuthOfTheNextRise) {
  struct Row {
    const char* name;
    ControlSite site;
    double minimumElevation;
  };
  const Row rows[] = {{"horizon_houston", kHouston, 0.0},
                      {"ten_degrees_houston", kHouston, 10.0},
                      {"horizon_canberra", kCanberra, 0.0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RotatorSetup setup;
    setup.minimumElevation = row.minimumElevation;
    setup.refraction = false;  // the reference below is the airless moon
    // A moment with the moon well down, and its true rise (minute steps of
    // the full theory, independent of the search under test).
    const std::int64_t down = MinuteWhen(row.site, k2024Mar1, -10.0, -1e9);
    const std::int64_t rise = MinuteWhen(row.site, down, 1e9, row.minimumElevation);
    RotatorTracker tracker(setup, RotatorTarget{}, row.site);
    const TrackerStep step = tracker.Step(down, std::nullopt);
    EXPECT_EQ(step.decision.reason, ControlReason::WaitingForRise);
    EXPECT_EQ(step.decision.action, ControlAction::Send);
    ASSERT_TRUE(step.riseUtc);
    EXPECT_NEAR(static_cast<double>(*step.riseUtc), static_cast<double>(rise), 60.0);
    EXPECT_NEAR(AzimuthDifference(step.decision.aim.azimuth, Moon(row.site, rise).azimuth), 0.0, 0.3);
    EXPECT_NE(step.status.find("waiting for Moon to rise at"), std::string::npos) << step.status;
    // The wait is planned for the coming pass: its first planned azimuth.
    ASSERT_TRUE(tracker.Plan());
    EXPECT_EQ(tracker.Plan()->start, *step.riseUtc);
    // Pointing at the refracted moon starts earlier: at the horizon the
    // air lifts it by about half a degree, two to five minutes of its climb.
    setup.refraction = true;
    RotatorTracker apparent(setup, RotatorTarget{}, row.site);
    const auto early = apparent.Step(down, std::nullopt).riseUtc;
    ASSERT_TRUE(early);
    const double lead = static_cast<double>(*step.riseUtc - *early);
    if (row.minimumElevation == 0.0) {
      EXPECT_GE(lead, 120.0);
      EXPECT_LE(lead, 300.0);
    } else {
      EXPECT_GE(lead, 0.0);
      EXPECT_LE(lead, 120.0);
    }
  }
}

TEST(RotatorTracker, RefusesToMoveWhenTheTargetHasNoPosition) {
  // 2150-01-01 00:00 UTC: past the years of both the accurate and the
  // standard moon.
  constexpr std::int64_t k2150 = 5680281600;
  RotatorTracker tracker(RotatorSetup{}, RotatorTarget{}, kHouston);
  const TrackerStep step = tracker.Step(k2150, std::nullopt);
  EXPECT_FALSE(step.target);
  EXPECT_EQ(step.decision.action, ControlAction::Refuse);
  EXPECT_EQ(step.decision.reason, ControlReason::NoPosition);
  EXPECT_EQ(step.status, "Moon has no position now");
}

TEST(RotatorTracker, FollowsAWholePassWithinTheDeadband) {
  // A southern pass on a 0-450 rotator with a 1 degree deadband, stepped
  // every 10 s from rise to set as the window would, the rotator arriving at
  // once: every command inside the limits, the pointing error on the sky
  // within the band plus a step's motion.
  RotatorSetup setup;
  setup.azimuthRange = AzimuthRange::From0To450;
  RotatorTracker tracker(setup, RotatorTarget{}, kCanberra);
  const std::int64_t rise = MinuteWhen(kCanberra, k2024Mar1 + 5 * 86400, 0.0, 0.0);
  int moves = 0;
  double worst = 0;
  std::int64_t t = rise + 600;
  for (; Moon(kCanberra, t).elevation > 1.0; t += 10) {
    const TrackerStep step = tracker.Step(t, tracker.LastCommand());
    ASSERT_NE(step.decision.action, ControlAction::Refuse);
    if (step.decision.action == ControlAction::Send) {
      tracker.Commanded(step.decision.command);
      ++moves;
      EXPECT_GE(step.decision.command.azimuth, 0.0);
      EXPECT_LE(step.decision.command.azimuth, 450.0);
    }
    const AzEl pointing = FromRotatorFrame(setup, *tracker.LastCommand());
    worst = std::max(worst, SkySeparation(pointing, *step.target));
  }
  EXPECT_GT(t - rise, 6 * 3600);
  EXPECT_LT(worst, 1.0 + 0.05);
  EXPECT_GT(moves, 60);
  EXPECT_NE(tracker.PlanText().find("az "), std::string::npos);
}

// Runs periods of the session every 100 ms, collecting replies between
// them, until `done` or the time is up.
template <typename Predicate>
bool RunPeriods(RotatorSession& session, std::int64_t utc, Predicate done,
                std::chrono::milliseconds limit = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (done(session.Period(utc))) return true;
    for (int i = 0; i < 10; ++i) {
      std::this_thread::sleep_for(10ms);
      session.Poll();
    }
  }
  return false;
}

TEST(RotatorTrackerRotctld, TracksTheMoonUntilOnTarget) {
  // The simulator starts at 0, 0 and moves about 6 deg/s: a moon low in the
  // north (lower culmination at a high-latitude site) is seconds away.
  std::int64_t utc = k2024Mar1;
  while (!(Moon(kTromso, utc).elevation > 2 && Moon(kTromso, utc).elevation < 12 &&
           std::fabs(AzimuthDifference(Moon(kTromso, utc).azimuth, 0)) < 15)) {
    utc += 600;
    ASSERT_LT(utc, k2024Mar1 + 60 * 86400);
  }
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  RotatorSetup setup;
  setup.azimuthRange = AzimuthRange::FromMinus180To180;
  RotatorSession session({"127.0.0.1", daemon.Port()}, setup, RotatorTarget{}, kTromso);
  session.Track();
  EXPECT_TRUE(RunPeriods(session, utc, [](const RotatorReport& r) {
    return r.state == RotatorState::OnTarget;
  }, 15s)) << session.Report().link.text << " / " << session.Report().status;
  EXPECT_LT(*session.Report().pointingError, setup.thresholdDegrees);
}

TEST(RotatorTrackerRotctld, StopHaltsAndParkReturns) {
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  RotatorClient client("127.0.0.1", daemon.Port(), {1000ms, 2000ms, 50ms});
  ASSERT_TRUE(testing::LoopbackAccepts(daemon.Port()));
  const auto read = [&]() -> std::optional<AzEl> {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (client.ReadPosition() == SubmitResult::Accepted) {
        while (std::chrono::steady_clock::now() < deadline) {
          if (auto event = client.TakeEvent()) return event->position;
          std::this_thread::sleep_for(5ms);
        }
      }
      std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
  };
  const auto drain = [&](RotatorCommand command) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (auto event = client.TakeEvent(); event && event->command == command) return event;
      std::this_thread::sleep_for(5ms);
    }
    return std::optional<RotatorEvent>{};
  };
  ASSERT_TRUE(read());  // connected
  ASSERT_EQ(client.Move({150, 60}), SubmitResult::Accepted);
  ASSERT_TRUE(drain(RotatorCommand::Move));
  std::this_thread::sleep_for(600ms);
  ASSERT_EQ(client.Stop(), SubmitResult::Accepted);
  const auto stopped = drain(RotatorCommand::Stop);
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->outcome, ReplyOutcome::Ok);
  const auto first = read();
  std::this_thread::sleep_for(500ms);
  const auto second = read();
  ASSERT_TRUE(first && second);
  EXPECT_LT(first->azimuth, 140.0);
  EXPECT_NEAR(second->azimuth, first->azimuth, 0.01);  // it no longer moves

  const AzEl park{first->azimuth + 5, 2};
  ASSERT_EQ(client.ParkAt(park), SubmitResult::Accepted);
  ASSERT_TRUE(drain(RotatorCommand::Park));
  std::optional<AzEl> parked;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  do {
    parked = read();
  } while (parked &&
           (std::fabs(parked->azimuth - park.azimuth) > 0.5 ||
            std::fabs(parked->elevation - park.elevation) > 0.5) &&
           std::chrono::steady_clock::now() < deadline);
  ASSERT_TRUE(parked);
  EXPECT_NEAR(parked->azimuth, park.azimuth, 0.5);
  EXPECT_NEAR(parked->elevation, park.elevation, 0.5);

  ASSERT_EQ(client.Park(), SubmitResult::Accepted);
  const auto k = drain(RotatorCommand::Park);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->outcome, ReplyOutcome::Ok);
  EXPECT_EQ(client.Move({std::nan(""), 10}), SubmitResult::Invalid);
  EXPECT_TRUE(client.StopAndWait(1s));
}

}  // namespace
}  // namespace kelvora

namespace kelvora {
namespace {

TEST(RotatorSessionRotctld, ResumesTrackingAfterTheDaemonRestarts) {
  // The restarted simulator is back at 0, 0: only a move sent afresh after
  // the reconnection brings the antenna on target again.
  testing::HamlibDaemon daemon("rotctld", testing::FreeLoopbackPort());
  const auto target = ParseTargetText("azel:9,4");
  ASSERT_TRUE(target) << target.reason();
  RotatorSession session({"127.0.0.1", daemon.Port()}, RotatorSetup{}, *target, kHouston,
                         {1000ms, 1500ms, 50ms});
  session.Track();
  const auto onTarget = [](const RotatorReport& r) {
    return r.pointingError && *r.pointingError < 1.0;
  };
  ASSERT_TRUE(RunPeriods(session, k2024Mar1, onTarget)) << session.Report().link.text;

  daemon.Stop();
  ASSERT_TRUE(RunPeriods(session, k2024Mar1, [](const RotatorReport& r) {
    return r.link.state == LinkState::NotConnected;
  }));
  EXPECT_EQ(session.Report().link.reason.empty(), false);
  daemon.Start();
  // A reading of the fresh simulator, far from the target (about 1.5 s of
  // travel away, many periods), then the antenna on target again.
  ASSERT_TRUE(RunPeriods(session, k2024Mar1, [](const RotatorReport& r) {
    return r.link.state == LinkState::Connected && r.pointingError && *r.pointingError > 2.0;
  }));
  EXPECT_TRUE(RunPeriods(session, k2024Mar1, onTarget));
  EXPECT_EQ(session.Report().status, "on target");
}

}  // namespace
}  // namespace kelvora

#include "rotator_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <time.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "exit_status.h"
#include "moment.h"
#include "astro/sources.h"
#include "astro/time_helpers.h"
#include "control/hamlib_protocol.h"
#include "control/rotator_client.h"
#include "control/rotator_session.h"
#include "state/records.h"
#include "tick/commands.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// Exit statuses shared with the other subcommands: 1 here means rotctld
// could not be reached or refused the command.

// How long the one-shot commands wait for rotctld.
constexpr auto kConnectWait = 4s;
constexpr auto kReplyWait = 6s;
constexpr double kShortestPeriod = 0.2;  // seconds
constexpr double kLongestPeriod = 60.0;

struct RotatorOptions {
  std::string rotctld;
  std::string target = "moon";
  std::optional<double> threshold;
  double period = 1.0;
  std::string azRange = "0:360";
  std::string elRange = "0:90";
  std::optional<double> minElevation;
  std::optional<double> azOffset;
  std::optional<double> elOffset;
  std::optional<std::int64_t> count;
  std::optional<std::int64_t> clock;
  std::optional<std::int64_t> gmtOffset;
  std::string home;
  std::optional<int> source;
  std::string star;
  bool starB1950 = false;
  std::string parkAt;
  bool json = false;
};

volatile sig_atomic_t gStopRequested = 0;
void OnStopSignal(int) { gStopRequested = 1; }

HostPort Endpoint(const RotatorOptions& o) {
  const auto endpoint = ParseHostPort(o.rotctld, kDefaultRotctldPort);
  if (!endpoint) throw UsageError("--rotctld: expected HOST:PORT, got '" + o.rotctld + "'");
  return *endpoint;
}

AzEl ParseDirection(const std::string& text, const std::string& what) {
  const auto comma = text.find(',');
  const auto az = comma == std::string::npos ? std::nullopt : ParseNumber(text.substr(0, comma));
  const auto el = comma == std::string::npos ? std::nullopt : ParseNumber(text.substr(comma + 1));
  if (!az || !el || *az < 0 || *az > 360 || *el < 0 || *el > 180) {
    throw UsageError(what + ": expected AZ,EL with AZ 0-360 and EL 0-180, got '" + text + "'");
  }
  return {*az, *el};
}

RotatorSetup BuildSetup(const RotatorOptions& o) {
  RotatorSetup setup;
  if (o.azRange == "0:360") {
    setup.azimuthRange = AzimuthRange::From0To360;
  } else if (o.azRange == "-180:180") {
    setup.azimuthRange = AzimuthRange::FromMinus180To180;
  } else if (o.azRange == "0:450") {
    setup.azimuthRange = AzimuthRange::From0To450;
  } else {
    throw UsageError("--az-range must be 0:360, -180:180 or 0:450, got '" + o.azRange + "'");
  }
  if (o.elRange == "0:90") {
    setup.elevationRange = ElevationRange::From0To90;
  } else if (o.elRange == "0:180") {
    setup.elevationRange = ElevationRange::From0To180;
  } else {
    throw UsageError("--el-range must be 0:90 or 0:180, got '" + o.elRange + "'");
  }
  if (o.threshold) setup.thresholdDegrees = *o.threshold;
  if (o.minElevation) setup.minimumElevation = *o.minElevation;
  if (o.azOffset) setup.azimuthOffset = *o.azOffset;
  if (o.elOffset) setup.elevationOffset = *o.elOffset;
  if (const Status checked = CheckSetup(setup); !checked) throw UsageError(checked.reason());
  return setup;
}

std::string Degrees(const std::optional<AzEl>& d) {
  if (!d) return "     -      -";
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%6.1f %6.1f", d->azimuth, d->elevation);
  return text.data();
}

json DirectionJson(const std::optional<AzEl>& d) {
  if (!d) return nullptr;
  return json{{"azimuthDeg", d->azimuth}, {"elevationDeg", d->elevation}};
}

const char* StateName(LinkState state) {
  switch (state) {
    case LinkState::Connected: return "connected";
    case LinkState::Connecting: return "connecting";
    case LinkState::NotConnected: break;
  }
  return "not connected";
}

std::string UtcText(std::int64_t utc) {
  const auto civil = BreakDownTime(utc);
  if (!civil) return std::to_string(utc);
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%04d-%02d-%02d %02d:%02d:%02d", civil->year,
                civil->month, civil->day, civil->hour, civil->minute, civil->second);
  return text.data();
}

void PrintReport(std::int64_t utc, const std::string& localText, const RotatorReport& r,
                 bool asJson) {
  if (asJson) {
    json line = {{"utcSeconds", utc},
                 {"homeLocalText", localText},
                 {"time", UtcText(utc) + "Z"},
                 {"target", r.targetName},
                 {"targetDirection", DirectionJson(r.target)},
                 {"airless", DirectionJson(r.airless)},
                 {"commanded", DirectionJson(r.commanded)},
                 {"reported", DirectionJson(r.reported)},
                 {"pointingErrorDeg", r.pointingError ? json(*r.pointingError) : json(nullptr)},
                 {"state", StateName(r.link.state)},
                 {"link", r.link.text},
                 {"status", r.status},
                 {"plan", r.plan},
                 {"lastError", r.lastError}};
    std::cout << line.dump() << '\n';
  } else {
    std::array<char, 16> error{};
    if (r.pointingError) std::snprintf(error.data(), error.size(), "%5.1f", *r.pointingError);
    std::cout << UtcText(utc) << " UTC  " << r.targetName << "  target " << Degrees(r.target)
              << "  commanded " << Degrees(r.commanded) << "  reported " << Degrees(r.reported)
              << "  error " << (r.pointingError ? error.data() : "    -") << "  "
              << StateName(r.link.state);
    if (r.link.state == LinkState::NotConnected) std::cout << " (" << r.link.reason << ")";
    std::cout << ", " << r.status;
    if (!r.lastError.empty()) std::cout << " (" << r.lastError << ")";
    std::cout << '\n';
  }
  std::cout.flush();
}

// Sleeps `seconds`, cut short by Ctrl+C, collecting the rotator's replies
// (the period's move follows its position reading).
void SleepPeriod(double seconds, RotatorSession& session) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!gStopRequested && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(20ms);
    session.Poll();
  }
}

int RunTrack(const RotatorOptions& o) {
  const HostPort endpoint = Endpoint(o);
  const RotatorSetup setup = BuildSetup(o);
  if (!(o.period >= kShortestPeriod && o.period <= kLongestPeriod)) {
    throw UsageError("--period must be between 0.2 and 60 seconds");
  }
  TrackerModel model;
  // A damaged settings file is read with its defaults; the notice is not this command's.
  static_cast<void>(StartUp(model, std::filesystem::current_path()));
  ControlSite site{model.home.latitude, model.home.longitude};
  if (!o.home.empty()) {
    const LatLon home = ParseLatLonPair(o.home, "--home");
    site = {home.latitude, home.longitude};
  }
  const std::int32_t gmt = GmtOffsetHours(o.gmtOffset, model.home.gmtOffsetHours);

  const Result<RotatorTarget> target = [&]() -> Result<RotatorTarget> {
    if (o.target != "source") return ParseTargetText(o.target);
    std::string ra = model.tracking.userStarRa, dec = model.tracking.userStarDec;
    int code = o.source.value_or(model.tracking.trackedSource);
    if (!o.star.empty()) {
      const auto comma = o.star.find(',');
      ra = o.star.substr(0, comma);
      dec = comma == std::string::npos ? "" : o.star.substr(comma + 1);
      if (!o.source) code = kSourceUserStar;
    }
    return SourceTarget(code, ra, dec,
                        o.starB1950 ? precise::CatalogueEpoch::B1950
                                    : precise::CatalogueEpoch::J2000);
  }();
  if (!target) throw UsageError("--target: " + target.reason());

  const auto utcNow = [&] { return MomentUtc(o.clock); };
  if (utcNow() < FirstSupportedSecond() || utcNow() > LastSupportedSecond()) {
    throw UsageError("the tracked moment is outside the years 1901-2099");
  }

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  RotatorSession session(endpoint, setup, *target, site);
  session.Track();
  // The first line shows the rotator connected unless rotctld is away.
  const auto connectBy = std::chrono::steady_clock::now() + kConnectWait;
  while (session.Period(utcNow()).link.state == LinkState::Connecting &&
         std::chrono::steady_clock::now() < connectBy && !gStopRequested) {
    std::this_thread::sleep_for(10ms);
  }
  bool everConnected = false;
  for (std::int64_t n = 0; !gStopRequested && (!o.count || n < *o.count); ++n) {
    if (n > 0) SleepPeriod(o.period, session);
    if (gStopRequested) break;
    const std::int64_t utc = utcNow();
    const RotatorReport& report = session.Period(utc);
    everConnected = everConnected || report.link.state == LinkState::Connected;
    PrintReport(utc, HomeLocalText(utc, gmt), report, o.json);
  }
  if (gStopRequested) {
    const bool stopped = session.StopAndWait(1s);
    std::cerr << "kelvora-cli: " << (stopped ? "rotator stopped" : "could not send stop to rotctld")
              << '\n';
  }
  if (!everConnected) {
    std::cerr << "kelvora-cli: rotctld at " << endpoint.host << ":" << endpoint.port
              << ": never connected\n";
    return kExitNotFound;
  }
  return 0;
}

// Connects, sends one command and waits for its event.
int RunOnce(const RotatorOptions& o, RotatorCommand command) {
  const HostPort endpoint = Endpoint(o);
  std::optional<AzEl> parkAt;
  if (!o.parkAt.empty()) parkAt = ParseDirection(o.parkAt, "--at");
  const std::string where = "rotctld at " + endpoint.host + ":" + std::to_string(endpoint.port);
  RotatorClient client(endpoint.host, endpoint.port);
  const auto connectBy = std::chrono::steady_clock::now() + kConnectWait;
  while (client.Status().state == LinkState::Connecting &&
         std::chrono::steady_clock::now() < connectBy) {
    std::this_thread::sleep_for(10ms);
  }
  if (const LinkStatus link = client.Status(); link.state != LinkState::Connected) {
    std::cerr << "kelvora-cli: " << where << ": not connected ("
              << (link.reason.empty() ? "no answer" : link.reason) << ")\n";
    return kExitNotFound;
  }
  SubmitResult submitted = SubmitResult::Invalid;
  switch (command) {
    case RotatorCommand::Stop: submitted = client.Stop(); break;
    case RotatorCommand::Park: submitted = parkAt ? client.ParkAt(*parkAt) : client.Park(); break;
    case RotatorCommand::ReadPosition: submitted = client.ReadPosition(); break;
    case RotatorCommand::Move: break;
  }
  if (submitted != SubmitResult::Accepted) {
    std::cerr << "kelvora-cli: " << where << ": " << client.Status().text << '\n';
    return kExitNotFound;
  }
  const auto replyBy = std::chrono::steady_clock::now() + kReplyWait;
  std::optional<RotatorEvent> event;
  while (!(event = client.TakeEvent()) && std::chrono::steady_clock::now() < replyBy) {
    std::this_thread::sleep_for(10ms);
  }
  if (!event) {
    std::cerr << "kelvora-cli: " << where << ": no reply\n";
    return kExitNotFound;
  }
  if (event->outcome != ReplyOutcome::Ok) {
    std::cerr << "kelvora-cli: " << where << ": " << event->text << '\n';
    return kExitNotFound;
  }
  if (event->position) {
    if (o.json) {
      std::cout << DirectionJson(event->position).dump() << '\n';
    } else {
      std::array<char, 64> text{};
      std::snprintf(text.data(), text.size(), "az %.2f el %.2f", event->position->azimuth,
                    event->position->elevation);
      std::cout << text.data() << '\n';
    }
  } else {
    std::cout << "ok\n";
  }
  return 0;
}

void AddEndpoint(CLI::App* command, RotatorOptions& o) {
  command->add_option("--rotctld", o.rotctld, "rotctld's HOST:PORT (port 4533 when left out)")
      ->required();
}

}  // namespace

void AddRotatorCommand(CLI::App& app, std::function<int()>& action) {
  auto o = std::make_shared<RotatorOptions>();
  CLI::App* rotator = app.add_subcommand(
      "rotator", "drive an antenna rotator through Hamlib's rotctld (exit 1: rotctld unreachable "
                 "or refused)");
  rotator->require_subcommand(1);

  CLI::App* track = rotator->add_subcommand(
      "track", "follow the target, one line per period (UTC, target, commanded, reported, state); "
               "Ctrl+C stops the rotator");
  AddEndpoint(track, *o);
  track->add_option("--target", o->target, "moon (default), sun, source or azel:AZ,EL");
  track->add_option("--threshold", o->threshold, "deadband in degrees, 0.1-10 (default 1)");
  track->add_option("--period", o->period, "seconds between steps, 0.2-60 (default 1)");
  track->add_option("--az-range", o->azRange, "0:360 (default), -180:180 or 0:450");
  track->add_option("--el-range", o->elRange, "0:90 (default) or 0:180 for a flip-over mount");
  track->add_option("--min-el", o->minElevation,
                    "below this elevation wait at the rise azimuth (default 0)");
  track->add_option("--az-offset", o->azOffset, "rotator reading minus true azimuth, degrees");
  track->add_option("--el-offset", o->elOffset, "rotator reading minus true elevation, degrees");
  track->add_option("--count", o->count, "stop after this many lines")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{1000000000}));
  AddClockOption(track, o->clock);
  AddGmtOffsetOption(track, o->gmtOffset);
  track->add_option("--home", o->home, "home station LAT,LON (longitude west positive)");
  track->add_option("--source", o->source, "with --target source: source 1-7 of the source menu")
      ->check(CLI::Range(1, 7));
  track->add_option("--star", o->star, "with --target source: user star RA_HOURS,DEC_DEG");
  track->add_flag("--star-b1950", o->starB1950,
                  "the --star position is in the B1950 equinox (default J2000)");
  track->add_flag("--json", o->json, "one JSON object per line");
  track->callback([o, &action] { action = [o] { return RunTrack(*o); }; });

  CLI::App* stop = rotator->add_subcommand("stop", "stop the rotator now (S)");
  AddEndpoint(stop, *o);
  stop->callback([o, &action] { action = [o] { return RunOnce(*o, RotatorCommand::Stop); }; });

  CLI::App* park = rotator->add_subcommand("park", "park the rotator (K, or --at AZ,EL)");
  AddEndpoint(park, *o);
  park->add_option("--at", o->parkAt, "park position AZ,EL in degrees (rotator reading)");
  park->callback([o, &action] { action = [o] { return RunOnce(*o, RotatorCommand::Park); }; });

  CLI::App* position = rotator->add_subcommand("position", "the rotator's reading (p)");
  AddEndpoint(position, *o);
  position->add_flag("--json", o->json, "JSON output");
  position->callback(
      [o, &action] { action = [o] { return RunOnce(*o, RotatorCommand::ReadPosition); }; });
}

}  // namespace kelvora::cli

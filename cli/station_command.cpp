#include "station_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/clock.h"
#include "arguments.h"
#include "astro/time_helpers.h"
#include "control/hamlib_protocol.h"
#include "control/station_config.h"
#include "control/station_service.h"
#include "exit_status.h"
#include "state/records.h"
#include "tick/commands.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// On Ctrl+C or SIGTERM the rotator's stop is awaited this long.
constexpr auto kStopWait = 5s;
constexpr auto kPollSlice = 20ms;
constexpr auto kConnectWait = 4s;

struct StationOptions {
  std::string rotctld;
  std::string rigctld;
  std::optional<double> freq;
  std::string method;
  std::string target;
  std::string settings;
  std::optional<std::int64_t> count;
  bool json = false;
};

volatile sig_atomic_t gStop = 0;
void OnStop(int) { gStop = 1; }

json Direction(const std::optional<AzEl>& d) {
  if (!d) return nullptr;
  return json{{"azimuthDeg", d->azimuth}, {"elevationDeg", d->elevation}};
}

void PrintLine(std::int64_t utc, const StationService& service, bool asJson) {
  const RotatorReport& r = service.Rotator();
  const RadioSession* radio = service.Radio();
  if (asJson) {
    json line = {{"utc", utc},
                 {"rotator",
                  {{"link", r.link.text},
                   {"status", r.status},
                   {"target", r.targetName},
                   {"airless", Direction(r.airless)},
                   {"commanded", Direction(r.target)},
                   {"sent", Direction(r.commanded)},
                   {"reported", Direction(r.reported)},
                   {"pointingError", r.pointingError ? json(*r.pointingError) : json(nullptr)},
                   {"lastError", r.lastError}}}};
    if (radio) {
      const RadioReport& a = radio->report();
      line["radio"] = {{"link", a.link.text},
                       {"state", RadioStateText(a.state)},
                       {"heardHz", a.heardHz ? json(*a.heardHz) : json(nullptr)},
                       {"sentReceiveHz", a.sentReceiveHz ? json(*a.sentReceiveHz) : json(nullptr)},
                       {"sentTransmitHz",
                        a.sentTransmitHz ? json(*a.sentTransmitHz) : json(nullptr)},
                       {"fault", a.fault}};
    }
    std::cout << line.dump() << '\n';
  } else {
    std::cout << utc << "  rotator: " << r.status << " (" << r.link.text << ")";
    if (r.pointingError) std::cout << ", error " << *r.pointingError << " deg";
    if (radio) {
      std::cout << "  radio: " << RadioStateText(radio->report().state) << " ("
                << radio->report().link.text << ")";
    }
    std::cout << '\n';
  }
  std::cout.flush();
}

int Run(const StationOptions& o) {
  StationConfig config;
  std::filesystem::path file;
  if (!o.settings.empty()) {
    file = o.settings;
  } else if (const auto path = DefaultStationSettingsPath()) {
    file = *path;
  }
  if (!file.empty() && (std::filesystem::exists(file) || !o.settings.empty())) {
    const auto values = ReadIniFile(file);
    if (!values) throw UsageError("--settings: " + values.reason());
    std::vector<std::string> problems;
    config = StationConfigFromValues(*values, &problems);
    for (const std::string& p : problems) std::cerr << "kelvora-cli: settings: " << p << '\n';
  }
  if (!o.rotctld.empty()) {
    const auto hp = ParseHostPort(o.rotctld, kDefaultRotctldPort);
    if (!hp) throw UsageError("--rotctld: expected HOST:PORT, got '" + o.rotctld + "'");
    config.rotator.host = hp->host;
    config.rotator.port = hp->port;
  }
  const bool radioWanted = !o.rigctld.empty();
  if (radioWanted) {
    const auto hp = ParseHostPort(o.rigctld, kDefaultRigctldPort);
    if (!hp) throw UsageError("--rigctld: expected HOST:PORT, got '" + o.rigctld + "'");
    config.radio.host = hp->host;
    config.radio.port = hp->port;
  }
  if (o.freq) {
    if (!IsRadioFrequency(*o.freq)) throw UsageError("--freq must be between 0 and 300 GHz");
    config.radio.control.dialHz = *o.freq;
  }
  if (!o.method.empty()) {
    const auto method = ParseDopplerMethod(o.method);
    if (!method) throw UsageError("--method must be off, echo, moon or dx, got '" + o.method + "'");
    config.radio.control.method = *method;
  }
  if (!o.target.empty()) {
    if (o.target == "moon") {
      config.rotator.target = TargetChoice::Moon;
    } else if (o.target == "sun") {
      config.rotator.target = TargetChoice::Sun;
    } else if (o.target == "source") {
      config.rotator.target = TargetChoice::Source;
    } else {
      // Moon and sun are taken above: what parses here is a fixed direction.
      const auto fixed = ParseTargetText(o.target);
      if (!fixed) throw UsageError("--target: " + fixed.reason());
      config.rotator.target = TargetChoice::Fixed;
      config.rotator.fixedTarget = fixed->fixed;
    }
  }
  if (const Status checked = CheckStationConfig(config); !checked) throw UsageError(checked.reason());

  TrackerModel model;
  // A damaged settings file is read with its defaults; the notice is not this command's.
  static_cast<void>(StartUp(model, std::filesystem::current_path()));
  const auto utcNow = [&model] {
    return TimeBase{model.home.gmtOffsetHours, 0}.Adjust(ClockValue());
  };

  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  StationService service(model, config);
  if (const Status tracking = service.Track(); !tracking) {
    std::cerr << "kelvora-cli: " << tracking.reason() << '\n';
    return kExitUsage;
  }
  if (radioWanted) service.TrackRadio(true);
  // The first line shows the rotator connected unless rotctld is away.
  const auto connectBy = std::chrono::steady_clock::now() + kConnectWait;
  while (service.RotatorPeriod(utcNow()).link.state == LinkState::Connecting &&
         std::chrono::steady_clock::now() < connectBy && !gStop) {
    std::this_thread::sleep_for(kPollSlice);
  }
  bool everConnected = false;
  const auto period = std::chrono::duration<double>(config.rotator.periodSeconds);
  auto nextRotator = std::chrono::steady_clock::now();
  auto nextRadio = nextRotator;
  std::int64_t lines = 0;
  while (!gStop && (!o.count || lines < *o.count)) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextRadio) {
      service.RadioPeriod(utcNow());
      nextRadio += 1s;
    }
    if (now >= nextRotator) {
      const std::int64_t utc = utcNow();
      const RotatorReport& r = service.RotatorPeriod(utc);
      everConnected = everConnected || r.link.state == LinkState::Connected;
      if (const RadioSession* radio = service.Radio()) {
        everConnected = everConnected || radio->report().link.state == LinkState::Connected;
      }
      PrintLine(utc, service, o.json);
      ++lines;
      nextRotator += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
    }
    std::this_thread::sleep_for(kPollSlice);
    service.Poll();
  }
  if (gStop) {
    // The stop stays pending across reconnections until rotctld answers it.
    service.Stop();
    const auto until = std::chrono::steady_clock::now() + kStopWait;
    while (service.Rotator().state == RotatorState::StopPending &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(kPollSlice);
      service.Poll();
    }
    const bool stopped = service.Rotator().state != RotatorState::StopPending;
    std::cerr << "kelvora-cli: " << (stopped ? "rotator stopped" : "stop not answered by rotctld")
              << '\n';
  }
  service.TrackRadio(false);
  if (!everConnected) {
    std::cerr << "kelvora-cli: station: never connected to rotctld or rigctld\n";
    return kExitNotFound;
  }
  return 0;
}

}  // namespace

void AddStationCommand(CLI::App& app, std::function<int()>& action) {
  auto o = std::make_shared<StationOptions>();
  CLI::App* station = app.add_subcommand(
      "station", "station control without a window: rotator and radio (exit 1: never connected)");
  station->require_subcommand(1);
  CLI::App* track = station->add_subcommand(
      "track", "track with the rotator (and the radio with --rigctld), one line per period; "
               "Ctrl+C or SIGTERM stops the rotator");
  track->add_option("--rotctld", o->rotctld, "rotctld's HOST:PORT (default: the settings file)");
  track->add_option("--rigctld", o->rigctld, "rigctld's HOST:PORT; the radio is driven only then");
  track->add_option("--freq", o->freq, "dial frequency, Hz");
  track->add_option("--method", o->method, "Doppler correction: off, echo, moon or dx");
  track->add_option("--target", o->target, "moon, sun, source or azel:AZ,EL");
  track->add_option("--settings", o->settings,
                    "station-control settings file (default: the window's, "
                    "~/.config/Kelvora/station-control.ini)");
  track->add_option("--count", o->count, "stop after this many lines")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{1000000000}));
  track->add_flag("--json", o->json, "one JSON object per line");
  track->callback([o, &action] { action = [o] { return Run(*o); }; });
}

}  // namespace kelvora::cli

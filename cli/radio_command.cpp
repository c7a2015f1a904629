#include "radio_command.h"

#include <nlohmann/json.hpp>

#include <signal.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "moment.h"
#include "option_checks.h"
#include "precise/precise.h"
#include "exit_status.h"
#include "astro/time_helpers.h"
#include "control/doppler_control.h"
#include "control/radio_microwave.h"
#include "control/hamlib_protocol.h"
#include "control/radio_session.h"
#include "control/radio_texts.h"
#include "state/records.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;


// Where the stations and the moment come from, shared by the subcommands.
struct StationOptions {
  std::string home;
  std::string dxLocator;
  std::string dxCall;
  std::string directory;
  MomentOptions moment;
  std::string ut1MinusUtc;
};

void AddStationOptions(CLI::App* command, StationOptions& options) {
  command->add_option("--home", options.home,
                      "home station LAT,LON (longitude west positive; default: Dorvakin.dat)");
  auto* locator = command->add_option("--dx", options.dxLocator, "DX station by locator");
  auto* call = command->add_option("--dx-call", options.dxCall,
                                   "DX station by call sign, looked up in the EME directory");
  locator->excludes(call);
  command->add_option("--directory", options.directory,
                      "EME directory for --dx-call (default: ./EME.DTA)");
  AddMomentOptions(command, options.moment);
  AddUt1MinusUtcOption(command, options.ut1MinusUtc);
}

struct Stations {
  RadioSite home;
  std::optional<RadioSite> dx;
  std::string dxLocator;
  std::int64_t utc;
  std::int32_t gmtOffsetHours;  // the home's local standard time to UTC
  bool fixedClock;              // --clock given: periods count on from it
  double ut1MinusUtcS;          // for the accurate figures
};

RadioSite SiteOfLocator(const std::string& locator, const std::string& what) {
  const Result<GeoPosition> position = LocatorToPosition(locator);
  if (!position) throw UsageError(what + ": cannot place '" + locator + "'");
  return RadioSite{RoundToHundredths(position->latitude), RoundToHundredths(position->longitude)};
}

// The stations and the moment; nullopt (with the message printed) when the
// DX call cannot be found.
std::optional<Stations> ResolveStations(const StationOptions& options) {
  StationSettings record;
  HomeStation settings;
  LoadSettings(std::filesystem::path(kSettingsFileName), record, settings);
  Stations out{};
  out.home = RadioSite{settings.latitude, settings.longitude};
  if (!options.home.empty()) {
    const LatLon home = ParseLatLonPair(options.home, "--home");
    out.home = RadioSite{home.latitude, home.longitude};
  }
  if (!options.dxLocator.empty()) {
    out.dxLocator = ParseLocator(options.dxLocator);
    out.dx = SiteOfLocator(out.dxLocator, "--dx");
  } else if (!options.dxCall.empty()) {
    const std::filesystem::path file(options.directory.empty() ? kDirectoryFileName
                                                               : options.directory);
    const DirectoryResult found = ReadDirectory(file, options.dxCall, DirectoryMode::Record);
    if (found.status == DirectoryStatus::NoCallEntered) throw UsageError(found.text);
    if (found.status != DirectoryStatus::Found) {
      std::cerr << "kelvora-cli: " << options.dxCall << ": " << found.text << '\n';
      return std::nullopt;
    }
    std::string locator = DirectoryLocatorColumns(found.text);
    for (char& c : locator) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!IsAcceptedDirectoryLocator(locator)) {
      std::cerr << "kelvora-cli: " << options.dxCall << ": the directory gives no locator\n";
      return std::nullopt;
    }
    out.dxLocator = locator;
    out.dx = SiteOfLocator(locator, "--dx-call");
  }
  out.utc = MomentUtc(options.moment.clock);
  out.gmtOffsetHours = GmtOffsetHours(options.moment.gmtOffset, settings.gmtOffsetHours);
  out.fixedClock = options.moment.clock.has_value();
  if (out.utc < FirstSupportedSecond() || out.utc > LastSupportedSecond()) {
    throw UsageError("the moment (UTC " + std::to_string(out.utc) + ") is outside the years " +
                     std::to_string(kFirstSupportedYear) + "-" +
                     std::to_string(kLastSupportedYear));
  }
  out.ut1MinusUtcS = Ut1MinusUtcOption(options.ut1MinusUtc);
  return out;
}

double ParseFrequency(const std::string& text) {
  const Result<double> hz = ParseDialHz(text);
  if (!hz) {
    throw UsageError("--freq: '" + text + "' is not a frequency in Hz between 0 and 300 GHz");
  }
  return *hz;
}

json SiteJson(const RadioSite& site) {
  return json{{"latitudeDeg", site.latitude}, {"longitudeWestDeg", site.longitude}};
}

json OptionalJson(const std::optional<double>& value) {
  return value ? json(*value) : json(nullptr);
}

// Both rate samples of the figures come from one source, chosen by the
// moment alone: the accurate figures within their years (1960-2099), the
// standard theory outside them (and for a site the accurate figures refuse).
// The change per minute looks a minute ahead, or a minute back where the
// minute ahead would leave the supported years.
std::optional<DopplerFigures> FiguresAt(const Stations& stations, std::int64_t utc,
                                        double dialHz) {
  constexpr std::int64_t kMinute = 60;
  const bool accurate = utc >= precise::kFirstPreciseSecond && utc <= precise::kLastPreciseSecond;
  const std::int64_t other = utc + kMinute <= LastSupportedSecond() ? utc + kMinute : utc - kMinute;
  const auto rates = [&](std::int64_t at) {
    return accurate
               ? AccurateMoonRangeRates(stations.home, stations.dx, at, stations.ut1MinusUtcS)
               : StandardMoonRangeRates(stations.home, stations.dx, at);
  };
  Result<MoonRangeRates> now = rates(utc);
  Result<MoonRangeRates> then = rates(other);
  if (accurate && (!now || !then)) {
    now = StandardMoonRangeRates(stations.home, stations.dx, utc);
    then = StandardMoonRangeRates(stations.home, stations.dx, other);
  }
  if (!now || !then || !IsRadioFrequency(dialHz)) return std::nullopt;
  const auto perMinute = [&](double nowHz, double thenHz) {
    return other > utc ? thenHz - nowHz : nowHz - thenHz;
  };
  DopplerFigures out{};
  out.dialHz = dialHz;
  out.rates = *now;
  out.homeHz = OneWayDopplerHz(now->homeMps, dialHz);
  out.echoHz = 2.0 * out.homeHz;
  out.echoPerMinuteHz = perMinute(out.echoHz, 2.0 * OneWayDopplerHz(then->homeMps, dialHz));
  if (now->dxMps && then->dxMps) {
    out.dxHz = OneWayDopplerHz(*now->dxMps, dialHz);
    out.twoStationHz = out.homeHz + *out.dxHz;
    out.twoStationPerMinuteHz =
        perMinute(*out.twoStationHz, OneWayDopplerHz(then->homeMps + *then->dxMps, dialHz));
  }
  return out;
}

int RunDoppler(const StationOptions& options, const std::string& frequency, bool asJson) {
  const double dialHz = ParseFrequency(frequency);
  const std::optional<Stations> stations = ResolveStations(options);
  if (!stations) return kExitNotFound;
  const std::optional<DopplerFigures> figures = FiguresAt(*stations, stations->utc, dialHz);
  if (!figures) throw UsageError("no figures for that moment");
  const std::string localText = HomeLocalText(stations->utc, stations->gmtOffsetHours);
  const MoonRangeRates& rates = figures->rates;
  const char* source = rates.accurate ? "accurate" : "standard";
  const Result<std::string> asc = AscTimeText(stations->utc);
  const std::string utcText = asc ? *asc : std::string();

  json methods = json::object();
  std::string table;
  // Accurate figures only (1960-2099): refused outside them.
  Result<RadioMicrowave> microwave = Fail("no method asked yet");
  for (const DopplerMethod method : {DopplerMethod::Off, DopplerMethod::OwnEcho,
                                     DopplerMethod::OnTheMoon, DopplerMethod::FullToDx}) {
    const auto f = MethodFrequencies(method, dialHz, figures->homeHz, figures->dxHz);
    const char* name = DopplerMethodName(method);
    microwave = RadioMicrowaveAt(stations->home, stations->dx, stations->utc, dialHz, method,
                                 stations->ut1MinusUtcS);
    // The method's rates, when the accurate figures give them.
    json receiveRate = nullptr;
    json transmitRate = nullptr;
    char rate[32] = "-";
    if (microwave && microwave->methodRatesHzPerS) {
      const RadioFrequencies r = *microwave->methodRatesHzPerS;
      receiveRate = r.receiveHz;
      transmitRate = r.transmitHz;
      std::snprintf(rate, sizeof rate, "%+.3f", r.receiveHz);
    }
    methods[name] = f ? json{{"receiveHz", f->receiveHz},
                             {"transmitHz", f->transmitHz},
                             {"receiveRateHzPerS", receiveRate},
                             {"transmitRateHzPerS", transmitRate}}
                      : json(nullptr);
    if (!f) continue;
    char line[128];
    std::snprintf(line, sizeof line, "%-12s %-15.0f %-15.0f %s\n", name, f->receiveHz,
                  f->transmitHz, rate);
    table += line;
  }
  const auto optionalFigure = [&microwave](auto member) {
    return microwave ? OptionalJson(member(microwave->figures)) : json(nullptr);
  };
  using Figures = precise::MicrowaveFigures;
  if (asJson) {
    json out = {{"utcSeconds", stations->utc},
                {"utcText", utcText},
                {"homeLocalText", localText},
                {"figures", source},
                {"dialHz", dialHz},
                {"ut1MinusUtcS", stations->ut1MinusUtcS},
                {"home", SiteJson(stations->home)},
                {"dx", stations->dx ? SiteJson(*stations->dx) : json(nullptr)},
                {"homeRangeRateMps", rates.homeMps},
                {"dxRangeRateMps", OptionalJson(rates.dxMps)},
                {"homeElevationDeg", rates.homeElevation},
                {"dxElevationDeg", OptionalJson(rates.dxElevation)},
                {"homeHz", figures->homeHz},
                {"dxHz", OptionalJson(figures->dxHz)},
                {"echoHz", figures->echoHz},
                {"echoPerMinuteHz", figures->echoPerMinuteHz},
                {"twoStationHz", OptionalJson(figures->twoStationHz)},
                {"twoStationPerMinuteHz", OptionalJson(figures->twoStationPerMinuteHz)},
                {"methods", methods}};
    out["echoRateHzPerS"] =
        optionalFigure([](const Figures& m) { return std::optional(m.echoDopplerRateHzPerS); });
    out["twoStationRateHzPerS"] =
        optionalFigure([](const Figures& m) { return m.pathDopplerRateHzPerS; });
    out["echoSpreadHz"] =
        optionalFigure([](const Figures& m) { return std::optional(m.echoSpreadHz); });
    out["twoStationSpreadHz"] = optionalFigure([](const Figures& m) { return m.pathSpreadHz; });
    out["echoDelayS"] =
        optionalFigure([](const Figures& m) { return std::optional(m.echoDelayS); });
    out["pathDelayS"] = optionalFigure([](const Figures& m) { return m.pathDelayS; });
    if (stations->dx) out["dx"]["locator"] = stations->dxLocator;
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf("UTC          %s (%s figures)\n", utcText.c_str(), source);
  std::printf("home local   %s\n", localText.c_str());
  std::printf("dial         %.0f Hz\n", dialHz);
  std::printf("home         %.2f, %.2f  moon el %.1f deg  range rate %+.2f m/s  %+.1f Hz\n",
              stations->home.latitude, stations->home.longitude, rates.homeElevation,
              rates.homeMps, figures->homeHz);
  if (stations->dx && rates.dxMps && figures->dxHz) {
    std::printf("dx           %s %.2f, %.2f  moon el %.1f deg  range rate %+.2f m/s  %+.1f Hz\n",
                stations->dxLocator.c_str(), stations->dx->latitude, stations->dx->longitude,
                rates.dxElevation.value_or(0.0), *rates.dxMps, *figures->dxHz);
  }
  std::printf("echo         %+.1f Hz  (%+.1f Hz/min)\n", figures->echoHz, figures->echoPerMinuteHz);
  if (figures->twoStationHz && figures->twoStationPerMinuteHz) {
    std::printf("two-station  %+.1f Hz  (%+.1f Hz/min)\n", *figures->twoStationHz,
                *figures->twoStationPerMinuteHz);
  }
  if (microwave) {
    const precise::MicrowaveFigures& m = microwave->figures;
    std::printf("echo rate    %+.3f Hz/s  spread %.1f Hz  delay %.6f s\n", m.echoDopplerRateHzPerS,
                m.echoSpreadHz, m.echoDelayS);
    if (m.pathSpreadHz && m.pathDopplerRateHzPerS && m.pathDelayS) {
      std::printf("path rate    %+.3f Hz/s  spread %.1f Hz  delay %.6f s\n",
                  *m.pathDopplerRateHzPerS, *m.pathSpreadHz, *m.pathDelayS);
    }
  }
  std::printf("method       receive Hz      transmit Hz     receive Hz/s\n%s", table.c_str());
  return 0;
}

struct TrackOptions {
  StationOptions stations;
  std::string rigctld;
  std::string freq;
  std::string method;
  int step = 10;
  std::string transmitOffset;
  std::optional<int> fixedWhileTransmitting;  // seconds of one transmission
  std::optional<std::int64_t> count;
  bool json = false;
};

volatile sig_atomic_t gStopTracking = 0;

void OnStopTracking(int) { gStopTracking = 1; }

std::string Optional(const std::optional<std::int64_t>& hz) {
  return hz ? std::to_string(*hz) : std::string("-");
}

std::string Optional(const std::optional<double>& hz) {
  char text[32];
  if (!hz) return "-";
  std::snprintf(text, sizeof text, "%.0f", *hz);
  return text;
}

json RadioLineJson(std::int64_t utc, const std::string& localText, const DopplerController& control,
                   const RadioReport& r, const std::optional<DopplerFigures>& figures,
                   double ut1MinusUtcS) {
  json out = {{"utcSeconds", utc},
              {"homeLocalText", localText},
              {"method", DopplerMethodName(control.settings().method)},
              {"dialHz", control.dialHz()},
              {"ut1MinusUtcS", ut1MinusUtcS},
              {"state", RadioStateText(r.state)},
              {"link", r.link.text},
              {"connected", r.link.state == LinkState::Connected},
              {"heardHz", OptionalJson(r.heardHz)},
              {"ptt", r.pttReported ? (r.ptt == Ptt::Transmitting ? "tx" : "rx") : "unknown"},
              {"sentReceiveHz", r.sentReceiveHz ? json(*r.sentReceiveHz) : json(nullptr)},
              {"sentTransmitHz", r.sentTransmitHz ? json(*r.sentTransmitHz) : json(nullptr)},
              {"lastTunedHz", r.lastTunedHz},
              {"fault", r.fault},
              {"skippedPeriods", r.skippedPeriods}};
  out["wantedReceiveHz"] = r.wanted ? json(r.wanted->receiveHz) : json(nullptr);
  out["wantedTransmitHz"] = r.wanted ? json(r.wanted->transmitHz) : json(nullptr);
  if (figures) {
    out["echoHz"] = figures->echoHz;
    out["echoPerMinuteHz"] = figures->echoPerMinuteHz;
    out["twoStationHz"] = OptionalJson(figures->twoStationHz);
    out["figures"] = figures->rates.accurate ? "accurate" : "standard";
  }
  return out;
}

void PrintRadioLine(std::int64_t utc, const DopplerController& control, const RadioReport& r) {
  const Result<std::string> asc = AscTimeText(utc);
  const std::string when = asc ? *asc : std::string();
  std::optional<double> rx;
  std::optional<double> tx;
  if (r.wanted) {
    rx = r.wanted->receiveHz;
    tx = r.wanted->transmitHz;
  }
  std::printf("%s  %s dial %.0f  rx %s tx %s  heard %s  sent %s/%s  %s%s%s  [%s]\n", when.c_str(),
              DopplerMethodName(control.settings().method), control.dialHz(),
              Optional(rx).c_str(), Optional(tx).c_str(), Optional(r.heardHz).c_str(),
              Optional(r.sentReceiveHz).c_str(), Optional(r.sentTransmitHz).c_str(),
              RadioStateText(r.state), r.fault.empty() ? "" : ": ", r.fault.c_str(),
              r.link.text.c_str());
  std::fflush(stdout);
}

int RunRadioTrack(const TrackOptions& options) {
  RadioControlSettings settings;
  settings.dialHz = ParseFrequency(options.freq);
  const Result<DopplerMethod> method = ParseDopplerMethod(options.method);
  if (!method) {
    throw UsageError("--method: '" + options.method + "' is not off, echo, moon or dx");
  }
  settings.method = *method;
  if (!IsRigStep(options.step)) throw UsageError("--step: the rig's step is 1, 10, 20 or 100 Hz");
  settings.stepHz = options.step;
  if (!options.transmitOffset.empty()) {
    const std::optional<double> offset = ParseNumber(options.transmitOffset);
    if (!offset || std::fabs(*offset) >= kHighestRadioHz) {
      throw UsageError("--tx-offset: '" + options.transmitOffset + "' is not a number of Hz");
    }
    settings.transmitOffsetHz = *offset;
  }
  if (options.fixedWhileTransmitting) {
    settings.changesWhileTransmitting = false;
    settings.transmissionSeconds = *options.fixedWhileTransmitting;
  }
  const Result<HostPort> endpoint = ParseHostPort(options.rigctld, kDefaultRigctldPort);
  if (!endpoint) {
    throw UsageError("--rigctld: expected HOST:PORT, got '" + options.rigctld + "'");
  }
  const std::optional<Stations> stations = ResolveStations(options.stations);
  if (!stations) return kExitNotFound;
  if (settings.method == DopplerMethod::FullToDx && !stations->dx) {
    throw UsageError("--method dx needs the DX station: --dx LOCATOR or --dx-call CALL");
  }

  struct sigaction action {};
  action.sa_handler = OnStopTracking;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  RadioSession session(endpoint->host, endpoint->port, settings);
  // Give the first connection a moment, so the first line is not always
  // "connecting".
  const auto connectBy = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!gStopTracking && session.client().Status().state != LinkState::Connected &&
         session.client().Status().failures == 0 && std::chrono::steady_clock::now() < connectBy) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::int64_t utc = stations->utc;
  for (std::int64_t period = 0; !gStopTracking && (!options.count || period < *options.count);
       ++period) {
    const auto second = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    if (period > 0) {
      utc = stations->fixedClock ? stations->utc + period : UtcNow();
    }
    const Result<PeriodRates> rates =
        RatesForPeriod(session.control().settings(), stations->home, stations->dx, utc,
                       stations->ut1MinusUtcS);
    if (!rates) {
      std::cerr << "kelvora-cli: error: no moon figures for the moment " << utc << '\n';
      return 2;
    }
    session.StartPeriod(*rates);
    while (session.Busy() && std::chrono::steady_clock::now() < second && !gStopTracking) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      session.Poll();
    }
    const std::optional<DopplerFigures> figures =
        FiguresAt(*stations, utc, session.control().dialHz());
    if (options.json) {
      std::cout << RadioLineJson(utc, HomeLocalText(utc, stations->gmtOffsetHours),
                                 session.control(), session.report(), figures,
                                 stations->ut1MinusUtcS)
                       .dump()
                << std::endl;
    } else {
      PrintRadioLine(utc, session.control(), session.report());
    }
    if (options.count && period + 1 >= *options.count) break;
    while (std::chrono::steady_clock::now() < second && !gStopTracking) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      session.Poll();
    }
  }
  // Split goes back to what the rig had before tracking (Ctrl+C included).
  if (session.RestoreSplit()) {
    const auto by = std::chrono::steady_clock::now() + RadioSession::kSplitRestoreWait;
    while (!session.Idle() && std::chrono::steady_clock::now() < by) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      session.Poll();
    }
  }
  return 0;
}

struct RadioOptions {
  StationOptions dopplerStations;
  std::string dopplerFreq;
  bool dopplerJson = false;
  TrackOptions track;
};

}  // namespace

void AddRadioCommands(CLI::App& app, std::function<int()>& action) {
  const auto options = std::make_shared<RadioOptions>();
  RadioOptions& o = *options;
  CLI::App* doppler =
      app.add_subcommand("doppler", "moon Doppler at a dial frequency, for each way of working");
  doppler->add_option("--freq", o.dopplerFreq, "dial frequency in Hz, e.g. 1296000000")
      ->required();
  AddStationOptions(doppler, o.dopplerStations);
  doppler->add_flag("--json", o.dopplerJson, "JSON output");
  doppler->callback([&action, options] {
    action = [options] {
      return RunDoppler(options->dopplerStations, options->dopplerFreq, options->dopplerJson);
    };
  });

  CLI::App* radio = app.add_subcommand("radio", "the radio through Hamlib's rigctld");
  radio->require_subcommand(1);
  CLI::App* track = radio->add_subcommand(
      "track", "keep the radio on the moon's Doppler, one line per second until Ctrl+C");
  TrackOptions& t = o.track;
  track->add_option("--rigctld", t.rigctld, "rigctld's HOST:PORT, e.g. 127.0.0.1:4532")
      ->required();
  track->add_option("--freq", t.freq, "dial frequency in Hz")->required();
  track->add_option("--method", t.method,
                    "off (figures only), echo (own echo), moon (constant on the moon), "
                    "dx (full correction to the DX station)")
      ->required();
  AddStationOptions(track, t.stations);
  track->add_option("--step", t.step, "the rig's tuning step: 1, 10, 20 or 100 Hz (default 10)");
  track->add_option("--tx-offset", t.transmitOffset,
                    "Hz added to every transmit frequency (rigs whose tx and rx differ)");
  track->add_option("--fixed-during-tx", t.fixedWhileTransmitting,
                    "the rig cannot change while transmitting; transmissions last this many "
                    "seconds (the split is set for their middle)")
      ->check(CLI::Range(1, 3600));
  track->add_option("--count", t.count, "stop after this many periods")
      ->check(CLI::Range(1, 1000000000));
  track->add_flag("--json", t.json, "one JSON object per line");
  track->callback([&action, options] { action = [options] { return RunRadioTrack(options->track); }; });
}

}  // namespace kelvora::cli

#include "radio_command.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "astro/time_helpers.h"
#include "control/doppler_control.h"
#include "state/records.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora::cli {
namespace {

using nlohmann::json;

constexpr int kExitNotFound = 1;

// Where the stations and the moment come from, shared by the subcommands.
struct StationOptions {
  std::string home;
  std::string dxLocator;
  std::string dxCall;
  std::string directory;
  std::optional<std::int64_t> clock;
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
  command->add_option("--clock", options.clock,
                      "clock value, seconds since 1970 counted as UTC (default: now)");
}

struct Stations {
  RadioSite home;
  std::optional<RadioSite> dx;
  std::string dxLocator;
  std::int64_t utc;
};

RadioSite SiteOfLocator(const std::string& locator, const std::string& what) {
  const std::optional<GeoPosition> position = LocatorToPosition(locator);
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
  const std::int64_t clock = options.clock ? *options.clock : ClockValue();
  out.utc = TimeBase{settings.gmtOffsetHours, 0}.Adjust(clock);
  if (out.utc < FirstSupportedSecond() || out.utc > LastSupportedSecond()) {
    throw UsageError("the moment (clock " + std::to_string(clock) + ") is outside the years " +
                     std::to_string(kFirstSupportedYear) + "-" +
                     std::to_string(kLastSupportedYear));
  }
  return out;
}

// Hertz as a plain decimal or with an exponent ("10368e6").
double ParseFrequency(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [last, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
  const std::optional<double> hz =
      ec == std::errc{} && last == end ? std::optional<double>(value) : ParseNumber(text);
  if (!hz || !IsRadioFrequency(*hz)) {
    throw UsageError("--freq: '" + text + "' is not a frequency in Hz between 0 and 300 GHz");
  }
  return *hz;
}

json SiteJson(const RadioSite& site) {
  return json{{"latitude", site.latitude}, {"longitude", site.longitude}};
}

json OptionalJson(const std::optional<double>& value) {
  return value ? json(*value) : json(nullptr);
}

int RunDoppler(const StationOptions& options, const std::string& frequency, bool asJson) {
  const double dialHz = ParseFrequency(frequency);
  const std::optional<Stations> stations = ResolveStations(options);
  if (!stations) return kExitNotFound;
  const std::optional<DopplerFigures> figures =
      DopplerFiguresAt(stations->home, stations->dx, stations->utc, dialHz);
  if (!figures) throw UsageError("no figures for that moment");
  const MoonRangeRates& rates = figures->rates;
  const char* source = rates.accurate ? "accurate" : "standard";
  const std::string utcText = AscTimeText(stations->utc).value_or("");

  json methods = json::object();
  std::string table;
  for (const DopplerMethod method : {DopplerMethod::Off, DopplerMethod::OwnEcho,
                                     DopplerMethod::OnTheMoon, DopplerMethod::FullToDx}) {
    const auto f = MethodFrequencies(method, dialHz, figures->homeHz, figures->dxHz);
    const char* name = DopplerMethodName(method);
    methods[name] =
        f ? json{{"receiveHz", f->receiveHz}, {"transmitHz", f->transmitHz}} : json(nullptr);
    if (!f) continue;
    char line[96];
    std::snprintf(line, sizeof line, "%-12s %-15.0f %.0f\n", name, f->receiveHz, f->transmitHz);
    table += line;
  }
  if (asJson) {
    json out = {{"utc", stations->utc},
                {"utcText", utcText},
                {"figures", source},
                {"dialHz", dialHz},
                {"home", SiteJson(stations->home)},
                {"dx", stations->dx ? SiteJson(*stations->dx) : json(nullptr)},
                {"homeRangeRateMps", rates.homeMps},
                {"dxRangeRateMps", OptionalJson(rates.dxMps)},
                {"homeElevation", rates.homeElevation},
                {"dxElevation", OptionalJson(rates.dxElevation)},
                {"homeHz", figures->homeHz},
                {"dxHz", OptionalJson(figures->dxHz)},
                {"echoHz", figures->echoHz},
                {"echoPerMinuteHz", figures->echoPerMinuteHz},
                {"twoStationHz", OptionalJson(figures->twoStationHz)},
                {"twoStationPerMinuteHz", OptionalJson(figures->twoStationPerMinuteHz)},
                {"methods", methods}};
    if (stations->dx) out["dx"]["locator"] = stations->dxLocator;
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf("UTC          %s (%s figures)\n", utcText.c_str(), source);
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
  std::printf("method       receive Hz      transmit Hz\n%s", table.c_str());
  return 0;
}

}  // namespace

struct RadioCommands::Options {
  StationOptions dopplerStations;
  std::string dopplerFreq;
  bool dopplerJson = false;
};

RadioCommands::RadioCommands(CLI::App& app, std::function<int()>& action)
    : options_(std::make_unique<Options>()) {
  Options& o = *options_;
  CLI::App* doppler =
      app.add_subcommand("doppler", "moon Doppler at a dial frequency, for each way of working");
  doppler->add_option("--freq", o.dopplerFreq, "dial frequency in Hz, e.g. 1296000000")
      ->required();
  AddStationOptions(doppler, o.dopplerStations);
  doppler->add_flag("--json", o.dopplerJson, "JSON output");
  doppler->callback([&action, &o] {
    action = [&o] { return RunDoppler(o.dopplerStations, o.dopplerFreq, o.dopplerJson); };
  });
}

RadioCommands::~RadioCommands() = default;

}  // namespace kelvora::cli

#include "precise_commands.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "app/clock.h"
#include "app/settings.h"
#include "arguments.h"
#include "astro/time_helpers.h"
#include "precise/compare.h"
#include "precise/precise.h"
#include "state/records.h"

namespace kelvora::cli {

using nlohmann::json;

struct PreciseCommandOptions {
  // moon
  std::string station;
  std::string height;
  std::string dx;
  std::string dxHeight;
  std::string frequency;
  std::optional<std::int64_t> clock;
  std::optional<std::int64_t> gmtOffset;
  std::optional<std::int64_t> timeOffset;
  bool moonJson = false;
  // selftest
  std::int64_t count = 1000;
  std::uint64_t seed = 1;
  bool selftestJson = false;
};

namespace {

using precise::MoonFix;
using precise::Site;

constexpr double kDefaultFrequencyHz = 1296e6;
// Clock values beyond this are refused before any offset is added to them.
constexpr std::int64_t kClockLimit = 1'000'000'000'000;

double ParseHeight(const std::string& text, const std::string& what) {
  if (text.empty()) return 0.0;
  const std::optional<double> value = ParseNumber(text);
  if (!value) throw UsageError(what + ": '" + text + "' is not a number");
  if (*value < precise::kLowestSiteM || *value > precise::kHighestSiteM) {
    throw UsageError(what + ": height " + text + " m is outside -500..9000 m");
  }
  return *value;
}

// Hertz, plain ("10368000000") or with an exponent ("10368e6").
double ParseFrequency(const std::string& text) {
  if (text.empty()) return kDefaultFrequencyHz;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  // Up to 1 THz: far beyond any moonbounce band, short of absurd figures.
  if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) ||
      value <= 0.0 || value > 1e12) {
    throw UsageError("--freq: '" + text + "' is not a frequency in Hz (0 < f <= 1e12)");
  }
  return value;
}

// The tracked moment in UTC from the clock value and its offsets, as the
// window forms it: clock + GMT offset hours * 3600 + time offset.
std::int64_t TrackedUtc(const PreciseCommandOptions& o, std::int32_t settingsGmtOffset) {
  const std::int64_t clock = o.clock ? *o.clock : ClockValue();
  const std::int64_t gmt = o.gmtOffset ? *o.gmtOffset : settingsGmtOffset;
  const std::int64_t offset = o.timeOffset.value_or(0);
  if (gmt < -kGmtOffsetLimitHours || gmt > kGmtOffsetLimitHours) {
    throw UsageError("--gmt-offset " + std::to_string(gmt) + " is outside -" +
                     std::to_string(kGmtOffsetLimitHours) + ".." +
                     std::to_string(kGmtOffsetLimitHours) + " hours");
  }
  if (clock < -kClockLimit || clock > kClockLimit || offset < -kClockLimit ||
      offset > kClockLimit) {
    throw UsageError("the clock value or time offset is far outside 1960-2099");
  }
  const std::int64_t utc = clock + gmt * 3600 + offset;
  if (utc < precise::kFirstPreciseSecond || utc > precise::kLastPreciseSecond) {
    throw UsageError("the moment (UTC seconds " + std::to_string(utc) +
                     ") is outside 1960-2099, where the accurate figures work");
  }
  return utc;
}

json MoonJson(const MoonFix& m) {
  return {{"azimuthDeg", m.azimuthDeg},
          {"elevationDeg", m.elevationDeg},
          {"apparentElevationDeg", m.apparentElevationDeg},
          {"distanceKm", m.distanceKm},
          {"rangeRateMps", m.rangeRateMps},
          {"echoDelayS", m.echoDelayS},
          {"declinationDeg", m.declinationDeg},
          {"hourAngleDeg", m.hourAngleDeg},
          {"rightAscensionHours", m.rightAscensionHours},
          {"geocentricDistanceKm", m.geocentricDistanceKm},
          {"geocentricRangeRateMps", m.geocentricRangeRateMps}};
}

json StationJson(const Site& site, const MoonFix& moon, const precise::SunFix& sun,
                 double frequencyHz) {
  return {{"latitude", site.latitudeDeg},
          {"longitude", site.longitudeWestDeg},
          {"heightM", site.heightM},
          {"moon", MoonJson(moon)},
          {"sun", {{"azimuthDeg", sun.azimuthDeg}, {"elevationDeg", sun.elevationDeg}}},
          {"echoDopplerHz", precise::EchoDopplerHz(moon.rangeRateMps, frequencyHz)}};
}

void PrintStation(const char* title, const Site& site, const MoonFix& m,
                  const precise::SunFix& sun, double frequencyHz) {
  std::printf("%s  %.4f %c  %.4f %c  %.0f m\n", title, std::fabs(site.latitudeDeg),
              site.latitudeDeg < 0.0 ? 'S' : 'N', std::fabs(site.longitudeWestDeg),
              site.longitudeWestDeg < 0.0 ? 'E' : 'W', site.heightM);
  std::printf("  Moon Az.      %9.4f deg\n", m.azimuthDeg);
  std::printf("  Moon El.      %9.4f deg   refracted %.4f deg\n", m.elevationDeg,
              m.apparentElevationDeg);
  std::printf("  Distance      %11.2f km\n", m.distanceKm);
  std::printf("  Range rate    %10.3f m/s\n", m.rangeRateMps);
  std::printf("  Echo delay    %10.6f s\n", m.echoDelayS);
  std::printf("  Declination   %9.4f deg\n", m.declinationDeg);
  std::printf("  Hour angle    %9.4f deg\n", m.hourAngleDeg);
  std::printf("  Right asc.    %10.5f h\n", m.rightAscensionHours);
  std::printf("  Echo Doppler  %+10.1f Hz\n", precise::EchoDopplerHz(m.rangeRateMps, frequencyHz));
  std::printf("  Sun Az.       %9.4f deg\n", sun.azimuthDeg);
  std::printf("  Sun El.       %9.4f deg\n", sun.elevationDeg);
}

int RunMoon(const PreciseCommandOptions& o) {
  StationSettings record;
  HomeStation home;
  LoadSettings(kSettingsFileName, record, home);
  Site homeSite{home.latitude, home.longitude, ParseHeight(o.height, "--height")};
  if (!o.station.empty()) {
    const LatLon position = ParseLatLonPair(o.station, "--station");
    homeSite.latitudeDeg = position.latitude;
    homeSite.longitudeWestDeg = position.longitude;
  }
  std::optional<Site> dxSite;
  if (!o.dx.empty()) {
    const LatLon position = ParseLatLonPair(o.dx, "--dx");
    dxSite = Site{position.latitude, position.longitude, ParseHeight(o.dxHeight, "--dx-height")};
  } else if (!o.dxHeight.empty()) {
    throw UsageError("--dx-height needs --dx");
  }
  const double frequencyHz = ParseFrequency(o.frequency);
  const std::int64_t utc = TrackedUtc(o, home.gmtOffsetHours);

  const auto moment = precise::PrepareMoment(utc);
  const auto homeMoon = moment ? precise::PreciseMoon(*moment, homeSite) : std::nullopt;
  const auto homeSun = moment ? precise::PreciseSun(*moment, homeSite) : std::nullopt;
  if (!homeMoon || !homeSun) {
    throw UsageError("the home station (" + std::to_string(homeSite.latitudeDeg) + ", " +
                     std::to_string(homeSite.longitudeWestDeg) +
                     ") is outside what the accurate figures accept");
  }
  std::optional<MoonFix> dxMoon;
  std::optional<precise::SunFix> dxSun;
  std::optional<double> polarity;
  if (dxSite) {
    dxMoon = precise::PreciseMoon(*moment, *dxSite);
    dxSun = precise::PreciseSun(*moment, *dxSite);
    polarity = precise::PrecisePolarityOffsetDeg(*moment, homeSite, *dxSite);
    if (!dxMoon || !dxSun || !polarity) throw UsageError("the --dx station was refused");
  }

  const std::string utcText = AscTimeText(utc).value_or("?");
  if (o.moonJson) {
    json out{{"utc", utc},
             {"utcText", utcText},
             {"frequencyHz", frequencyHz},
             {"home", StationJson(homeSite, *homeMoon, *homeSun, frequencyHz)}};
    if (dxSite) {
      out["dx"] = StationJson(*dxSite, *dxMoon, *dxSun, frequencyHz);
      out["twoStationDopplerHz"] =
          precise::TwoStationDopplerHz(homeMoon->rangeRateMps, dxMoon->rangeRateMps, frequencyHz);
      out["polarityOffsetDeg"] = *polarity;
    } else {
      out["dx"] = nullptr;
      out["twoStationDopplerHz"] = nullptr;
      out["polarityOffsetDeg"] = nullptr;
    }
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf("Accurate figures for %s UTC, Doppler at %.6f MHz\n", utcText.c_str(),
              frequencyHz / 1e6);
  PrintStation("Home", homeSite, *homeMoon, *homeSun, frequencyHz);
  if (dxSite) {
    PrintStation("DX", *dxSite, *dxMoon, *dxSun, frequencyHz);
    std::printf("Path Doppler    %+10.1f Hz\n",
                precise::TwoStationDopplerHz(homeMoon->rangeRateMps, dxMoon->rangeRateMps,
                                             frequencyHz));
    std::printf("Polarity offset %6.1f deg %s\n", std::fabs(*polarity),
                *polarity >= 0.0 ? "cw" : "ccw");
  }
  return 0;
}

json SpreadJson(const precise::Spread& s) {
  return {{"median", s.median}, {"p95", s.p95}, {"max", s.max}};
}

int RunSelftest(const PreciseCommandOptions& o) {
  const precise::StandardComparison c =
      precise::CompareWithStandard(static_cast<std::size_t>(o.count), o.seed);
  if (o.selftestJson) {
    json out{{"count", c.count},
             {"seed", o.seed},
             {"directionDeg", SpreadJson(c.directionDeg)},
             {"geocentricDistanceKm", SpreadJson(c.distanceKm)},
             {"geocentricRangeRateMps", SpreadJson(c.rangeRateMps)},
             {"echoDoppler1296MHzHz", SpreadJson(c.doppler1296Hz)},
             {"echoDoppler10368MHzHz", SpreadJson(c.doppler10368Hz)}};
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf(
      "Standard figures against the accurate ones: %zu moments from 1960-2099 with the\n"
      "moon above the horizon, stations spread over the earth at height 0 (seed %llu).\n\n",
      c.count, static_cast<unsigned long long>(o.seed));
  std::printf("%-32s %10s %10s %10s\n", "difference", "median", "p95", "max");
  const auto row = [](const char* what, const precise::Spread& s) {
    std::printf("%-32s %10.4f %10.4f %10.4f\n", what, s.median, s.p95, s.max);
  };
  row("moon direction (deg)", c.directionDeg);
  row("geocentric distance (km)", c.distanceKm);
  row("geocentric range rate (m/s)", c.rangeRateMps);
  row("echo Doppler at 1296 MHz (Hz)", c.doppler1296Hz);
  row("echo Doppler at 10368 MHz (Hz)", c.doppler10368Hz);
  return 0;
}

}  // namespace

std::shared_ptr<PreciseCommandOptions> RegisterPreciseCommands(CLI::App& app,
                                                               std::function<int()>& action) {
  auto o = std::make_shared<PreciseCommandOptions>();

  CLI::App* moon = app.add_subcommand(
      "moon", "accurate moon, sun and Doppler figures (ERFA) for one or two stations");
  moon->add_option("--station", o->station,
                   "station LAT,LON (longitude west positive; default: home)");
  moon->add_option("--height", o->height, "station height in metres, -500..9000 (default 0)");
  moon->add_option("--dx", o->dx, "second station LAT,LON (longitude west positive)");
  moon->add_option("--dx-height", o->dxHeight, "second station height in metres");
  moon->add_option("--freq", o->frequency, "frequency in Hz for the Doppler (default 1296e6)");
  moon->add_option("--clock", o->clock,
                   "clock value, seconds since 1970-01-01 counted as UTC (default: now)");
  moon->add_option("--gmt-offset", o->gmtOffset,
                   "whole hours added to the clock to give UTC (default: from Dorvakin.dat)");
  moon->add_option("--time-offset", o->timeOffset, "seconds added to the clock");
  moon->add_flag("--json", o->moonJson, "one JSON object");
  moon->callback([&action, o] { action = [o] { return RunMoon(*o); }; });

  CLI::App* selftest = app.add_subcommand(
      "selftest", "how far the standard figures are from the accurate ones");
  selftest->add_option("--count", o->count, "moments to compare (default 1000)")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{1000000}));
  selftest->add_option("--seed", o->seed, "seed of the random draw (default 1)");
  selftest->add_flag("--json", o->selftestJson, "one JSON object");
  selftest->callback([&action, o] { action = [o] { return RunSelftest(*o); }; });
  return o;
}

}  // namespace kelvora::cli

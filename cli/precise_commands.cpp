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
#include "option_checks.h"
#include "moment.h"
#include "astro/time_helpers.h"
#include "precise/libration.h"
#include "precise/precise.h"
#include "selftest/compare.h"
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
  std::string ut1MinusUtc;
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

// The moment in UTC: --clock (or now) plus the time offset.
std::int64_t TrackedUtc(const PreciseCommandOptions& o) {
  const std::int64_t utc = MomentUtc(o.clock) + o.timeOffset.value_or(0);
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

// The microwave figures of one station's own echo.
struct EchoFigures {
  double dopplerRateHzPerS;
  double spreadHz;
  double apparentRotationRadPerS;
  precise::Libration libration;
};

json StationJson(const Site& site, const MoonFix& moon, const precise::SunFix& sun,
                 double frequencyHz, const EchoFigures& echo) {
  return {{"latitudeDeg", site.latitudeDeg},
          {"longitudeWestDeg", site.longitudeWestDeg},
          {"heightM", site.heightM},
          {"moon", MoonJson(moon)},
          {"sun", {{"azimuthDeg", sun.azimuthDeg}, {"elevationDeg", sun.elevationDeg}}},
          {"echoDopplerHz", precise::EchoDopplerHz(moon.rangeRateMps, frequencyHz)},
          {"echoDopplerRateHzPerS", echo.dopplerRateHzPerS},
          {"echoSpreadHz", echo.spreadHz},
          {"apparentRotationRadPerS", echo.apparentRotationRadPerS},
          {"librationLatitudeDeg", echo.libration.latitudeDeg},
          {"librationLongitudeDeg", echo.libration.longitudeDeg}};
}

void PrintStation(const char* title, const Site& site, const MoonFix& m, const precise::SunFix& sun,
                  double frequencyHz, const EchoFigures& echo) {
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
  std::printf("  Echo rate     %+10.3f Hz/s\n", echo.dopplerRateHzPerS);
  std::printf("  Echo spread   %10.1f Hz\n", echo.spreadHz);
  std::printf("  Libration     %+9.4f deg lat  %+.4f deg lon\n", echo.libration.latitudeDeg,
              echo.libration.longitudeDeg);
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
  const std::int64_t utc = TrackedUtc(o);
  const std::string localText = HomeLocalText(utc, GmtOffsetHours(o.gmtOffset, home.gmtOffsetHours));
  const double ut1MinusUtc = Ut1MinusUtcOption(o.ut1MinusUtc);

  const auto moment = precise::PrepareMoment(utc, nullptr, ut1MinusUtc);
  if (!moment) throw UsageError(moment.reason());
  const auto homeMoon = precise::PreciseMoon(*moment, homeSite);
  const auto homeSun = precise::PreciseSun(*moment, homeSite);
  if (!homeMoon || !homeSun) {
    throw UsageError("the home station (" + std::to_string(homeSite.latitudeDeg) + ", " +
                     std::to_string(homeSite.longitudeWestDeg) +
                     ") is outside what the accurate figures accept");
  }
  std::optional<MoonFix> dxMoon;
  std::optional<precise::SunFix> dxSun;
  std::optional<double> polarity;
  if (dxSite) {
    const auto moon = precise::PreciseMoon(*moment, *dxSite);
    const auto sun = precise::PreciseSun(*moment, *dxSite);
    const auto offset = precise::PrecisePolarityOffsetDeg(*moment, homeSite, *dxSite);
    if (!moon || !sun || !offset) throw UsageError("the --dx station was refused");
    dxMoon = *moon;
    dxSun = *sun;
    polarity = *offset;
  }

  const auto microwave = precise::MicrowaveAt(*moment, homeSite, dxSite, frequencyHz);
  const auto homeLibration = precise::StationLibration(*moment, homeSite);
  if (!microwave || !homeLibration) throw UsageError("no microwave figures for these stations");
  const EchoFigures homeEcho{microwave->echoDopplerRateHzPerS, microwave->echoSpreadHz,
                             microwave->home.apparentRotationRadPerS, *homeLibration};
  std::optional<EchoFigures> dxEcho;
  if (dxSite) {
    dxEcho = EchoFigures{*microwave->dxEchoDopplerRateHzPerS, *microwave->dxEchoSpreadHz,
                         microwave->dx->apparentRotationRadPerS,
                         precise::StationLibration(*moment, *dxSite).value()};
  }

  const Result<std::string> asc = AscTimeText(utc);
  const std::string utcText = asc ? *asc : "?";
  if (o.moonJson) {
    json out{{"utcSeconds", utc},
             {"utcText", utcText},
             {"ut1MinusUtcS", ut1MinusUtc},
             {"homeLocalText", localText},
             {"frequencyHz", frequencyHz},
             {"home", StationJson(homeSite, *homeMoon, *homeSun, frequencyHz, homeEcho)}};
    if (dxSite) {
      out["dx"] = StationJson(*dxSite, *dxMoon, *dxSun, frequencyHz, *dxEcho);
      out["twoStationDopplerHz"] =
          precise::TwoStationDopplerHz(homeMoon->rangeRateMps, dxMoon->rangeRateMps, frequencyHz);
      out["polarityOffsetDeg"] = *polarity;
    } else {
      out["dx"] = nullptr;
      out["twoStationDopplerHz"] = nullptr;
      out["polarityOffsetDeg"] = nullptr;
    }
    const auto optional = [](const std::optional<double>& v) {
      return v ? json(*v) : json(nullptr);
    };
    out["pathDelayS"] = optional(microwave->pathDelayS);
    out["twoStationDopplerRateHzPerS"] = optional(microwave->pathDopplerRateHzPerS);
    out["twoStationSpreadHz"] = optional(microwave->pathSpreadHz);
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf("Accurate figures for %s UTC (home %s), Doppler at %.6f MHz\n", utcText.c_str(),
              localText.c_str(), frequencyHz / 1e6);
  PrintStation("Home", homeSite, *homeMoon, *homeSun, frequencyHz, homeEcho);
  if (dxSite) {
    PrintStation("DX", *dxSite, *dxMoon, *dxSun, frequencyHz, *dxEcho);
    std::printf("Path Doppler    %+10.1f Hz\n",
                precise::TwoStationDopplerHz(homeMoon->rangeRateMps, dxMoon->rangeRateMps,
                                             frequencyHz));
    std::printf("Path rate       %+10.3f Hz/s\n", *microwave->pathDopplerRateHzPerS);
    std::printf("Path spread     %10.1f Hz\n", *microwave->pathSpreadHz);
    std::printf("Path delay      %10.6f s\n", *microwave->pathDelayS);
    std::printf("Polarity offset %6.1f deg %s\n", std::fabs(*polarity),
                *polarity >= 0.0 ? "cw" : "ccw");
  }
  return 0;
}

json SpreadJson(const selftest::Spread& s, double bound) {
  return {{"median", s.median}, {"p95", s.p95}, {"max", s.max}, {"bound", bound}};
}

int RunSelftest(const PreciseCommandOptions& o) {
  const selftest::StandardComparison c =
      selftest::CompareWithStandard(static_cast<std::size_t>(o.count), o.seed);
  const selftest::StandardBounds bounds;
  const bool within = selftest::WithinBounds(c, bounds);
  if (o.selftestJson) {
    json out{{"count", c.count},
             {"seed", o.seed},
             {"withinBounds", within},
             {"directionDeg", SpreadJson(c.directionDeg, bounds.directionDeg)},
             {"geocentricDistanceKm", SpreadJson(c.distanceKm, bounds.distanceKm)},
             {"geocentricRangeRateMps", SpreadJson(c.rangeRateMps, bounds.rangeRateMps)},
             {"rangeRateMps", SpreadJson(c.topocentricRangeRateMps, bounds.rangeRateMps)},
             {"echoDoppler1296MHzHz", SpreadJson(c.doppler1296Hz, bounds.doppler1296Hz)},
             {"echoDoppler10368MHzHz", SpreadJson(c.doppler10368Hz, bounds.doppler10368Hz)}};
    std::cout << out.dump(2) << '\n';
    return 0;
  }
  std::printf(
      "Standard figures against the accurate ones: %zu moments from 1960-2099 with the\n"
      "moon above the horizon, stations spread over the earth at height 0 (seed %llu).\n\n",
      c.count, static_cast<unsigned long long>(o.seed));
  std::printf("%-32s %10s %10s %10s %10s\n", "difference", "median", "p95", "max", "bound");
  const auto row = [](const char* what, const selftest::Spread& s, double bound) {
    std::printf("%-32s %10.4f %10.4f %10.4f %10.4f%s\n", what, s.median, s.p95, s.max, bound,
                s.max <= bound ? "" : "  OUTSIDE");
  };
  row("moon direction (deg)", c.directionDeg, bounds.directionDeg);
  row("geocentric distance (km)", c.distanceKm, bounds.distanceKm);
  row("geocentric range rate (m/s)", c.rangeRateMps, bounds.rangeRateMps);
  row("station range rate (m/s)", c.topocentricRangeRateMps, bounds.rangeRateMps);
  row("echo Doppler at 1296 MHz (Hz)", c.doppler1296Hz, bounds.doppler1296Hz);
  row("echo Doppler at 10368 MHz (Hz)", c.doppler10368Hz, bounds.doppler10368Hz);
  std::printf("\n%s\n", within ? "All within their bounds." : "Some figures are OUTSIDE their bounds.");
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
  AddClockOption(moon, o->clock);
  AddGmtOffsetOption(moon, o->gmtOffset);
  moon->add_option("--time-offset", o->timeOffset, "seconds added to the moment")
      ->check(WholeNumberIn(-kClockOptionLimit, kClockOptionLimit));
  AddUt1MinusUtcOption(moon, o->ut1MinusUtc);
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

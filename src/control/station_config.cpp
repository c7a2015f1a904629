#include "control/station_config.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "control/hamlib_protocol.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

std::string Shortest(double value) {
  std::array<char, 32> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} ? std::string(text.data(), end) : std::string("0");
}

// Reads one group's values against their limits.
class Reader {
 public:
  Reader(const SettingValues& values, const char* group, std::vector<std::string>* problems)
      : values_(values), group_(group), problems_(problems) {}

  const std::string* Find(const char* key) const {
    const auto it = values_.find(group_ + "/" + key);
    return it == values_.end() ? nullptr : &it->second;
  }

  void Unusable(const char* key, const std::string& stored, const std::string& fallback) const {
    if (problems_) {
      problems_->push_back(std::string(key) + " \"" + stored + "\" unusable, using " + fallback);
    }
  }

  double Number(const char* key, double fallback, double low, double high) const {
    const std::string* stored = Find(key);
    if (!stored) return fallback;
    const auto value = ParseStrictNumber(*stored);
    if (value && std::isfinite(*value) && *value >= low && *value <= high) return *value;
    Unusable(key, *stored, Shortest(fallback));
    return fallback;
  }

  // A whole number 0..count-1 naming one of a list's entries.
  int Choice(const char* key, int fallback, int count) const {
    const std::string* stored = Find(key);
    if (!stored) return fallback;
    const auto value = ParseStrictNumber(*stored);
    if (value && *value == std::floor(*value) && *value >= 0 && *value < count) {
      return static_cast<int>(*value);
    }
    Unusable(key, *stored, std::to_string(fallback));
    return fallback;
  }

  bool Flag(const char* key, bool fallback) const {
    const std::string* stored = Find(key);
    if (!stored) return fallback;
    if (*stored == "true" || *stored == "1") return true;
    if (*stored == "false" || *stored == "0") return false;
    Unusable(key, *stored, fallback ? "true" : "false");
    return fallback;
  }

  std::string Host(const char* key, const std::string& fallback) const {
    const std::string* stored = Find(key);
    if (!stored) return fallback;
    const auto parsed = ParseHostPort(*stored, 1);
    if (!stored->empty() && parsed && parsed->host == *stored) return *stored;
    Unusable(key, *stored, fallback);
    return fallback;
  }

 private:
  const SettingValues& values_;
  std::string group_;
  std::vector<std::string>* problems_;
};

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

StationConfig StationConfigFromValues(const SettingValues& values,
                                      std::vector<std::string>* problems) {
  StationConfig c;
  const StationConfig d;
  const Reader rot(values, "rotator", problems);
  RotatorConfig& r = c.rotator;
  r.host = rot.Host("host", d.rotator.host);
  r.port = static_cast<int>(rot.Number("port", d.rotator.port, 1, 65535));
  r.periodSeconds =
      rot.Number("period", d.rotator.periodSeconds, kShortestPeriodSeconds, kLongestPeriodSeconds);
  RotatorSetup& s = r.setup;
  s.thresholdDegrees = rot.Number("threshold", d.rotator.setup.thresholdDegrees,
                                  kMinThresholdDegrees, kMaxThresholdDegrees);
  s.azimuthRange = static_cast<AzimuthRange>(rot.Choice("azimuthRange", 0, 3));
  s.elevationRange = static_cast<ElevationRange>(rot.Choice("elevationRange", 0, 2));
  s.azimuthOffset = rot.Number("azimuthOffset", 0, -kLargestOffsetDegrees, kLargestOffsetDegrees);
  s.elevationOffset =
      rot.Number("elevationOffset", 0, -kLargestOffsetDegrees, kLargestOffsetDegrees);
  s.minimumElevation =
      rot.Number("minimumElevation", 0, kLowestMinimumElevation, kHighestMinimumElevation);
  s.stallSeconds = rot.Number("stallSeconds", kDefaultStallSeconds, kShortestStallSeconds,
                              kLongestStallSeconds);
  s.refraction = rot.Choice("refraction", 1, 2) == 1;
  s.userStarB1950 = rot.Choice("userStarB1950", 0, 2) == 1;
  r.parkWithController = rot.Choice("parkWithController", 1, 2) == 1;
  r.parkPosition = {rot.Number("parkAzimuth", 0, 0, 360), rot.Number("parkElevation", 0, 0, 90)};
  r.stopOnExit = rot.Choice("stopOnExit", 1, 2) == 1;
  r.target = static_cast<TargetChoice>(rot.Choice("target", 0, 4));
  r.fixedTarget = {rot.Number("fixedAzimuth", d.rotator.fixedTarget.azimuth, 0, 360),
                   rot.Number("fixedElevation", d.rotator.fixedTarget.elevation, 0, 180)};

  const Reader rad(values, "radio", problems);
  RadioConfig& a = c.radio;
  a.host = rad.Host("host", d.radio.host);
  a.port = static_cast<int>(rad.Number("port", d.radio.port, 1, 65535));
  RadioControlSettings& k = a.control;
  const double dial = rad.Number("dialHz", k.dialHz, 0, kHighestRadioHz);
  k.dialHz = IsRadioFrequency(dial) ? dial : d.radio.control.dialHz;
  if (const std::string* method = rad.Find("method")) {
    if (const auto parsed = ParseDopplerMethod(*method)) {
      k.method = *parsed;
    } else {
      rad.Unusable("method", *method, DopplerMethodName(k.method));
    }
  }
  const int step = static_cast<int>(rad.Number("stepHz", k.stepHz, 1, 100));
  if (IsRigStep(step)) {
    k.stepHz = step;
  } else {
    rad.Unusable("stepHz", std::to_string(step), std::to_string(k.stepHz));
  }
  k.transmitOffsetHz =
      rad.Number("transmitOffsetHz", 0, -kHighestRadioHz + 1, kHighestRadioHz - 1);
  k.changesWhileTransmitting = !rad.Flag("fixedDuringTransmit", false);
  k.transmissionSeconds = static_cast<int>(
      rad.Number("transmissionSeconds", k.transmissionSeconds, 1, kLongestTransmissionSeconds));
  const Reader accurate(values, "precise", problems);
  c.ut1MinusUtcS = accurate.Number("ut1MinusUtcSeconds", 0, -precise::kMaxUt1MinusUtcS,
                                   precise::kMaxUt1MinusUtcS);
  return c;
}

SettingValues StationConfigValues(const StationConfig& c) {
  SettingValues v;
  const RotatorConfig& r = c.rotator;
  v["rotator/host"] = r.host;
  v["rotator/port"] = std::to_string(r.port);
  v["rotator/period"] = Shortest(r.periodSeconds);
  v["rotator/threshold"] = Shortest(r.setup.thresholdDegrees);
  v["rotator/azimuthRange"] = std::to_string(static_cast<int>(r.setup.azimuthRange));
  v["rotator/elevationRange"] = std::to_string(static_cast<int>(r.setup.elevationRange));
  v["rotator/azimuthOffset"] = Shortest(r.setup.azimuthOffset);
  v["rotator/elevationOffset"] = Shortest(r.setup.elevationOffset);
  v["rotator/minimumElevation"] = Shortest(r.setup.minimumElevation);
  v["rotator/stallSeconds"] = Shortest(r.setup.stallSeconds);
  v["rotator/refraction"] = r.setup.refraction ? "1" : "0";
  v["rotator/userStarB1950"] = r.setup.userStarB1950 ? "1" : "0";
  v["rotator/parkWithController"] = r.parkWithController ? "1" : "0";
  v["rotator/parkAzimuth"] = Shortest(r.parkPosition.azimuth);
  v["rotator/parkElevation"] = Shortest(r.parkPosition.elevation);
  v["rotator/stopOnExit"] = r.stopOnExit ? "1" : "0";
  v["rotator/target"] = std::to_string(static_cast<int>(r.target));
  v["rotator/fixedAzimuth"] = Shortest(r.fixedTarget.azimuth);
  v["rotator/fixedElevation"] = Shortest(r.fixedTarget.elevation);
  const RadioConfig& a = c.radio;
  v["radio/host"] = a.host;
  v["radio/port"] = std::to_string(a.port);
  v["radio/dialHz"] = Shortest(a.control.dialHz);
  v["radio/method"] = DopplerMethodName(a.control.method);
  v["radio/stepHz"] = std::to_string(a.control.stepHz);
  v["radio/transmitOffsetHz"] = Shortest(a.control.transmitOffsetHz);
  v["radio/fixedDuringTransmit"] = a.control.changesWhileTransmitting ? "false" : "true";
  v["radio/transmissionSeconds"] = std::to_string(a.control.transmissionSeconds);
  v["precise/ut1MinusUtcSeconds"] = Shortest(c.ut1MinusUtcS);
  return v;
}

Status CheckStationConfig(const StationConfig& c) {
  std::vector<std::string> problems;
  // The record goes through the same limits as a stored one.
  StationConfigFromValues(StationConfigValues(c), &problems);
  if (!problems.empty()) return Fail(problems.front());
  return CheckSetup(c.rotator.setup);
}

Result<SettingValues> ReadIniFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) return Fail("cannot read " + path.string(), FailureKind::kNotFound);
  SettingValues values;
  std::string group;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    if (text.front() == '[' && text.back() == ']') {
      group = std::string(Trim(text.substr(1, text.size() - 2)));
      if (group == "General") group.clear();
      continue;
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key(Trim(text.substr(0, equals)));
    std::string value(Trim(text.substr(equals + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    values[group.empty() ? key : group + "/" + key] = value;
  }
  return values;
}

std::optional<std::filesystem::path> DefaultStationSettingsPath() {
  std::filesystem::path base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    return std::nullopt;
  }
  return base / "Kelvora" / "station-control.ini";
}

}  // namespace kelvora

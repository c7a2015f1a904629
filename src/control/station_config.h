// The station-control settings record (rotator and radio) and its one set of
// limits. The window keeps it in its QSettings store (an INI file); the
// command line reads the same file with ReadIniFile. Both go through
// StationConfigFromValues, so a value is checked in one place only.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "control/doppler_control.h"
#include "control/radio_session.h"
#include "control/rotator_client.h"
#include "control/rotator_rules.h"

namespace kelvora {

enum class TargetChoice { Moon, Sun, Source, Fixed };

struct RotatorConfig {
  std::string host = "127.0.0.1";
  int port = kDefaultRotctldPort;
  double periodSeconds = 1.0;
  RotatorSetup setup;
  bool parkWithController = true;  // K; else a move to parkPosition
  AzEl parkPosition{0, 0};         // true direction, degrees
  bool stopOnExit = true;
  TargetChoice target = TargetChoice::Moon;
  AzEl fixedTarget{180, 30};       // true direction, degrees
};

struct RadioConfig {
  std::string host = "127.0.0.1";
  int port = kDefaultRigctldPort;
  RadioControlSettings control;
};

struct StationConfig {
  RotatorConfig rotator;
  RadioConfig radio;
  // UT1 - UTC in seconds (IERS Bulletin A) for the accurate figures, within
  // +-precise::kMaxUt1MinusUtcS; stored as precise/ut1MinusUtcSeconds.
  double ut1MinusUtcS = 0.0;
};

inline constexpr double kShortestPeriodSeconds = 0.2;
inline constexpr double kLongestPeriodSeconds = 60.0;
inline constexpr int kLongestTransmissionSeconds = 3600;

// Stored values by "group/key" ("rotator/threshold" = "2.5"), as QSettings
// names them.
using SettingValues = std::map<std::string, std::string>;

// Reads what is stored: a value that is missing takes its default; a value
// that is stored but unusable takes its default and is named in *problems
// ("threshold \"25\" unusable, using 1").
StationConfig StationConfigFromValues(const SettingValues& values,
                                      std::vector<std::string>* problems);
// The record as stored values, the inverse of the above.
SettingValues StationConfigValues(const StationConfig& config);

// Done when the record is usable, else refused with what is wrong with it.
Status CheckStationConfig(const StationConfig& config);

// The keys and values of an INI file as QSettings writes it ("[group]",
// "key=value", quotes around a value taken off); not found when the file
// cannot be read.
Result<SettingValues> ReadIniFile(const std::filesystem::path& path);

// Where the window keeps the record: $XDG_CONFIG_HOME (or ~/.config)
// /Kelvora/station-control.ini. Empty when neither is set.
std::optional<std::filesystem::path> DefaultStationSettingsPath();

}  // namespace kelvora

// The station settings record and its two files.
//
// The record is four little-endian IEEE-754 doubles, 32 bytes, no header:
// latitude, longitude (west positive), GMT offset in hours, distance unit
// (1 miles, 0 kilometres). Both files live in the current working directory.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"
#include "state/records.h"

namespace kelvora {

inline constexpr const char* kSettingsFileName = "Dorvakin.dat";
inline constexpr const char* kSettingsCopyFileName = "MyData.dat";
inline constexpr double kDefaultLatitude = 29.42;
inline constexpr double kDefaultLongitude = 95.36;

inline constexpr std::size_t kSettingsRecordBytes = 32;

// The widest GMT offset, in whole hours either way, that kelvora-cli's
// --gmt-offset accepts.
inline constexpr int kGmtOffsetOptionLimitHours = 24;

// What a write came to: done, or a failure (kBroken) whose reason is the
// message for the user.
using WriteResult = Status;

// What LoadSettings found.
struct SettingsLoad {
  bool found = false;  // the file was there and could be read
  // Names of the fields that held no usable value ("latitude", "GMT offset",
  // ...) and were given their defaults, in file order.
  std::vector<std::string> replaced;
};

// Fills the record and the home station from the file, or from the defaults
// when it is missing or unreadable. A short file fills only the fields it
// has; the rest read as 0.0. A field that is not finite or lies outside its
// range (latitude within 90 degrees, longitude within 180, GMT offset within
// 14 hours, unit 0 or 1) alone takes its default; the file is not touched.
SettingsLoad LoadSettings(const std::filesystem::path& file, StationSettings& record,
                          HomeStation& home);

// One line for the user naming the fields of `file` that were replaced by
// their defaults; empty when none were.
std::optional<std::string> DamagedSettingsNotice(const std::filesystem::path& file,
                                                 const SettingsLoad& load);

// Writes the 32-byte record through a temporary file renamed over the old
// one, so a failure never leaves a half-written file. An existing file the
// user may not write is refused as opening it for writing would refuse it.
// When the write fails the old file is untouched.
WriteResult WriteSettingsRecord(const std::filesystem::path& file, const StationSettings& record);

// File > Save: the in-memory record to "MyData.dat" in `folder`.
WriteResult SaveSettingsCopy(const std::filesystem::path& folder, const StationSettings& record);

// The setup dialog's "&Save and  Exit": copies the dialog's values into the
// record and the home station field by field, in the dialog's order (the
// sun's observer moves with home), then writes "Dorvakin.dat" in `folder`.
WriteResult SaveHomeSettings(const std::filesystem::path& folder, double latitude,
                             double longitude, int gmtOffsetHours, StationSettings& record,
                             HomeStation& home);

}  // namespace kelvora

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

// The values a home station may have, the same for the setup dialog, the
// settings file and the command line: latitude and longitude within these
// many degrees either side, and the GMT offset within these many whole hours
// (the zones run from UTC-12 to UTC+14; the limit is kept symmetric).
inline constexpr double kLatitudeLimitDegrees = 90.0;
inline constexpr double kLongitudeLimitDegrees = 180.0;
inline constexpr int kGmtOffsetLimitHours = 14;

// What a write came to: done, or a failure (kBroken) whose reason is the
// message for the user.
using WriteResult = Status;

// What LoadSettings found.
struct SettingsLoad {
  bool found = false;  // the file was there and could be read
  // How many bytes of the record the file held (a whole record or fewer).
  std::size_t bytes = kSettingsRecordBytes;
  // Names of the fields that held no usable value ("latitude", "GMT offset",
  // ...) and were given their defaults, in file order.
  std::vector<std::string> replaced;
};

// Fills the record and the home station from the file, or from the defaults
// when it is missing or unreadable. A field the file does not hold whole (a
// file shorter than a record, an empty one included), or one that is not
// finite or lies outside its range (the limits above, unit 0 or 1), alone
// takes its default and is named; the file is not touched.
SettingsLoad LoadSettings(const std::filesystem::path& file, StationSettings& record,
                          HomeStation& home);

// Done when every field of `file` was usable (or there was no file: a first
// start); otherwise a failure whose reason is one line for the user naming the
// fields that were replaced by their defaults.
Status CheckSettingsLoad(const std::filesystem::path& file, const SettingsLoad& load);

// Writes the 32-byte record through a temporary file renamed over the old
// one, so a failure never leaves a half-written file. An existing file the
// user may not write is refused as opening it for writing would refuse it,
// and so is a file without any write permission bit, whoever the user is
// (the superuser too: such a file was made read-only on purpose).
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

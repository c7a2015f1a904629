#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "state/records.h"

namespace kelvora {

namespace {

using RecordBytes = std::array<unsigned char, kSettingsRecordBytes>;
constexpr std::size_t kFieldBytes = sizeof(double);
static_assert(kSettingsRecordBytes == 4 * kFieldBytes);

double DecodeField(const RecordBytes& bytes, std::size_t index) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < kFieldBytes; ++i) {
    bits |= std::uint64_t{bytes[index * kFieldBytes + i]} << (8 * i);
  }
  return std::bit_cast<double>(bits);
}

void EncodeField(RecordBytes& bytes, std::size_t index, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < kFieldBytes; ++i) {
    bytes[index * kFieldBytes + i] = static_cast<unsigned char>(bits >> (8 * i));
  }
}

// The ranges a field must lie in to be used; the whole-number fields are
// checked as the program uses them, truncated toward zero.
bool Within(double value, double limit) { return value >= -limit && value <= limit; }

bool UsableGmtOffset(double hours) {
  return Within(std::trunc(hours), static_cast<double>(kGmtOffsetLimitHours));
}

bool UsableUnit(double unit) {
  const double whole = std::trunc(unit);
  return whole == 0.0 || whole == 1.0;
}

struct ReadResult {
  StationSettings record;
  std::size_t bytes = 0;  // how many bytes of the record the file held
};

// Reads up to one record; a shorter file fills only the bytes it has and the
// rest stays zero. Empty when the file is missing or cannot be read.
std::optional<ReadResult> ReadRecord(const std::filesystem::path& file) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) {
    return std::nullopt;
  }
  RecordBytes bytes{};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed || got > bytes.size()) {
    return std::nullopt;
  }
  ReadResult read;
  read.record.latitude = DecodeField(bytes, 0);
  read.record.longitude = DecodeField(bytes, 1);
  read.record.gmtOffset = DecodeField(bytes, 2);
  read.record.distanceUnit = DecodeField(bytes, 3);
  read.bytes = got;
  return read;
}

// Whether field `index` lies whole within the first `bytes` of the record.
bool Held(std::size_t bytes, std::size_t index) { return bytes >= (index + 1) * kFieldBytes; }

WriteResult Failed(const std::filesystem::path& file, int error) {
  return Fail("Cannot save \"" + file.filename().string() + "\": " + std::strerror(error) +
                  ". The file was not changed.",
              FailureKind::kBroken);
}

// Writes all of `bytes` to `fd`, retrying short writes.
bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

SettingsLoad LoadSettings(const std::filesystem::path& file, StationSettings& record,
                          HomeStation& home) {
  SettingsLoad load;
  const std::optional<ReadResult> loaded = ReadRecord(file);
  if (!loaded) {
    // Missing or unreadable: the defaults. The record's GMT offset and unit
    // keep what they held, and so does the home station's unit (miles before
    // any file is read).
    record.latitude = kDefaultLatitude;
    record.longitude = kDefaultLongitude;
    home.latitude = kDefaultLatitude;
    home.sunLatitude = kDefaultLatitude;
    home.longitude = kDefaultLongitude;
    home.sunLongitude = kDefaultLongitude;
    home.gmtOffsetHours = 0;
    return load;
  }
  load.found = true;
  load.bytes = loaded->bytes;
  record = loaded->record;
  // Each damaged or missing field alone takes its default, in the record
  // too, so that a later save writes a usable record.
  if (!Held(load.bytes, 0) || !Within(record.latitude, kLatitudeLimitDegrees)) {
    record.latitude = kDefaultLatitude;
    load.replaced.emplace_back("latitude");
  }
  if (!Held(load.bytes, 1) || !Within(record.longitude, kLongitudeLimitDegrees)) {
    record.longitude = kDefaultLongitude;
    load.replaced.emplace_back("longitude");
  }
  if (!Held(load.bytes, 2) || !UsableGmtOffset(record.gmtOffset)) {
    record.gmtOffset = 0.0;
    load.replaced.emplace_back("GMT offset");
  }
  if (!Held(load.bytes, 3) || !UsableUnit(record.distanceUnit)) {
    record.distanceUnit = static_cast<double>(kDefaultDistanceUnit);
    load.replaced.emplace_back("distance unit");
  }
  home.latitude = record.latitude;
  home.sunLatitude = record.latitude;
  home.longitude = record.longitude;
  home.sunLongitude = record.longitude;
  home.gmtOffsetHours = static_cast<std::int32_t>(record.gmtOffset);
  home.distanceUnit = static_cast<std::int32_t>(record.distanceUnit);
  return load;
}

Status CheckSettingsLoad(const std::filesystem::path& file, const SettingsLoad& load) {
  if (load.replaced.empty()) return Done();
  std::string fields;
  for (std::size_t i = 0; i < load.replaced.size(); ++i) {
    if (i > 0) fields += i + 1 == load.replaced.size() ? " and " : ", ";
    fields += load.replaced[i];
  }
  const bool one = load.replaced.size() == 1;
  const std::string size =
      load.bytes < kSettingsRecordBytes
          ? " (" + std::to_string(load.bytes) + " of its " +
                std::to_string(kSettingsRecordBytes) + " bytes)"
          : std::string();
  return Fail("\"" + file.filename().string() + "\" is damaged" + size + ": its " + fields +
              (one ? " was" : " were") + " replaced by the default" + (one ? "" : "s") +
              ". The file stays as it is until you save.");
}

WriteResult WriteSettingsRecord(const std::filesystem::path& file, const StationSettings& record) {
  RecordBytes bytes{};
  EncodeField(bytes, 0, record.latitude);
  EncodeField(bytes, 1, record.longitude);
  EncodeField(bytes, 2, record.gmtOffset);
  EncodeField(bytes, 3, record.distanceUnit);

  // The new record goes into a temporary file beside the old one and is
  // renamed over it only once it is complete on disk, so a failure at any
  // step leaves the old file as it was.
  // A file the user may not write stays as it is, whatever the folder allows.
  if (::faccessat(AT_FDCWD, file.c_str(), F_OK, AT_EACCESS) == 0 &&
      ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0) {
    return Failed(file, errno);
  }
  // The superuser passes the check above whatever the mode; a file with no
  // write bit at all was made read-only on purpose and stays so for everyone.
  struct stat current {};
  constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
  if (::stat(file.c_str(), &current) == 0 && (current.st_mode & kAnyWriteBit) == 0) {
    return Failed(file, EACCES);
  }
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  std::string name = (folder / (file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    return Failed(file, errno);
  }
  // Keep the old file's permissions; a new file gets the usual 0644.
  struct stat old {};
  const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  int error = 0;
  if (::fchmod(fd, mode) != 0 || !WriteAll(fd, bytes.data(), bytes.size()) ||
      ::fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(name.c_str(), file.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(name.c_str());
    return Failed(file, error);
  }
  return Done();
}

WriteResult SaveSettingsCopy(const std::filesystem::path& folder, const StationSettings& record) {
  return WriteSettingsRecord(folder / kSettingsCopyFileName, record);
}

WriteResult SaveHomeSettings(const std::filesystem::path& folder, double latitude,
                             double longitude, int gmtOffsetHours, StationSettings& record,
                             HomeStation& home) {
  record.latitude = latitude;
  home.latitude = latitude;
  record.longitude = longitude;
  home.longitude = longitude;
  // The sun is seen from the saved home too, not from where the program
  // started (its figures would otherwise belong to another place).
  home.sunLatitude = latitude;
  home.sunLongitude = longitude;
  home.gmtOffsetHours = gmtOffsetHours;
  record.gmtOffset = static_cast<double>(gmtOffsetHours);
  record.distanceUnit = static_cast<double>(home.distanceUnit);
  return WriteSettingsRecord(folder / kSettingsFileName, record);
}

}  // namespace kelvora

// The settings record, its two files and the atomic writer.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "app/settings.h"
#include "state/records.h"
#include "stations/locator.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// Little-endian image of a double, byte by byte from its bit pattern.
Bytes LittleEndian(std::initializer_list<double> values) {
  Bytes out;
  for (double v : values) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) {
      out.push_back(static_cast<unsigned char>(bits >> (8 * i)));
    }
  }
  return out;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_settings_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    file_ = folder_ / kSettingsFileName;
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder_);
  }
  void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<fs::path> FolderEntries() {
    std::vector<fs::path> names;
    for (const auto& e : fs::directory_iterator(folder_)) {
      names.push_back(e.path().filename());
    }
    return names;
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(SettingsTest, MissingFileGivesTheDefaults) {
  StationSettings record;
  HomeStation home;
  LoadSettings(file_, record, home);
  EXPECT_EQ(record.latitude, 29.42);
  EXPECT_EQ(record.longitude, 95.36);
  EXPECT_EQ(record.gmtOffset, 0.0);
  EXPECT_EQ(record.distanceUnit, 0.0);
  EXPECT_EQ(home.latitude, 29.42);
  EXPECT_EQ(home.sunLatitude, 29.42);
  EXPECT_EQ(home.longitude, 95.36);
  EXPECT_EQ(home.sunLongitude, 95.36);
  EXPECT_EQ(home.gmtOffsetHours, 0);
  EXPECT_EQ(home.distanceUnit, 1);  // miles, although the record says 0.0
  EXPECT_EQ(PositionToLocator(home.latitude, home.longitude), "EL29HK");
}

TEST_F(SettingsTest, LoadsWhatTheFileHolds) {
  struct Row {
    const char* name;
    Bytes bytes;
    double lat, lon;
    int gmtHours;
    int unit;
  } rows[] = {
      {"full_record", LittleEndian({51.5, -0.1, -1.0, 1.0}), 51.5, -0.1, -1, 1},
      {"half_hour_offset_truncates", LittleEndian({10.0, 20.0, -5.5, 1.0}), 10.0, 20.0, -5, 1},
      {"kilometres", LittleEndian({10.0, 20.0, 6.0, 0.0}), 10.0, 20.0, 6, 0},
      {"longer_file_uses_first_record", [] {
         Bytes b = LittleEndian({1.0, 2.0, 3.0, 1.0, 99.0});
         return b;
       }(), 1.0, 2.0, 3, 1},
  };
  for (const Row& r : rows) {
    WriteBytes(file_, r.bytes);
    StationSettings record;
    HomeStation home;
    LoadSettings(file_, record, home);
    EXPECT_EQ(home.latitude, r.lat) << r.name;
    EXPECT_EQ(home.sunLatitude, r.lat) << r.name;
    EXPECT_EQ(home.longitude, r.lon) << r.name;
    EXPECT_EQ(home.sunLongitude, r.lon) << r.name;
    EXPECT_EQ(home.gmtOffsetHours, r.gmtHours) << r.name;
    EXPECT_EQ(home.distanceUnit, r.unit) << r.name;
    EXPECT_EQ(record.latitude, r.lat) << r.name;
  }
}

TEST_F(SettingsTest, DamagedFieldsAloneTakeTheirDefaults) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* name;
    Bytes bytes;
    double lat, lon;
    int gmtHours;
    int unit;
    std::vector<std::string> replaced;
  } rows[] = {
      {"nan_latitude", LittleEndian({nan, 20.0, 2.0, 0.0}), 29.42, 20.0, 2, 0, {"latitude"}},
      {"infinite_longitude", LittleEndian({10.0, inf, 2.0, 0.0}), 10.0, 95.36, 2, 0,
       {"longitude"}},
      {"huge_latitude", LittleEndian({-2e87, 20.0, 2.0, 0.0}), 29.42, 20.0, 2, 0, {"latitude"}},
      {"latitude_just_past_pole", LittleEndian({90.001, 20.0, 2.0, 1.0}), 29.42, 20.0, 2, 1,
       {"latitude"}},
      {"longitude_past_antimeridian", LittleEndian({10.0, -180.5, 2.0, 1.0}), 10.0, 95.36, 2, 1,
       {"longitude"}},
      {"gmt_offset_999", LittleEndian({10.0, 20.0, 999.0, 1.0}), 10.0, 20.0, 0, 1,
       {"GMT offset"}},
      {"gmt_offset_minus_infinity", LittleEndian({10.0, 20.0, -inf, 1.0}), 10.0, 20.0, 0, 1,
       {"GMT offset"}},
      {"unit_nan", LittleEndian({10.0, 20.0, 3.0, nan}), 10.0, 20.0, 3, 1, {"distance unit"}},
      {"unit_two", LittleEndian({10.0, 20.0, 3.0, 2.0}), 10.0, 20.0, 3, 1, {"distance unit"}},
      {"all_nan_bit_patterns", Bytes(32, 0xFF), 29.42, 95.36, 0, 1,
       {"latitude", "longitude", "GMT offset", "distance unit"}},
      // The limits themselves are places on the earth and real zones.
      {"poles_and_limits_kept", LittleEndian({-90.0, 180.0, -14.0, 0.0}), -90.0, 180.0, -14, 0,
       {}},
      {"offset_fraction_within_limit", LittleEndian({90.0, -180.0, 14.5, 1.0}), 90.0, -180.0, 14,
       1, {}},
      // A file shorter than a record is damaged: what it lacks is named.
      {"empty_file", Bytes{}, 29.42, 95.36, 0, 1,
       {"latitude", "longitude", "GMT offset", "distance unit"}},
      {"seven_bytes", Bytes(7, 0x40), 29.42, 95.36, 0, 1,
       {"latitude", "longitude", "GMT offset", "distance unit"}},
      {"sixteen_bytes_hold_the_position_only", LittleEndian({42.52, 70.96}), 42.52, 70.96, 0, 1,
       {"GMT offset", "distance unit"}},
      {"thirty_one_bytes_lack_the_unit", [] {
         Bytes b = LittleEndian({10.0, 20.0, 3.0, 0.0});
         b.pop_back();
         return b;
       }(), 10.0, 20.0, 3, 1, {"distance unit"}},
  };
  for (const Row& r : rows) {
    WriteBytes(file_, r.bytes);
    StationSettings record;
    HomeStation home;
    const SettingsLoad load = LoadSettings(file_, record, home);
    EXPECT_TRUE(load.found) << r.name;
    EXPECT_EQ(load.replaced, r.replaced) << r.name;
    EXPECT_EQ(home.latitude, r.lat) << r.name;
    EXPECT_EQ(home.sunLatitude, r.lat) << r.name;
    EXPECT_EQ(home.longitude, r.lon) << r.name;
    EXPECT_EQ(home.sunLongitude, r.lon) << r.name;
    EXPECT_EQ(home.gmtOffsetHours, r.gmtHours) << r.name;
    EXPECT_EQ(home.distanceUnit, r.unit) << r.name;
    // The record holds the same usable values, so a save writes no damage.
    EXPECT_EQ(record.latitude, r.lat) << r.name;
    EXPECT_EQ(record.longitude, r.lon) << r.name;
    EXPECT_EQ(static_cast<int>(record.gmtOffset), r.gmtHours) << r.name;
    EXPECT_EQ(static_cast<int>(record.distanceUnit), r.unit) << r.name;
    // Loading never rewrites the file.
    EXPECT_EQ(ReadBytes(file_), r.bytes) << r.name;
  }
}

TEST_F(SettingsTest, DamageNoticeNamesTheFileAndItsFields) {
  SettingsLoad load;
  load.found = true;
  EXPECT_TRUE(CheckSettingsLoad(file_, load).ok());

  load.replaced = {"GMT offset"};
  EXPECT_EQ(CheckSettingsLoad(file_, load).reason(),
            "\"Dorvakin.dat\" is damaged: its GMT offset was replaced by the default. "
            "The file stays as it is until you save.");
  load.replaced = {"latitude", "longitude", "distance unit"};
  EXPECT_EQ(CheckSettingsLoad(file_, load).reason(),
            "\"Dorvakin.dat\" is damaged: its latitude, longitude and distance unit were "
            "replaced by the defaults. The file stays as it is until you save.");
  load.bytes = 7;
  load.replaced = {"latitude", "longitude", "GMT offset", "distance unit"};
  EXPECT_EQ(CheckSettingsLoad(file_, load).reason(),
            "\"Dorvakin.dat\" is damaged (7 of its 32 bytes): its latitude, longitude, GMT "
            "offset and distance unit were replaced by the defaults. The file stays as it is "
            "until you save.");

  // A missing file is a first start, not damage.
  StationSettings record;
  HomeStation home;
  const SettingsLoad missing = LoadSettings(file_, record, home);
  EXPECT_FALSE(missing.found);
  EXPECT_TRUE(CheckSettingsLoad(file_, missing).ok());
}

TEST_F(SettingsTest, WritesThirtyTwoLittleEndianBytesUnchanged) {
  // 0x0A, 0x0D and 0x1A bytes must not be translated: 1/3 has 0x55 bytes,
  // and these bit patterns were chosen to contain the three control bytes.
  double lf, cr, eof;
  const std::uint64_t lfBits = 0x40240A0D1A0A0D1AULL;
  const std::uint64_t crBits = 0xC00D0A1A000A0D0AULL;
  const std::uint64_t eofBits = 0x3F1A0D0A1A0D0A1AULL;
  std::memcpy(&lf, &lfBits, 8);
  std::memcpy(&cr, &crBits, 8);
  std::memcpy(&eof, &eofBits, 8);
  const StationSettings written{lf, cr, eof, 1.0};
  ASSERT_TRUE(WriteSettingsRecord(file_, written).ok());

  const Bytes onDisk = ReadBytes(file_);
  EXPECT_EQ(onDisk, LittleEndian({lf, cr, eof, 1.0}));
  // Known image of 29.42 written the same way: 0x403D6B851EB851EC.
  ASSERT_TRUE(WriteSettingsRecord(file_, StationSettings{29.42, 95.36, 0.0, 0.0}).ok());
  const Bytes home = ReadBytes(file_);
  ASSERT_EQ(home.size(), 32u);
  EXPECT_EQ(home[0], 0xEC);
  EXPECT_EQ(home[7], 0x40);

  StationSettings record;
  HomeStation station;
  ASSERT_TRUE(WriteSettingsRecord(file_, written).ok());
  LoadSettings(file_, record, station);
  EXPECT_EQ(std::memcmp(&record.latitude, &lf, 8), 0);
  EXPECT_EQ(std::memcmp(&record.longitude, &cr, 8), 0);
  // No temporary file is left beside it.
  EXPECT_EQ(FolderEntries(), std::vector<fs::path>{kSettingsFileName});
}

TEST_F(SettingsTest, FirstStartThenSaveWritesTheDefaultsCopy) {
  StationSettings record;
  HomeStation home;
  LoadSettings(file_, record, home);
  ASSERT_TRUE(SaveSettingsCopy(folder_, record).ok());
  EXPECT_EQ(ReadBytes(folder_ / kSettingsCopyFileName), LittleEndian({29.42, 95.36, 0.0, 0.0}));
  EXPECT_FALSE(fs::exists(file_));  // the copy never touches the settings file
}

TEST_F(SettingsTest, SaveAndExitStoresTheDialogValuesInOrder) {
  StationSettings record{1.0, 2.0, 3.0, 1.0};
  HomeStation home;
  home.distanceUnit = 0;  // toggled to kilometres before the dialog
  ASSERT_TRUE(SaveHomeSettings(folder_, 42.52, 70.96, 5, record, home).ok());
  EXPECT_EQ(home.latitude, 42.52);
  EXPECT_EQ(home.longitude, 70.96);
  EXPECT_EQ(home.gmtOffsetHours, 5);
  EXPECT_EQ(record.latitude, 42.52);
  EXPECT_EQ(record.longitude, 70.96);
  EXPECT_EQ(record.gmtOffset, 5.0);
  EXPECT_EQ(record.distanceUnit, 0.0);
  // The sun is seen from the saved home, not the start-up position.
  EXPECT_EQ(home.sunLatitude, 42.52);
  EXPECT_EQ(home.sunLongitude, 70.96);
  EXPECT_EQ(ReadBytes(file_), LittleEndian({42.52, 70.96, 5.0, 0.0}));

  StationSettings reloaded;
  HomeStation again;
  LoadSettings(file_, reloaded, again);
  EXPECT_EQ(again.gmtOffsetHours, 5);
  EXPECT_EQ(again.distanceUnit, 0);
}

TEST_F(SettingsTest, FailedWriteReportsAndKeepsTheOldFile) {
  const Bytes old = LittleEndian({10.0, 20.0, 1.0, 1.0});
  WriteBytes(file_, old);

  // A file-size limit makes the write itself fail part-way, for any user.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const WriteResult result = WriteSettingsRecord(file_, StationSettings{1.0, 2.0, 3.0, 0.0});
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  std::signal(SIGXFSZ, SIG_DFL);

  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.reason().find("Dorvakin.dat"), std::string::npos) << result.reason();
  EXPECT_EQ(ReadBytes(file_), old);
  EXPECT_EQ(FolderEntries(), std::vector<fs::path>{kSettingsFileName});
}

// Runs `save` as an ordinary user: permissions do not bind the superuser, so
// when the tests run as root the save runs as "nobody" and the effective
// user is restored afterwards.
template <typename Save>
WriteResult AsOrdinaryUser(Save save) {
  const bool superuser = geteuid() == 0;
  constexpr uid_t kNobody = 65534;
  if (superuser && seteuid(kNobody) != 0) return Fail("seteuid failed");
  const WriteResult result = save();
  if (superuser && seteuid(0) != 0) std::abort();
  return result;
}

// Read-only files stay so for an ordinary user and for the superuser alike
// (the second run is the first again when the tests do not run as root).
TEST_F(SettingsTest, ReadOnlyFilesInAWritableFolderStayUntouched) {
  const Bytes old = LittleEndian({10.0, 20.0, 1.0, 1.0});
  fs::permissions(folder_, fs::perms::all);
  for (const bool ordinary : {true, false})
  for (const char* name : {kSettingsFileName, kSettingsCopyFileName}) {
    SCOPED_TRACE(ordinary ? "ordinary user" : "as the tests run");
    const fs::path file = folder_ / name;
    fs::remove(file);
    WriteBytes(file, old);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    StationSettings record{1.0, 2.0, 3.0, 0.0};
    HomeStation home;
    const auto save = [&] {
      return std::string(name) == kSettingsFileName
                 ? SaveHomeSettings(folder_, 1.0, 2.0, 3, record, home)
                 : SaveSettingsCopy(folder_, record);
    };
    const WriteResult result = ordinary ? AsOrdinaryUser(save) : save();
    ASSERT_FALSE(result.ok()) << name;
    EXPECT_NE(result.reason().find(name), std::string::npos) << result.reason();
    EXPECT_NE(result.reason().find("Permission denied"), std::string::npos) << result.reason();
    EXPECT_EQ(ReadBytes(file), old) << name;
    EXPECT_EQ((fs::status(file).permissions() & fs::perms::all),
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read)
        << name;
  }
  // No temporary file is left beside them.
  EXPECT_EQ(FolderEntries().size(), 2u);
}

TEST_F(SettingsTest, MissingFolderReports) {
  const WriteResult missing = SaveSettingsCopy(folder_ / "no_such_folder", StationSettings{});
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.reason().find("MyData.dat"), std::string::npos) << missing.reason();
}

TEST_F(SettingsTest, UnwritableFolderReportsAndKeepsTheOldFile) {
  const Bytes old = LittleEndian({10.0, 20.0, 1.0, 1.0});
  WriteBytes(file_, old);
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  StationSettings record;
  HomeStation home;
  const WriteResult result =
      AsOrdinaryUser([&] { return SaveHomeSettings(folder_, 1.0, 2.0, 3, record, home); });
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(ReadBytes(file_), old);
}

}  // namespace
}  // namespace kelvora

// libFuzzer target: the settings loader on any bytes. Whatever the file
// holds, the home station must come out with finite numbers.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_scratch.h"
#include "app/settings.h"
#include "state/records.h"

namespace {

using kelvora::fuzz::Check;

const std::filesystem::path& SettingsFile() {
  static const std::filesystem::path path =
      kelvora::fuzz::ScratchFile("kelvora_fuzz_settings", kelvora::kSettingsFileName);
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(SettingsFile().c_str(), "wb");
  Check(f != nullptr);
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  kelvora::StationSettings record;
  kelvora::HomeStation home;
  const kelvora::SettingsLoad load = kelvora::LoadSettings(SettingsFile(), record, home);
  Check(std::isfinite(home.latitude) && std::isfinite(home.longitude));
  Check(home.sunLatitude == home.latitude && home.sunLongitude == home.longitude);
  Check(std::isfinite(record.gmtOffset) && std::isfinite(record.distanceUnit));
  Check(std::fabs(home.latitude) <= 90.0 && std::fabs(home.longitude) <= 180.0);
  Check(home.gmtOffsetHours == static_cast<std::int32_t>(std::trunc(record.gmtOffset)));
  Check(home.distanceUnit == 0 || home.distanceUnit == 1);

  // What was loaded writes back as the same 32 bytes when the file held a
  // whole usable record.
  if (size >= kelvora::kSettingsRecordBytes && load.replaced.empty()) {
    const auto copy = SettingsFile().parent_path() / kelvora::kSettingsCopyFileName;
    Check(kelvora::SaveSettingsCopy(SettingsFile().parent_path(), record).ok());
    std::FILE* in = std::fopen(copy.c_str(), "rb");
    Check(in != nullptr);
    unsigned char back[kelvora::kSettingsRecordBytes];
    Check(std::fread(back, 1, sizeof back, in) == sizeof back);
    std::fclose(in);
    for (std::size_t i = 0; i < sizeof back; ++i) {
      Check(back[i] == data[i]);
    }
  }
  return 0;
}

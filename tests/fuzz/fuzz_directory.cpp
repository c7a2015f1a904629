// libFuzzer target: the directory reader and the record formatter on any
// bytes. The first input byte gives the call's length; the call is taken from
// the bytes after it and the rest becomes the directory file.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz_scratch.h"
#include "stations/directory.h"
#include "stations/locator.h"

namespace {

using kelvora::fuzz::Check;

const std::filesystem::path& DirectoryFile() {
  static const std::filesystem::path path =
      kelvora::fuzz::ScratchFile("kelvora_fuzz_dir", kelvora::kDirectoryFileName);
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::size_t callLength = std::min<std::size_t>(data[0] % 40, size - 1);
  const std::string_view call(reinterpret_cast<const char*>(data + 1), callLength);
  const std::string_view content(reinterpret_cast<const char*>(data + 1 + callLength),
                                 size - 1 - callLength);

  std::FILE* f = std::fopen(DirectoryFile().c_str(), "wb");
  Check(f != nullptr);
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);

  using kelvora::DirectoryMode;
  using kelvora::DirectoryStatus;
  const kelvora::DirectoryResult record = kelvora::ReadDirectory(DirectoryFile(), call, DirectoryMode::Record);
  const kelvora::DirectoryResult display =
      kelvora::ReadDirectory(DirectoryFile(), call, DirectoryMode::Display);
  Check(record.status == display.status);
  if (record.status == DirectoryStatus::Found) {
    Check(std::string_view(record.text).starts_with(call));
    Check(record.text.size() <= 277);
    Check(display.text == kelvora::FormatDirectoryRecord(record.text, call));
    const std::string columns = kelvora::DirectoryLocatorColumns(record.text);
    Check(columns.size() == 6);
    if (kelvora::IsAcceptedDirectoryLocator(columns)) {
      Check(kelvora::LocatorToPosition(columns).ok());
    }
  } else {
    Check(record.text == display.text);
  }
  // The formatter alone on the raw bytes as one line.
  const std::string text = kelvora::FormatDirectoryRecord(content, call);
  std::size_t lines = 0;
  for (char c : text) {
    lines += c == '\n';
  }
  Check(lines >= 13);
  // The locator rules on the same bytes.
  kelvora::IsAcceptedStation2Grid(kelvora::CompleteLocator(call));
  if (const auto p = kelvora::LocatorToPosition(call)) {
    kelvora::PositionToLocator(kelvora::RoundToHundredths(p->latitude),
                               kelvora::RoundToHundredths(p->longitude));
  }
  return 0;
}

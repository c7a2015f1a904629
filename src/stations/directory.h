// The EME directory: a fixed-column text file searched by call-sign prefix.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace kelvora {

inline constexpr const char* kDirectoryFileName = "EME.DTA";
inline constexpr const char* kDirectoryFileNotFound = "EME.DTA File Not Found";
inline constexpr const char* kDirectoryNoCall = "No Call Entered";
inline constexpr const char* kDirectoryNotFound = "Not Found";

enum class DirectoryMode { Record, Display };
enum class DirectoryStatus { Found, FileNotFound, NoCallEntered, NotFound };

struct DirectoryResult {
  DirectoryStatus status;
  std::string text;  // the record line, the display text, or the message text
};

// Searches `file` for the first line that starts with `call`. Anything that
// is not a regular file (a folder, a FIFO, a device) counts as not found, so
// the search never waits for a writer. In Display mode the fields are
// decoded for the screen (see DecodeDirectoryText); Record mode returns the
// line's bytes as they are.
DirectoryResult ReadDirectory(const std::filesystem::path& file, std::string_view call,
                              DirectoryMode mode);

// Text of a directory field as UTF-8: kept as it is when it is valid UTF-8,
// otherwise read as Windows-1252 (a superset of Latin-1, the usual encoding
// of such files), byte by byte.
std::string DecodeDirectoryText(std::string_view bytes);

// The thirteen-line display text of a record for the typed call, each field
// decoded with DecodeDirectoryText.
std::string FormatDirectoryRecord(std::string_view line, std::string_view call);

// Columns 181-186 of a record line (blanks where the line is shorter).
std::string DirectoryLocatorColumns(std::string_view line);

// Every line before the end-of-directory line (a backslash first), line breaks
// removed, blank lines skipped. A failure (kNotFound) naming the file when it
// is not a regular file or cannot be read.
Result<std::vector<std::string>> ReadDirectoryRecords(const std::filesystem::path& file);

}  // namespace kelvora

// The EME directory: a fixed-column text file searched by call-sign prefix.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

DirectoryResult ReadDirectory(const std::filesystem::path& file, std::string_view call,
                              DirectoryMode mode);

// The thirteen-line display text of a record for the typed call.
std::string FormatDirectoryRecord(std::string_view line, std::string_view call);

// Columns 181-186 of a record line (blanks where the line is shorter).
std::string DirectoryLocatorColumns(std::string_view line);

// Every line before the end-of-directory line (a backslash first), line breaks
// removed, blank lines skipped. Empty when the file cannot be opened or read.
std::optional<std::vector<std::string>> ReadDirectoryRecords(const std::filesystem::path& file);

}  // namespace kelvora

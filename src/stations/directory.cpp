#include "stations/directory.h"

#include <cstdio>
#include <memory>

namespace kelvora {

namespace {

// The reader takes at most this many characters of a line at a time; the
// rest of a longer line comes back as a line of its own.
constexpr std::size_t kDirectoryLineLimit = 277;

// Fixed columns of a record (0-based, inclusive). The call sign in columns
// 0-10 is matched as a prefix of the whole line and never cut out.
struct Columns {
  std::size_t first;
  std::size_t last;
};
constexpr Columns kNameColumns{11, 30};
constexpr Columns kPhoneColumns{31, 44};
constexpr Columns kAddress1Columns{45, 69};
constexpr Columns kAddress2Columns{70, 94};
constexpr Columns kTownColumns{95, 118};
constexpr Columns kStateColumns{120, 121};
constexpr Columns kPostCodeColumns{122, 131};
constexpr Columns kCountryColumns{132, 145};
constexpr Columns kLatitudeColumns{166, 172};
constexpr Columns kLongitudeColumns{173, 180};
constexpr Columns kLocatorColumns{181, 186};
constexpr Columns kAntennaColumns{197, 208};
constexpr Columns kRemarkColumns{209, 248};

// The record without its line break.
std::string_view RecordBody(std::string_view line) {
  const std::size_t end = line.find('\n');
  return end == std::string_view::npos ? line : line.substr(0, end);
}

// Columns of a record; columns past the end of a short line read as blanks.
std::string Cut(std::string_view line, Columns c) {
  const std::string_view body = RecordBody(line);
  std::string out(c.last - c.first + 1, ' ');
  for (std::size_t i = c.first; i <= c.last && i < body.size(); ++i) {
    out[i - c.first] = body[i];
  }
  return out;
}

std::string TrimTrailingSpaces(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string Field(std::string_view line, Columns c) { return TrimTrailingSpaces(Cut(line, c)); }

// The town field: up to the first run of three blanks inside its columns;
// a field that starts with a letter gets a comma at the cut (or after its
// last column when there is no cut).
std::string TownLine(std::string_view line) {
  const std::string town = Cut(line, kTownColumns);
  const std::size_t cut = town.find("   ");
  const bool startsWithBlank = town.front() == ' ';
  if (cut != std::string::npos) {
    std::string text = town.substr(0, cut);
    if (!startsWithBlank) {
      text += ',';
    }
    return text;
  }
  return startsWithBlank ? TrimTrailingSpaces(town) : town + ',';
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads one line the way the directory expects it: a carriage return before
// the line feed is dropped, the line feed stays, and a line longer than the
// limit is handed out in pieces. Returns false at the end of the file.
bool ReadLine(std::FILE* f, std::string& line) {
  line.clear();
  while (line.size() < kDirectoryLineLimit) {
    int c = std::fgetc(f);
    if (c == EOF) {
      break;
    }
    if (c == '\r') {
      const int next = std::fgetc(f);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, f);
      }
    }
    line += static_cast<char>(c);
    if (c == '\n') {
      break;
    }
  }
  return !line.empty();
}

DirectoryResult Message(DirectoryStatus status, const char* text) { return {status, text}; }

}  // namespace

DirectoryResult ReadDirectory(const std::filesystem::path& file, std::string_view call,
                              DirectoryMode mode) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(file.c_str(), "rb"));
  if (!f) {
    return Message(DirectoryStatus::FileNotFound, kDirectoryFileNotFound);
  }
  if (call.empty()) {
    return Message(DirectoryStatus::NoCallEntered, kDirectoryNoCall);
  }
  std::string line;
  while (ReadLine(f.get(), line)) {
    if (std::string_view(line).starts_with(call)) {
      if (mode == DirectoryMode::Record) {
        return {DirectoryStatus::Found, line};
      }
      return {DirectoryStatus::Found, FormatDirectoryRecord(line, call)};
    }
    if (line.front() == '\\' || call.front() == '\\') {
      break;  // the end-of-directory line, or a call that can never match
    }
  }
  // A file that opens but cannot be read (a folder of that name, an I/O
  // error) counts as unreadable, not as a search that found nothing.
  if (std::ferror(f.get()) != 0) {
    return Message(DirectoryStatus::FileNotFound, kDirectoryFileNotFound);
  }
  return Message(DirectoryStatus::NotFound, kDirectoryNotFound);
}

std::string FormatDirectoryRecord(std::string_view line, std::string_view call) {
  std::string out;
  out.reserve(320);
  out.append(call).append(", ").append(Field(line, kNameColumns)).append("\n");
  out.append(Field(line, kAddress1Columns)).append("\n");
  out.append(Field(line, kAddress2Columns)).append("\n");
  out.append(TownLine(line)).append("\n");
  out.append(Field(line, kStateColumns)).append("\n");
  out.append(Field(line, kPostCodeColumns)).append("\n");
  out.append(Field(line, kCountryColumns)).append("\n");
  out.append("Antenna: ").append(Field(line, kAntennaColumns)).append("\n");
  out.append(Field(line, kRemarkColumns)).append("\n");
  out.append("Phone: ").append(Field(line, kPhoneColumns)).append("\n");
  out.append("Lat: ").append(Field(line, kLatitudeColumns)).append("\n");
  out.append("Lon: ").append(Field(line, kLongitudeColumns)).append("\n");
  out.append("Grid: ").append(Field(line, kLocatorColumns)).append("\n");
  return out;
}

std::string DirectoryLocatorColumns(std::string_view line) { return Cut(line, kLocatorColumns); }

std::optional<std::vector<std::string>> ReadDirectoryRecords(const std::filesystem::path& file) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(file.c_str(), "rb"));
  if (!f) return std::nullopt;
  std::vector<std::string> records;
  std::string line;
  while (ReadLine(f.get(), line)) {
    if (line.front() == '\\') break;
    std::string body(RecordBody(line));
    if (body.find_first_not_of(' ') != std::string::npos) records.push_back(std::move(body));
  }
  if (std::ferror(f.get()) != 0) return std::nullopt;
  return records;
}

}  // namespace kelvora

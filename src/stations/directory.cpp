#include "stations/directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
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

std::string Field(std::string_view line, Columns c) {
  return DecodeDirectoryText(TrimTrailingSpaces(Cut(line, c)));
}

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
    return DecodeDirectoryText(text);
  }
  return DecodeDirectoryText(startsWithBlank ? TrimTrailingSpaces(town) : town + ',');
}

// Length of the valid UTF-8 sequence at the start of `bytes`, 0 when there
// is none (overlong forms, surrogates and code points past U+10FFFF are not
// valid).
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

// Code points of Windows-1252's bytes 0x80-0x9F; the five bytes it leaves
// unassigned map to the control characters of the same number, as web
// browsers decode them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Closes a file descriptor at the end of a search.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens `file` for reading only when it is a regular file. A FIFO or device
// is never opened for a blocking read: O_NONBLOCK lets the open of a FIFO
// return at once, and the check on the open descriptor covers a file that
// was replaced between the two looks.
int OpenRegularFile(const std::filesystem::path& file, std::uint64_t& size) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return fd;
}

// Hands out the lines of a file the way the directory expects them: a
// carriage return before a line feed is dropped, the line feed stays, and a
// line longer than the limit comes out in pieces. The file is read in large
// blocks and a line is a view into the block, so a search through a big
// file costs little more than reading it.
class LineReader {
 public:
  LineReader(int fd, std::uint64_t fileSize)
      : fd_(fd),
        capacity_(static_cast<std::size_t>(
            std::clamp<std::uint64_t>(fileSize + 1, kMinimumBlock, kBlockBytes))),
        buffer_(new char[capacity_]) {}

  // The next line, valid until the following call; false at the end of the
  // file or after a read error.
  bool Next(std::string_view& line) {
    Fill();
    if (begin_ == end_) return false;
    const char* start = buffer_.get() + begin_;
    const std::size_t span = std::min(end_ - begin_, kDirectoryLineLimit);
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', span));
    const std::size_t length = feed != nullptr ? static_cast<std::size_t>(feed - start) + 1 : span;
    const auto* ret = static_cast<const char*>(std::memchr(start, '\r', length));
    if (ret == nullptr) {
      line = std::string_view(start, length);
      begin_ += length;
      return true;
    }
    if (ret + 1 == feed) {
      // The usual DOS line end: the pair becomes the line feed in place.
      buffer_[begin_ + length - 2] = '\n';
      line = std::string_view(start, length - 1);
      begin_ += length;
      return true;
    }
    // A carriage return inside: rebuild the line character by character. A
    // CR LF pair counts as one character, so this may take one byte more
    // than the limit; Fill keeps that byte in the block.
    slow_.clear();
    while (slow_.size() < kDirectoryLineLimit && begin_ < end_) {
      char c = buffer_[begin_++];
      if (c == '\r' && begin_ < end_ && buffer_[begin_] == '\n') {
        c = '\n';
        ++begin_;
      }
      slow_ += c;
      if (c == '\n') break;
    }
    line = slow_;
    return true;
  }

  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
  static constexpr std::size_t kMinimumBlock = kDirectoryLineLimit + 2;

  // Keeps at least one line's worth plus one byte ahead of the reading
  // position, unless the file ends first.
  void Fill() {
    if (eof_ || end_ - begin_ > kDirectoryLineLimit) return;
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < capacity_) {
      const ssize_t got = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        failed_ = got < 0;
        eof_ = true;
        return;
      }
      end_ += static_cast<std::size_t>(got);
    }
  }

  int fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  std::string slow_;
};

DirectoryResult Message(DirectoryStatus status, const char* text) { return {status, text}; }

}  // namespace

DirectoryResult ReadDirectory(const std::filesystem::path& file, std::string_view call,
                              DirectoryMode mode) {
  std::uint64_t size = 0;
  const FileHandle fd(OpenRegularFile(file, size));
  if (fd.get() < 0) {
    return Message(DirectoryStatus::FileNotFound, kDirectoryFileNotFound);
  }
  if (call.empty()) {
    return Message(DirectoryStatus::NoCallEntered, kDirectoryNoCall);
  }
  LineReader reader(fd.get(), size);
  std::string_view line;
  while (reader.Next(line)) {
    if (line.starts_with(call)) {
      if (mode == DirectoryMode::Record) {
        return {DirectoryStatus::Found, std::string(line)};
      }
      return {DirectoryStatus::Found, FormatDirectoryRecord(line, call)};
    }
    if (line.front() == '\\' || call.front() == '\\') {
      break;  // the end-of-directory line, or a call that can never match
    }
  }
  // A file that opens but cannot be read (an I/O error) counts as
  // unreadable, not as a search that found nothing.
  if (reader.Failed()) {
    return Message(DirectoryStatus::FileNotFound, kDirectoryFileNotFound);
  }
  return Message(DirectoryStatus::NotFound, kDirectoryNotFound);
}

std::string DecodeDirectoryText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else if (byte < 0xA0) {
      AppendUtf8(out, kWindows1252High[byte - 0x80]);
    } else {
      AppendUtf8(out, byte);  // 0xA0-0xFF are the Latin-1 code points
    }
  }
  return out;
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

Result<std::vector<std::string>> ReadDirectoryRecords(const std::filesystem::path& file) {
  const Failure unreadable =
      Fail("cannot read the EME directory " + file.string(), FailureKind::kNotFound);
  std::uint64_t size = 0;
  const FileHandle fd(OpenRegularFile(file, size));
  if (fd.get() < 0) return unreadable;
  LineReader reader(fd.get(), size);
  std::vector<std::string> records;
  std::string_view line;
  while (reader.Next(line)) {
    if (line.front() == '\\') break;
    const std::string_view body = RecordBody(line);
    if (body.find_first_not_of(' ') != std::string_view::npos) records.emplace_back(body);
  }
  if (reader.Failed()) return unreadable;
  return records;
}

}  // namespace kelvora

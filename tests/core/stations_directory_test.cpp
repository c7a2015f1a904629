// The EME directory reader and the display text of a record.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>
#include <string>
#include <unistd.h>

#include "stations/directory.h"
#include "stations/locator.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;

// A record line: each text placed at its 0-based column, blanks between,
// padded to `width` characters.
std::string Record(const std::map<int, std::string>& fields, std::size_t width = 249) {
  std::string line(width, ' ');
  for (const auto& [column, text] : fields) {
    if (line.size() < column + text.size()) {
      line.resize(column + text.size(), ' ');
    }
    line.replace(static_cast<std::size_t>(column), text.size(), text);
  }
  return line;
}

// The sample record of the display example.
std::string SampleRecord() {
  return Record({{0, "XX9ABC"},
                 {11, "SAMPLE OPERATOR"},
                 {31, "555-0100"},
                 {45, "1 EXAMPLE ROAD"},
                 {95, "SOMETOWN"},
                 {120, "ZZ"},
                 {122, "00000"},
                 {132, "NOWHERE"},
                 {166, "32.90N"},
                 {173, "96.80W"},
                 {181, "EM12OV"},
                 {197, "4X16 YAGI"},
                 {209, "ONE KW"}});
}

class DirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvora_dir_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    file_ = folder_ / kDirectoryFileName;
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& content) {
    std::ofstream out(file_, std::ios::binary);
    out << content;
  }

  fs::path folder_;
  fs::path file_;
};

TEST_F(DirectoryTest, DisplaysTheExampleRecord) {
  Write(SampleRecord() + "\n\\\n");
  const DirectoryResult r = ReadDirectory(file_, "XX9ABC", DirectoryMode::Display);
  EXPECT_EQ(r.status, DirectoryStatus::Found);
  EXPECT_EQ(r.text,
            "XX9ABC, SAMPLE OPERATOR\n"
            "1 EXAMPLE ROAD\n"
            "\n"
            "SOMETOWN,\n"
            "ZZ\n"
            "00000\n"
            "NOWHERE\n"
            "Antenna: 4X16 YAGI\n"
            "ONE KW\n"
            "Phone: 555-0100\n"
            "Lat: 32.90N\n"
            "Lon: 96.80W\n"
            "Grid: EM12OV\n");
}

TEST_F(DirectoryTest, RecordModeReturnsTheLineWithItsBreak) {
  Write(SampleRecord() + "\r\n\\\r\n");
  const DirectoryResult r = ReadDirectory(file_, "XX9ABC", DirectoryMode::Record);
  EXPECT_EQ(r.status, DirectoryStatus::Found);
  EXPECT_EQ(r.text, SampleRecord() + "\n");  // the carriage return is dropped
  EXPECT_EQ(DirectoryLocatorColumns(r.text), "EM12OV");
}

TEST_F(DirectoryTest, MessagesForMissingFileEmptyCallAndNoMatch) {
  struct Row {
    const char* name;
    bool fileExists;
    const char* call;
    DirectoryStatus status;
    const char* text;
  } rows[] = {
      {"missing_file", false, "XX9ABC", DirectoryStatus::FileNotFound, "EME.DTA File Not Found"},
      {"missing_file_before_empty_call", false, "", DirectoryStatus::FileNotFound,
       "EME.DTA File Not Found"},
      {"empty_call", true, "", DirectoryStatus::NoCallEntered, "No Call Entered"},
      {"unknown_call", true, "QQ1ZZZ", DirectoryStatus::NotFound, "Not Found"},
      {"case_matters", true, "xx9abc", DirectoryStatus::NotFound, "Not Found"},
      {"record_after_backslash_never_read", true, "XX9LATE", DirectoryStatus::NotFound,
       "Not Found"},
  };
  for (const Row& r : rows) {
    fs::remove(file_);
    if (r.fileExists) {
      Write(SampleRecord() + "\n\\\n" + Record({{0, "XX9LATE"}}) + "\n");
    }
    for (DirectoryMode mode : {DirectoryMode::Record, DirectoryMode::Display}) {
      const DirectoryResult got = ReadDirectory(file_, r.call, mode);
      EXPECT_EQ(got.status, r.status) << r.name;
      EXPECT_EQ(got.text, r.text) << r.name;
    }
  }
}

// Only a regular file is read: a FIFO would wait for a writer for ever and
// a device may never end, so each counts as a missing file, before the call
// is looked at.
TEST_F(DirectoryTest, AnythingButARegularFileIsNotFound) {
  struct Row {
    const char* name;
    std::function<void(const fs::path&)> make;
    DirectoryStatus status;
  } rows[] = {
      {"folder", [](const fs::path& p) { fs::create_directory(p); },
       DirectoryStatus::FileNotFound},
      {"fifo", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); },
       DirectoryStatus::FileNotFound},
      {"link_to_endless_device",
       [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
       DirectoryStatus::FileNotFound},
      {"link_to_regular_file",
       [this](const fs::path& p) {
         const fs::path target = folder_ / "real.dta";
         std::ofstream(target, std::ios::binary) << SampleRecord() << "\n";
         fs::create_symlink(target, p);
       },
       DirectoryStatus::Found},
  };
  for (const Row& r : rows) {
    fs::remove_all(file_);
    r.make(file_);
    // Run the search aside, so that a reader that blocks fails the test
    // instead of hanging it: a writer then ends the wait.
    auto search = std::async(std::launch::async, [this] {
      return ReadDirectory(file_, "XX9ABC", DirectoryMode::Display).status;
    });
    if (search.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
      ADD_FAILURE() << r.name << ": the search waits";
      const int unblock = open(file_.c_str(), O_WRONLY | O_NONBLOCK);
      if (unblock >= 0) close(unblock);
    }
    EXPECT_EQ(search.get(), r.status) << r.name;
    if (r.status == DirectoryStatus::FileNotFound) {
      EXPECT_EQ(ReadDirectory(file_, "", DirectoryMode::Display).text, "EME.DTA File Not Found")
          << r.name;
    }
  }
}

// The lines of `content` as a reader taking one character at a time hands
// them out: CR LF becomes LF, a lone CR stays, pieces of at most 277.
std::vector<std::string> ReferenceLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < content.size()) {
    std::string line;
    while (line.size() < 277 && i < content.size()) {
      char c = content[i++];
      if (c == '\r' && i < content.size() && content[i] == '\n') {
        c = '\n';
        ++i;
      }
      line += c;
      if (c == '\n') break;
    }
    lines.push_back(line);
  }
  return lines;
}

// Random files of several blocks, with DOS and Unix line ends, lone carriage
// returns and overlong lines, searched for calls at every place: the block
// reader finds what a character-by-character reader finds.
TEST_F(DirectoryTest, BlockReaderFindsWhatACharacterReaderFinds) {
  std::mt19937 random(42);
  const char* ends[] = {"\n", "\r\n", "\r", "\r\r\n"};
  for (int round = 0; round < 3; ++round) {
    std::string content;
    int number = 0;
    while (content.size() < 700000) {
      const std::size_t width = std::uniform_int_distribution<std::size_t>(0, 600)(random);
      std::string line = "Q" + std::to_string(number++) + "X";
      line.resize(std::max(line.size(), width), 'a');
      content += line + ends[random() % 4];
    }
    Write(content);
    const std::vector<std::string> lines = ReferenceLines(content);
    for (int probe = 0; probe < 40; ++probe) {
      const std::string call =
          "Q" + std::to_string(std::uniform_int_distribution<int>(0, number + 5)(random)) + "X";
      const auto expected = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.starts_with(call);
      });
      const DirectoryResult got = ReadDirectory(file_, call, DirectoryMode::Record);
      if (expected == lines.end()) {
        EXPECT_EQ(got.status, DirectoryStatus::NotFound) << call;
      } else {
        EXPECT_EQ(got.text, *expected) << call;
      }
    }
  }
}

TEST(DirectoryText, InvalidUtf8IsReadAsWindows1252) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string text;
  } rows[] = {
      {"ascii_unchanged", "QA1AA SMITH", "QA1AA SMITH"},
      {"latin1_name", "J\xD6RG M\xDCLLER", "J\u00D6RG M\u00DCLLER"},
      {"valid_utf8_unchanged", "J\u00D6RG \u20AC", "J\u00D6RG \u20AC"},
      {"windows_1252_specials", "\x80 \x8A \x9C \x9F", "\u20AC \u0160 \u0153 \u0178"},
      {"unassigned_byte_is_its_control", "A\x81", "A\u0081"},
      {"overlong_slash_is_two_letters", "\xC0\xAF", "\u00C0\u00AF"},
      {"surrogate_is_not_utf8", "\xED\xA0\x80", "\u00ED\u00A0\u20AC"},
      {"cut_sequence_at_end", "ABC\xC3", "ABC\u00C3"},
      {"past_u10ffff", "\xF4\x90\x80\x80", "\u00F4\u0090\u20AC\u20AC"},
  };
  for (const Row& r : rows) EXPECT_EQ(DecodeDirectoryText(r.bytes), r.text) << r.name;
}

TEST_F(DirectoryTest, Latin1RecordDisplaysItsLetters) {
  const std::string line =
      Record({{0, "QD4XYZ"}, {11, "J\xD6RG M\xDCLLER"}, {95, "K\xD6LN"}, {132, "DEUTSCHLAND"}});
  Write(line + "\n\\\n");
  const DirectoryResult shown = ReadDirectory(file_, "QD4XYZ", DirectoryMode::Display);
  EXPECT_EQ(shown.text.substr(0, shown.text.find('\n')), "QD4XYZ, J\u00D6RG M\u00DCLLER");
  EXPECT_NE(shown.text.find("K\u00D6LN,\n"), std::string::npos);
  // The record itself keeps its bytes: its columns stay where they were.
  EXPECT_EQ(ReadDirectory(file_, "QD4XYZ", DirectoryMode::Record).text, line + "\n");
}

TEST_F(DirectoryTest, PrefixFindsTheEarlierOfTwoRecordsAndShowsTheTypedCall) {
  Write(Record({{0, "QX1AA"}, {11, "FIRST"}}) + "\n" + Record({{0, "QX1AB"}, {11, "SECOND"}}) +
        "\n\\\n");
  const DirectoryResult r = ReadDirectory(file_, "QX1A", DirectoryMode::Display);
  EXPECT_EQ(r.status, DirectoryStatus::Found);
  EXPECT_EQ(r.text.substr(0, r.text.find('\n')), "QX1A, FIRST");
  EXPECT_EQ(ReadDirectory(file_, "QX1AB", DirectoryMode::Record).text.substr(11, 6), "SECOND");
}

TEST_F(DirectoryTest, BackslashRules) {
  // A first line that starts with a backslash ends every ordinary search.
  Write("\\ end of directory\n" + SampleRecord() + "\n");
  EXPECT_EQ(ReadDirectory(file_, "XX9ABC", DirectoryMode::Record).status,
            DirectoryStatus::NotFound);
  // A call that itself starts with a backslash matches such a line...
  EXPECT_EQ(ReadDirectory(file_, "\\", DirectoryMode::Record).text, "\\ end of directory\n");
  // ...and stops at the first line that does not start with it.
  Write(SampleRecord() + "\n\\X\n");
  EXPECT_EQ(ReadDirectory(file_, "\\X", DirectoryMode::Record).status,
            DirectoryStatus::NotFound);
  // Without a backslash line the end of the file ends the search.
  Write(SampleRecord() + "\n");
  EXPECT_EQ(ReadDirectory(file_, "QX9", DirectoryMode::Record).status,
            DirectoryStatus::NotFound);
}

TEST_F(DirectoryTest, LongLinesComeBackInPiecesOfAtMost277) {
  std::string first = Record({{0, "QA1AA"}}, 277);
  Write(first + "QB2BB REST OF THE LINE\nQC3CC\n\\\n");
  const DirectoryResult whole = ReadDirectory(file_, "QA1AA", DirectoryMode::Record);
  EXPECT_EQ(whole.text, first);  // cut at the limit, no line break
  const DirectoryResult rest = ReadDirectory(file_, "QB2BB", DirectoryMode::Record);
  EXPECT_EQ(rest.status, DirectoryStatus::Found);
  EXPECT_EQ(rest.text, "QB2BB REST OF THE LINE\n");
  // A line of exactly 277 characters leaves its line feed as an empty line.
  Write(first + "\nQC3CC\n\\\n");
  EXPECT_EQ(ReadDirectory(file_, "QC3CC", DirectoryMode::Record).text, "QC3CC\n");
}

TEST_F(DirectoryTest, LongCallIsMatchedAsTyped) {
  const std::string call = "QZ9VERYLONGCALLSIGNBEYONDNINETEEN";
  Write(Record({{0, call + "X"}}, 300) + "\n\\\n");
  const DirectoryResult r = ReadDirectory(file_, call, DirectoryMode::Display);
  EXPECT_EQ(r.status, DirectoryStatus::Found);
  EXPECT_EQ(r.text.substr(0, call.size() + 2), call + ", ");
  EXPECT_EQ(ReadDirectory(file_, call + "Y", DirectoryMode::Record).status,
            DirectoryStatus::NotFound);
}

// Line 4 of the display text: cut at the first run of three blanks, with a
// comma only when the field starts with a character.
TEST(DirectoryTownLine, CommaRule) {
  struct Row {
    const char* name;
    std::string town;  // placed at column 95
    const char* line4;
  } rows[] = {
      {"cut_at_three_blanks", "SOMETOWN", "SOMETOWN,"},
      {"two_blanks_are_not_a_cut", "NEW  TOWN  CITY", "NEW  TOWN  CITY,"},
      {"blank_column_95_no_comma", " SOMETOWN", " SOMETOWN"},
      {"blank_field_is_empty", "", ""},
      {"full_24_characters_comma_after", "ABCDEFGHIJKLMNOPQRSTUVWX", "ABCDEFGHIJKLMNOPQRSTUVWX,"},
      {"run_reaching_past_column_118_is_no_cut", "ABCDEFGHIJKLMNOPQRSTUV", "ABCDEFGHIJKLMNOPQRSTUV  ,"},
      {"column_119_not_read", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQRSTUVWX,"},
  };
  for (const Row& r : rows) {
    const std::string line = Record({{0, "QX1AA"}, {95, r.town}}) + "\n";
    const std::string text = FormatDirectoryRecord(line, "QX1AA");
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
      start = text.find('\n', start) + 1;
    }
    EXPECT_EQ(text.substr(start, text.find('\n', start) - start), r.line4) << r.name;
  }
}

TEST(DirectoryFormat, ShortLineReadsMissingColumnsAsBlanks) {
  const std::string line = Record({{0, "QX1AA"}, {11, "SHORT"}, {45, "ROAD"}}, 60) + "\n";
  const std::string text = FormatDirectoryRecord(line, "QX1AA");
  EXPECT_EQ(text,
            "QX1AA, SHORT\nROAD\n\n\n\n\n\nAntenna: \n\nPhone: \nLat: \nLon: \nGrid: \n");
  EXPECT_EQ(DirectoryLocatorColumns(line), "      ");
  // Cut inside the locator: what is there, blanks for the rest, never the break.
  const std::string cut = Record({{181, "EM1"}}, 184) + "\n";
  EXPECT_EQ(DirectoryLocatorColumns(cut), "EM1   ");
  EXPECT_FALSE(IsAcceptedDirectoryLocator(DirectoryLocatorColumns(cut)));
  EXPECT_EQ(FormatDirectoryRecord("", "Q"), "Q, \n\n\n\n\n\n\nAntenna: \n\nPhone: \nLat: \nLon: \nGrid: \n");
}

TEST(DirectoryFormat, AlwaysThirteenLines) {
  for (std::size_t width : {0u, 1u, 96u, 119u, 180u, 249u, 277u}) {
    const std::string text = FormatDirectoryRecord(std::string(width, 'X'), "QX1");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 13) << width;
  }
}

// The sample directory shipped in resources/: every good record's locator is
// accepted and lies where its latitude and longitude columns say; the damaged
// records are refused.
TEST(SampleDirectory, RecordsAreConsistent) {
  const fs::path file = fs::path(KELVORA_RESOURCE_DIR) / kDirectoryFileName;
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::string line;
  int good = 0;
  int damaged = 0;
  bool ended = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '\\') {
      ended = true;
      break;
    }
    const std::string call = line.substr(0, line.find(' '));
    const DirectoryResult found = ReadDirectory(file, call, DirectoryMode::Record);
    ASSERT_EQ(found.status, DirectoryStatus::Found) << call;
    const std::string columns = DirectoryLocatorColumns(found.text);
    if (call.find("BAD") != std::string::npos) {
      EXPECT_FALSE(IsAcceptedDirectoryLocator(columns)) << call;
      ++damaged;
      continue;
    }
    ++good;
    ASSERT_EQ(line.size(), 249u) << call;
    ASSERT_TRUE(IsAcceptedDirectoryLocator(columns)) << call;
    const double lat = std::atof(line.substr(166, 6).c_str()) * (line[172] == 'S' ? -1 : 1);
    const double lon = std::atof(line.substr(173, 7).c_str()) * (line[180] == 'E' ? -1 : 1);
    EXPECT_EQ(PositionToLocator(lat, lon), columns) << call;
  }
  EXPECT_TRUE(ended);
  EXPECT_GE(good, 25);
  EXPECT_GE(damaged, 2);
}

}  // namespace
}  // namespace kelvora

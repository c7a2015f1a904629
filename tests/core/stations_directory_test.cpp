// The EME directory reader and the display text of a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

TEST_F(DirectoryTest, UnreadableFileIsReportedAsFileNotFound) {
  fs::create_directory(file_);  // opens on Linux, but every read fails
  EXPECT_EQ(ReadDirectory(file_, "XX9ABC", DirectoryMode::Display).text, "EME.DTA File Not Found");
  EXPECT_EQ(ReadDirectory(file_, "", DirectoryMode::Display).text, "No Call Entered");
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

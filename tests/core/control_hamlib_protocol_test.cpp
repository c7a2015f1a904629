// Hamlib line protocol pieces: reports, error meanings, strict numbers, lines, back-off.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "control/hamlib_protocol.h"

namespace kelvora {
namespace {

TEST(HamlibReport, ParsesOnlyWholeReportLines) {
  struct Row {
    const char* name;
    const char* line;
    std::optional<int> code;
  };
  const Row rows[] = {
      {"success", "RPRT 0", 0},
      {"timeout", "RPRT -5", -5},
      {"carriage_return", "RPRT -11\r", -11},
      {"value_line", "123.40", std::nullopt},
      {"missing_code", "RPRT", std::nullopt},
      {"trailing_junk", "RPRT -1x", std::nullopt},
      {"other_word", "REPORT 0", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ParseReport(row.line), row.code);
  }
}

TEST(HamlibReport, ErrorMeaningsFollowHamlibsNumbering) {
  // rig_errcode_e of Hamlib 4.5: the codes the daemons send back negated.
  EXPECT_EQ(HamlibErrorText(-1), "invalid parameter");
  EXPECT_EQ(HamlibErrorText(-5), "communication timed out");
  EXPECT_EQ(HamlibErrorText(-9), "command rejected by the device");
  EXPECT_EQ(HamlibErrorText(-11), "function not available");
  EXPECT_EQ(HamlibErrorText(-17), "argument out of domain");
  EXPECT_EQ(HamlibErrorText(-20), "device not powered on");
  EXPECT_EQ(HamlibErrorText(-99), "unknown Hamlib error -99");
}

TEST(HamlibNumbers, AcceptOnlyOneFiniteNumber) {
  struct Row {
    const char* name;
    const char* line;
    std::optional<double> value;
  };
  const Row rows[] = {
      {"azimuth", "123.40", 123.4},         {"negative", "-5", -5.0},
      {"exponent", "1.4e3", 1400.0},        {"blanks", "  7.5 \r", 7.5},
      {"trailing_text", "12abc", std::nullopt}, {"empty", "", std::nullopt},
      {"not_a_number", "nan", std::nullopt},    {"infinite", "inf", std::nullopt},
      {"word", "Azimuth:", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ParseStrictNumber(row.line), row.value);
  }
}

TEST(HamlibLines, SplitAcrossChunksAndRefuseEndlessLines) {
  LineSplitter splitter;
  splitter.Append("12.5");
  EXPECT_FALSE(splitter.NextLine());
  splitter.Append("0\r\n30.00\nRP");
  EXPECT_EQ(splitter.NextLine(), "12.50");
  EXPECT_EQ(splitter.NextLine(), "30.00");
  EXPECT_FALSE(splitter.NextLine());
  splitter.Append("RT 0\n");
  EXPECT_EQ(splitter.NextLine(), "RPRT 0");
  EXPECT_FALSE(splitter.Overflowed());

  splitter.Append(std::string(LineSplitter::kMaxLineBytes + 1, 'x'));
  EXPECT_TRUE(splitter.Overflowed());
  splitter.Clear();
  EXPECT_FALSE(splitter.Overflowed());
}

TEST(HamlibBackoff, DoublesFromOneSecondUpToHalfAMinute) {
  using std::chrono::milliseconds;
  const long expected[] = {1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
  for (int failures = 1; failures <= 8; ++failures) {
    SCOPED_TRACE(failures);
    EXPECT_EQ(ReconnectDelay(failures), milliseconds(expected[failures - 1]));
  }
  EXPECT_EQ(ReconnectDelay(1000000), milliseconds(30000));
}

}  // namespace
}  // namespace kelvora

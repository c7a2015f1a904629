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
    const auto value = ParseStrictNumber(row.line);
    ASSERT_EQ(value.ok(), row.value.has_value());
    if (value) {
      EXPECT_EQ(*value, *row.value);
    }
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

TEST(HamlibEndpoint, HostAndPortOrTheDefault) {
  struct Row {
    const char* name;
    const char* text;
    std::optional<std::string> host;
    int port;
  };
  const Row rows[] = {
      {"name_and_port", "localhost:4533", "localhost", 4533},
      {"address_alone", "192.168.1.20", "192.168.1.20", 4533},
      {"v6_in_brackets", "[::1]:4600", "::1", 4600},
      {"v6_default_port", "[::1]", "::1", 4533},
      {"bare_v6", "::1", std::nullopt, 0},
      {"port_zero", "host:0", std::nullopt, 0},
      {"port_too_big", "host:65536", std::nullopt, 0},
      {"port_not_number", "host:abc", std::nullopt, 0},
      {"empty_port", "host:", std::nullopt, 0},
      {"empty_host", ":4533", std::nullopt, 0},
      {"nothing", "", std::nullopt, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto parsed = ParseHostPort(row.text, 4533);
    ASSERT_EQ(parsed.ok(), row.host.has_value());
    if (!parsed) continue;
    EXPECT_EQ(parsed->host, *row.host);
    EXPECT_EQ(parsed->port, row.port);
  }
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

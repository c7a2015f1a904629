// The pieces of Hamlib's daemon line protocol (rotctld, rigctld) that need no
// socket: reply lines, "RPRT n" reports and their meanings, strict numbers,
// and the reconnection back-off.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace kelvora {

// The code of a "RPRT n" line (0 is success, negative is Hamlib's error
// number); empty when the line is not a report.
std::optional<int> ParseReport(std::string_view line);

// Hamlib 4.5's meaning of an error code (rig_errcode_e, given negated on the
// wire): "RPRT -5" -> "communication timed out". Unknown codes say so.
std::string HamlibErrorText(int code);

// A whole line that is one finite decimal number, blanks around it allowed
// ("123.40", "-5", "1.4e3"); refused for anything else ("12abc", "nan", "").
Result<double> ParseStrictNumber(std::string_view line);

// Collects bytes as they arrive and hands out complete lines without their
// "\n" or "\r\n". A line longer than kMaxLineBytes is a protocol fault: the
// splitter says so instead of growing without bound.
class LineSplitter {
 public:
  static constexpr std::size_t kMaxLineBytes = 4096;

  void Append(std::string_view bytes);
  std::optional<std::string> NextLine();
  bool Overflowed() const { return overflowed_; }
  void Clear();

 private:
  std::string pending_;
  bool overflowed_ = false;
};

struct HostPort {
  std::string host;
  int port;
};
// "HOST:PORT", "[v6 address]:PORT" or "HOST" alone (defaultPort); the port
// 1-65535. Refused, saying which part is wrong, for anything else.
Result<HostPort> ParseHostPort(std::string_view text, int defaultPort);

// Wait before the next connection attempt after `failures` failed attempts
// in a row (1 or more): 1, 2, 4, 8, 16 s, then 30 s from there on.
std::chrono::milliseconds ReconnectDelay(int failures);

}  // namespace kelvora

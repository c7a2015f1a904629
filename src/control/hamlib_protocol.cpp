#include "control/hamlib_protocol.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace kelvora {
namespace {

constexpr std::chrono::milliseconds kFirstReconnectDelay{1000};
constexpr std::chrono::milliseconds kLongestReconnectDelay{30000};

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<int> ParseReport(std::string_view line) {
  line = Trim(line);
  constexpr std::string_view kTag = "RPRT";
  if (line.substr(0, kTag.size()) != kTag) return std::nullopt;
  const std::string_view rest = Trim(line.substr(kTag.size()));
  int code = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
  if (ec != std::errc{} || end != rest.data() + rest.size() || rest.empty()) return std::nullopt;
  return code;
}

std::string HamlibErrorText(int code) {
  // rig_errcode_e of Hamlib 4.5 (hamlib/rig.h), in order from RIG_OK.
  static constexpr std::array<const char*, 21> kMeanings = {
      "no error",
      "invalid parameter",
      "invalid configuration",
      "memory shortage",
      "function not implemented",
      "communication timed out",
      "input/output error",
      "internal Hamlib error",
      "protocol error",
      "command rejected by the device",
      "command performed, but argument truncated",
      "function not available",
      "VFO not targetable",
      "error talking on the bus",
      "collision on the bus",
      "invalid pointer parameter",
      "invalid VFO",
      "argument out of domain",
      "function deprecated",
      "security error",
      "device not powered on",
  };
  const long magnitude = code < 0 ? -static_cast<long>(code) : code;
  if (magnitude < static_cast<long>(kMeanings.size())) return kMeanings[magnitude];
  return "unknown Hamlib error " + std::to_string(code);
}

Result<double> ParseStrictNumber(std::string_view line) {
  line = Trim(line);
  double value = 0;
  const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (line.empty() || ec != std::errc{} || end != line.data() + line.size() ||
      !std::isfinite(value)) {
    return Fail("\"" + std::string(line) + "\" is not one finite number");
  }
  return value;
}

void LineSplitter::Append(std::string_view bytes) {
  pending_.append(bytes);
  const auto newline = pending_.find('\n');
  const std::size_t open = newline == std::string::npos ? pending_.size() : newline;
  if (open > kMaxLineBytes) overflowed_ = true;
}

std::optional<std::string> LineSplitter::NextLine() {
  const auto newline = pending_.find('\n');
  if (newline == std::string::npos) return std::nullopt;
  std::string line = pending_.substr(0, newline);
  pending_.erase(0, newline + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void LineSplitter::Clear() {
  pending_.clear();
  overflowed_ = false;
}

Result<HostPort> ParseHostPort(std::string_view text, int defaultPort) {
  const auto notHostPort = [text] {
    return Fail("'" + std::string(text) + "' is not HOST:PORT, [v6 address]:PORT or HOST");
  };
  std::string_view host = text;
  std::string_view port;
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string_view::npos) return notHostPort();
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return notHostPort();
      port = rest.substr(1);
      if (port.empty()) return notHostPort();
    }
  } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
    if (text.find(':') != colon) return notHostPort();  // a bare v6 address needs brackets
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (port.empty()) return notHostPort();
  }
  if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) return notHostPort();
  int number = defaultPort;
  if (!port.empty()) {
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (ec != std::errc{} || end != port.data() + port.size()) return notHostPort();
  }
  if (number < 1 || number > 65535) {
    return Fail("port " + std::to_string(number) + " in '" + std::string(text) +
                "' is outside 1-65535");
  }
  return HostPort{std::string(host), number};
}

std::chrono::milliseconds ReconnectDelay(int failures) {
  if (failures < 1) return kFirstReconnectDelay;
  // Doubling stops well before it could overflow: 2^5 s already exceeds the cap.
  if (failures > 6) return kLongestReconnectDelay;
  const auto doubled = kFirstReconnectDelay * (1 << (failures - 1));
  return doubled < kLongestReconnectDelay ? doubled : kLongestReconnectDelay;
}

}  // namespace kelvora

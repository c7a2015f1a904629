// WSJT-X's UDP messages: a magic number, a schema number, a message type and
// the fields, big-endian as Qt's QDataStream writes them. WSJT-X publishes a
// Heartbeat, a Status whenever its state changes, and a Close when it quits;
// with "Accept UDP requests" on it takes requests, among them Configure,
// which sets the DX call and grid (and mode, T/R period, ...; an empty text
// or an unset number means "no change").
//
// Decoding is strict about the datagram it is given: it never reads past
// it, never allocates more than its size, and refuses a wrong magic, an
// unknown schema or a field cut short with a reason. Fields a newer WSJT-X
// appends after the ones read here are ignored, as its own readers do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/result.h"

namespace kelvora::wsjtx {

inline constexpr std::uint32_t kMagic = 0xadbccbda;
// Schema 1 used Qt 5.0's stream format, 2 Qt 5.2's and 3 Qt 5.4's. They
// differ only in how date-times are written; WSJT-X 2.6.1 speaks 2 until a
// server answers with 3.
inline constexpr std::uint32_t kLowestSchema = 1;
inline constexpr std::uint32_t kHighestSchema = 3;
inline constexpr std::uint32_t kDefaultSchema = 2;
// Written for an unset quint32 (T/R period, tolerance, Rx DF) and for a null
// string's length.
inline constexpr std::uint32_t kUnset = 0xffffffff;
inline constexpr int kDefaultPort = 2237;

enum class MessageType : std::uint32_t {
  Heartbeat = 0,
  Status = 1,
  Decode = 2,
  Clear = 3,
  Reply = 4,
  QsoLogged = 5,
  Close = 6,
  Replay = 7,
  HaltTx = 8,
  FreeText = 9,
  WsprDecode = 10,
  Location = 11,
  LoggedAdif = 12,
  HighlightCallsign = 13,
  SwitchConfiguration = 14,
  Configure = 15,
};

// A utf8 field: empty optional for the null marker, which WSJT-X writes for
// a field never filled in (an empty field is a zero length).
using Utf8 = std::optional<std::string>;

// The text of a field, null read as empty.
inline const std::string& TextOf(const Utf8& field) {
  static const std::string kEmpty;
  return field ? *field : kEmpty;
}

struct Heartbeat {
  std::string id;
  std::uint32_t maximumSchema = kHighestSchema;
  Utf8 version;
  Utf8 revision;
};

struct Status {
  std::string id;
  std::uint64_t dialHz = 0;
  Utf8 mode;
  Utf8 dxCall;
  Utf8 report;
  Utf8 txMode;
  bool txEnabled = false;
  bool transmitting = false;
  bool decoding = false;
  std::int32_t rxDfHz = 0;
  std::int32_t txDfHz = 0;
  Utf8 deCall;
  Utf8 deGrid;
  Utf8 dxGrid;
  bool txWatchdog = false;
  Utf8 subMode;
  bool fastMode = false;
  std::uint8_t specialOperation = 0;
  // The fields below came later: a datagram of an older WSJT-X may end
  // before any of them, which leaves them unset.
  std::uint32_t frequencyToleranceHz = kUnset;
  std::uint32_t trPeriodSeconds = kUnset;  // unset in modes whose period is fixed (FT8)
  Utf8 configurationName;
  Utf8 txMessage;
};

struct Close {
  std::string id;
};

struct Configure {
  std::string id;  // the instance addressed
  Utf8 mode;       // empty or null: no change, for every text below
  std::uint32_t frequencyToleranceHz = kUnset;
  Utf8 subMode;
  bool fastMode = false;  // always applied where the mode has it
  std::uint32_t trPeriodSeconds = kUnset;
  std::uint32_t rxDfHz = kUnset;
  Utf8 dxCall;
  Utf8 dxGrid;
  bool generateMessages = false;
};

// A message of a type not read here (Decode, Replay, ...): only its header.
struct OtherMessage {
  std::uint32_t type = 0;
  std::string id;
};

using Message = std::variant<Heartbeat, Status, Close, Configure, OtherMessage>;

struct Decoded {
  std::uint32_t schema = kDefaultSchema;
  Message message;
};

// A message, or refused with the reason.
Result<Decoded> Decode(std::span<const std::uint8_t> datagram);

// The datagrams, written in `schema` (kLowestSchema..kHighestSchema).
std::vector<std::uint8_t> Encode(const Heartbeat& message, std::uint32_t schema = kDefaultSchema);
std::vector<std::uint8_t> Encode(const Status& message, std::uint32_t schema = kDefaultSchema);
std::vector<std::uint8_t> Encode(const Close& message, std::uint32_t schema = kDefaultSchema);
std::vector<std::uint8_t> Encode(const Configure& message, std::uint32_t schema = kDefaultSchema);

// The request that sets an instance's DX call and grid and nothing else.
// `fastMode` should be the instance's own (its last Status), as the request
// always carries that switch.
Configure DxRequest(std::string_view instanceId, std::string_view call, std::string_view grid,
                    bool fastMode);

// ---- QDataStream's fields, for the messages above and any others ----

// A QTime: milliseconds since midnight, empty for a null time.
struct StreamTime {
  std::optional<std::uint32_t> msecs;
};

// A QDateTime as written since Qt 5.2: the Julian day of the date, the time,
// and how the time is counted. Date-times in a named time zone are refused.
enum class TimeSpec : std::uint8_t { Local = 0, Utc = 1, OffsetFromUtc = 2 };
struct StreamDateTime {
  std::int64_t julianDay = 0;
  StreamTime time;
  TimeSpec timeSpec = TimeSpec::Utc;
  std::int32_t offsetSeconds = 0;  // only for OffsetFromUtc
};

class StreamWriter {
 public:
  void UInt8(std::uint8_t value);
  void UInt32(std::uint32_t value);
  void Int32(std::int32_t value) { UInt32(static_cast<std::uint32_t>(value)); }
  void UInt64(std::uint64_t value);
  void Int64(std::int64_t value) { UInt64(static_cast<std::uint64_t>(value)); }
  void Bool(bool value) { UInt8(value ? 1 : 0); }
  void Double(double value);
  void Text(const Utf8& value);
  void Time(const StreamTime& value);
  void DateTime(const StreamDateTime& value);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads fields off a datagram. A read that would pass its end, or finds no
// value of its kind, is refused with the field's name and leaves the
// position where it was. Once a read failed every later one fails with the
// same reason, so a message's fields can be read in a row and checked once.
class StreamReader {
 public:
  explicit StreamReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  Result<std::uint8_t> UInt8(const char* field);
  Result<std::uint32_t> UInt32(const char* field);
  Result<std::int32_t> Int32(const char* field);
  Result<std::uint64_t> UInt64(const char* field);
  Result<std::int64_t> Int64(const char* field);
  Result<bool> Bool(const char* field);
  Result<double> Double(const char* field);
  // The value's optional is the null marker. Text that is not valid UTF-8
  // is refused.
  Result<Utf8> Text(const char* field);
  Result<StreamTime> Time(const char* field);
  Result<StreamDateTime> DateTime(const char* field);

  std::size_t remaining() const { return bytes_.size() - position_; }
  // Done while every read succeeded, else the first failure.
  kelvora::Status Outcome() const;

 private:
  Result<std::span<const std::uint8_t>> Take(std::size_t count, const char* field);
  // Keeps the first failure and hands it back.
  Failure Refuse(std::string reason);

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  std::optional<Failure> failed_;
};

}  // namespace kelvora::wsjtx

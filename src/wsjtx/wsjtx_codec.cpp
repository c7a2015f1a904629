#include "wsjtx/wsjtx_codec.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace kelvora::wsjtx {

namespace {

// Milliseconds in a day: a QTime holds less.
constexpr std::uint32_t kMsecsPerDay = 86'400'000;
// QDataStream's TimeSpec values; 3 (a named zone) carries a zone record.
constexpr std::uint8_t kTimeZoneSpec = 3;

bool IsValidUtf8(std::span<const std::uint8_t> text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::uint8_t lead = text[i];
    std::size_t length = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xe0) == 0xc0) {
      length = 2;
      point = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
      length = 3;
      point = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
      length = 4;
      point = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((text[i + k] & 0xc0) != 0x80) return false;
      point = (point << 6) | (text[i + k] & 0x3f);
    }
    // Overlong forms, surrogates and points past U+10FFFF.
    constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kLeast[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff)) {
      return false;
    }
    i += length;
  }
  return true;
}

void WriteHeader(StreamWriter& out, std::uint32_t schema, MessageType type, const std::string& id) {
  out.UInt32(kMagic);
  out.UInt32(schema);
  out.UInt32(static_cast<std::uint32_t>(type));
  out.Text(id);
}

// The message readers: each returns nothing when a field failed (the
// reader holds the reason).

std::optional<Heartbeat> ReadHeartbeat(StreamReader& in, std::string id) {
  Heartbeat message;
  message.id = std::move(id);
  // The maximum schema came with schema 3: a sender without it speaks 2.
  if (in.remaining() == 0) {
    message.maximumSchema = kDefaultSchema;
    return message;
  }
  const auto schema = in.UInt32("maximum schema");
  const auto version = schema ? in.Text("version") : std::nullopt;
  const auto revision = version ? in.Text("revision") : std::nullopt;
  if (!revision) return std::nullopt;
  message.maximumSchema = *schema;
  message.version = *version;
  message.revision = *revision;
  return message;
}

template <typename T>
bool Read(std::optional<T> value, T& into) {
  if (!value) return false;
  into = std::move(*value);
  return true;
}

std::optional<Status> ReadStatus(StreamReader& in, std::string id) {
  Status s;
  s.id = std::move(id);
  const bool core =
      Read(in.UInt64("dial frequency"), s.dialHz) && Read(in.Text("mode"), s.mode) &&
      Read(in.Text("DX call"), s.dxCall) && Read(in.Text("report"), s.report) &&
      Read(in.Text("Tx mode"), s.txMode) && Read(in.Bool("Tx enabled"), s.txEnabled) &&
      Read(in.Bool("transmitting"), s.transmitting) && Read(in.Bool("decoding"), s.decoding) &&
      Read(in.Int32("Rx DF"), s.rxDfHz) && Read(in.Int32("Tx DF"), s.txDfHz) &&
      Read(in.Text("DE call"), s.deCall) && Read(in.Text("DE grid"), s.deGrid) &&
      Read(in.Text("DX grid"), s.dxGrid) && Read(in.Bool("Tx watchdog"), s.txWatchdog) &&
      Read(in.Text("sub-mode"), s.subMode) && Read(in.Bool("fast mode"), s.fastMode) &&
      Read(in.UInt8("special operation mode"), s.specialOperation);
  if (!core) return std::nullopt;
  // Each later field is there whole or the datagram ends before it.
  if (in.remaining() == 0) return s;
  if (!Read(in.UInt32("frequency tolerance"), s.frequencyToleranceHz)) return std::nullopt;
  if (in.remaining() == 0) return s;
  if (!Read(in.UInt32("T/R period"), s.trPeriodSeconds)) return std::nullopt;
  if (in.remaining() == 0) return s;
  if (!Read(in.Text("configuration name"), s.configurationName)) return std::nullopt;
  if (in.remaining() == 0) return s;
  if (!Read(in.Text("Tx message"), s.txMessage)) return std::nullopt;
  return s;
}

std::optional<Configure> ReadConfigure(StreamReader& in, std::string id) {
  Configure c;
  c.id = std::move(id);
  const bool ok =
      Read(in.Text("mode"), c.mode) && Read(in.UInt32("frequency tolerance"), c.frequencyToleranceHz) &&
      Read(in.Text("sub-mode"), c.subMode) && Read(in.Bool("fast mode"), c.fastMode) &&
      Read(in.UInt32("T/R period"), c.trPeriodSeconds) && Read(in.UInt32("Rx DF"), c.rxDfHz) &&
      Read(in.Text("DX call"), c.dxCall) && Read(in.Text("DX grid"), c.dxGrid) &&
      Read(in.Bool("generate messages"), c.generateMessages);
  if (!ok) return std::nullopt;
  return c;
}

const char* TypeName(std::uint32_t type) {
  switch (static_cast<MessageType>(type)) {
    case MessageType::Heartbeat:
      return "Heartbeat";
    case MessageType::Status:
      return "Status";
    case MessageType::Close:
      return "Close";
    case MessageType::Configure:
      return "Configure";
    default:
      return "message";
  }
}

}  // namespace

// ---- Writer ----

void StreamWriter::UInt8(std::uint8_t value) { bytes_.push_back(value); }

void StreamWriter::UInt32(std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void StreamWriter::UInt64(std::uint64_t value) {
  UInt32(static_cast<std::uint32_t>(value >> 32));
  UInt32(static_cast<std::uint32_t>(value));
}

void StreamWriter::Double(double value) { UInt64(std::bit_cast<std::uint64_t>(value)); }

void StreamWriter::Text(const Utf8& value) {
  if (!value) {
    UInt32(kUnset);
    return;
  }
  UInt32(static_cast<std::uint32_t>(value->size()));
  bytes_.insert(bytes_.end(), value->begin(), value->end());
}

void StreamWriter::Time(const StreamTime& value) { UInt32(value.msecs ? *value.msecs : kUnset); }

void StreamWriter::DateTime(const StreamDateTime& value) {
  Int64(value.julianDay);
  Time(value.time);
  UInt8(static_cast<std::uint8_t>(value.timeSpec));
  if (value.timeSpec == TimeSpec::OffsetFromUtc) Int32(value.offsetSeconds);
}

// ---- Reader ----

void StreamReader::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
}

std::optional<std::span<const std::uint8_t>> StreamReader::Take(std::size_t count,
                                                                const char* field) {
  if (!error_.empty()) return std::nullopt;
  if (count > remaining()) {
    Fail(std::string("the '") + field + "' field is cut short (" + std::to_string(count) +
         " bytes needed, " + std::to_string(remaining()) + " left)");
    return std::nullopt;
  }
  const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
  position_ += count;
  return taken;
}

std::optional<std::uint8_t> StreamReader::UInt8(const char* field) {
  const auto b = Take(1, field);
  if (!b) return std::nullopt;
  return (*b)[0];
}

std::optional<std::uint32_t> StreamReader::UInt32(const char* field) {
  const auto b = Take(4, field);
  if (!b) return std::nullopt;
  std::uint32_t value = 0;
  for (const std::uint8_t byte : *b) value = (value << 8) | byte;
  return value;
}

std::optional<std::int32_t> StreamReader::Int32(const char* field) {
  const auto value = UInt32(field);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

std::optional<std::uint64_t> StreamReader::UInt64(const char* field) {
  const auto b = Take(8, field);
  if (!b) return std::nullopt;
  std::uint64_t value = 0;
  for (const std::uint8_t byte : *b) value = (value << 8) | byte;
  return value;
}

std::optional<std::int64_t> StreamReader::Int64(const char* field) {
  const auto value = UInt64(field);
  if (!value) return std::nullopt;
  return static_cast<std::int64_t>(*value);
}

std::optional<bool> StreamReader::Bool(const char* field) {
  // QDataStream reads a bool as a byte, any non-zero value true.
  const auto value = UInt8(field);
  if (!value) return std::nullopt;
  return *value != 0;
}

std::optional<double> StreamReader::Double(const char* field) {
  const auto value = UInt64(field);
  if (!value) return std::nullopt;
  return std::bit_cast<double>(*value);
}

std::optional<Utf8> StreamReader::Text(const char* field) {
  const std::size_t start = position_;
  const auto length = UInt32(field);
  if (!length) return std::nullopt;
  if (*length == kUnset) return Utf8{};
  // The length is checked against what is left before anything is made.
  const auto bytes = Take(*length, field);
  if (!bytes) {
    position_ = start;
    return std::nullopt;
  }
  if (!IsValidUtf8(*bytes)) {
    position_ = start;
    Fail(std::string("the '") + field + "' field is not UTF-8 text");
    return std::nullopt;
  }
  return Utf8(std::string(bytes->begin(), bytes->end()));
}

std::optional<StreamTime> StreamReader::Time(const char* field) {
  const std::size_t start = position_;
  const auto msecs = UInt32(field);
  if (!msecs) return std::nullopt;
  if (*msecs == kUnset) return StreamTime{};
  if (*msecs >= kMsecsPerDay) {
    position_ = start;
    Fail(std::string("the '") + field + "' field is no time of day (" + std::to_string(*msecs) +
         " ms)");
    return std::nullopt;
  }
  return StreamTime{*msecs};
}

std::optional<StreamDateTime> StreamReader::DateTime(const char* field) {
  const std::size_t start = position_;
  StreamDateTime value;
  const auto day = Int64(field);
  const auto time = day ? Time(field) : std::nullopt;
  const auto specByte = time ? UInt8(field) : std::nullopt;
  if (!specByte) {
    position_ = start;
    return std::nullopt;
  }
  value.julianDay = *day;
  value.time = *time;
  if (*specByte > kTimeZoneSpec) {
    position_ = start;
    Fail(std::string("the '") + field + "' field has an unknown TimeSpec " +
         std::to_string(*specByte));
    return std::nullopt;
  }
  if (*specByte == kTimeZoneSpec) {
    position_ = start;
    Fail(std::string("the '") + field + "' field is in a named time zone, which is not read");
    return std::nullopt;
  }
  value.timeSpec = static_cast<TimeSpec>(*specByte);
  if (value.timeSpec == TimeSpec::OffsetFromUtc) {
    const auto offset = Int32(field);
    if (!offset) {
      position_ = start;
      return std::nullopt;
    }
    value.offsetSeconds = *offset;
  }
  return value;
}

// ---- Messages ----

DecodeResult Decode(std::span<const std::uint8_t> datagram) {
  DecodeResult result;
  StreamReader in(datagram);
  const auto magic = in.UInt32("magic number");
  if (!magic) {
    result.error = "not a WSJT-X message: " + std::to_string(datagram.size()) + " bytes";
    return result;
  }
  if (*magic != kMagic) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", *magic);
    result.error = std::string("not a WSJT-X message: magic number 0x") + text;
    return result;
  }
  // An unknown schema may lay out everything after it differently.
  const auto schema = in.UInt32("schema");
  if (schema && (*schema < kLowestSchema || *schema > kHighestSchema)) {
    result.error = "WSJT-X message in unknown schema " + std::to_string(*schema) +
                   " (known: " + std::to_string(kLowestSchema) + " to " +
                   std::to_string(kHighestSchema) + ")";
    return result;
  }
  const auto type = schema ? in.UInt32("message type") : std::nullopt;
  const auto id = type ? in.Text("Id") : std::nullopt;
  if (!id) {
    result.error = "WSJT-X message header: " + in.error();
    return result;
  }
  std::string instance = TextOf(*id);
  std::optional<Message> message;
  switch (static_cast<MessageType>(*type)) {
    case MessageType::Heartbeat:
      if (auto m = ReadHeartbeat(in, std::move(instance))) message = std::move(*m);
      break;
    case MessageType::Status:
      if (auto m = ReadStatus(in, std::move(instance))) message = std::move(*m);
      break;
    case MessageType::Close:
      message = Close{std::move(instance)};
      break;
    case MessageType::Configure:
      if (auto m = ReadConfigure(in, std::move(instance))) message = std::move(*m);
      break;
    default:
      message = OtherMessage{*type, std::move(instance)};
      break;
  }
  if (!message) {
    result.error = std::string("WSJT-X ") + TypeName(*type) + ": " + in.error();
    return result;
  }
  result.decoded = Decoded{*schema, std::move(*message)};
  return result;
}

std::vector<std::uint8_t> Encode(const Heartbeat& message, std::uint32_t schema) {
  StreamWriter out;
  WriteHeader(out, schema, MessageType::Heartbeat, message.id);
  out.UInt32(message.maximumSchema);
  out.Text(message.version);
  out.Text(message.revision);
  return out.Take();
}

std::vector<std::uint8_t> Encode(const Status& s, std::uint32_t schema) {
  StreamWriter out;
  WriteHeader(out, schema, MessageType::Status, s.id);
  out.UInt64(s.dialHz);
  out.Text(s.mode);
  out.Text(s.dxCall);
  out.Text(s.report);
  out.Text(s.txMode);
  out.Bool(s.txEnabled);
  out.Bool(s.transmitting);
  out.Bool(s.decoding);
  out.Int32(s.rxDfHz);
  out.Int32(s.txDfHz);
  out.Text(s.deCall);
  out.Text(s.deGrid);
  out.Text(s.dxGrid);
  out.Bool(s.txWatchdog);
  out.Text(s.subMode);
  out.Bool(s.fastMode);
  out.UInt8(s.specialOperation);
  out.UInt32(s.frequencyToleranceHz);
  out.UInt32(s.trPeriodSeconds);
  out.Text(s.configurationName);
  out.Text(s.txMessage);
  return out.Take();
}

std::vector<std::uint8_t> Encode(const Close& message, std::uint32_t schema) {
  StreamWriter out;
  WriteHeader(out, schema, MessageType::Close, message.id);
  return out.Take();
}

std::vector<std::uint8_t> Encode(const Configure& c, std::uint32_t schema) {
  StreamWriter out;
  WriteHeader(out, schema, MessageType::Configure, c.id);
  out.Text(c.mode);
  out.UInt32(c.frequencyToleranceHz);
  out.Text(c.subMode);
  out.Bool(c.fastMode);
  out.UInt32(c.trPeriodSeconds);
  out.UInt32(c.rxDfHz);
  out.Text(c.dxCall);
  out.Text(c.dxGrid);
  out.Bool(c.generateMessages);
  return out.Take();
}

Configure DxRequest(std::string_view instanceId, std::string_view call, std::string_view grid,
                    bool fastMode) {
  Configure c;
  c.id = std::string(instanceId);
  c.mode = std::string();
  c.subMode = std::string();
  c.fastMode = fastMode;
  c.dxCall = std::string(call);
  c.dxGrid = std::string(grid);
  return c;
}

}  // namespace kelvora::wsjtx

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

// The message readers: each is refused with the first field that failed.

Result<Heartbeat> ReadHeartbeat(StreamReader& in, std::string id) {
  Heartbeat message;
  message.id = std::move(id);
  // The maximum schema came with schema 3: a sender without it speaks 2.
  if (in.remaining() == 0) {
    message.maximumSchema = kDefaultSchema;
    return message;
  }
  const auto schema = in.UInt32("maximum schema");
  const auto version = in.Text("version");
  const auto revision = in.Text("revision");
  if (!revision) return revision.failure();  // and so did any read before it
  message.maximumSchema = *schema;
  message.version = *version;
  message.revision = *revision;
  return message;
}

template <typename T>
bool Read(Result<T> value, T& into) {
  if (!value) return false;
  into = std::move(*value);
  return true;
}

Result<Status> ReadStatus(StreamReader& in, std::string id) {
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
  if (!core) return in.Outcome().failure();
  // Each later field is there whole or the datagram ends before it.
  if (in.remaining() == 0) return s;
  if (!Read(in.UInt32("frequency tolerance"), s.frequencyToleranceHz)) {
    return in.Outcome().failure();
  }
  if (in.remaining() == 0) return s;
  if (!Read(in.UInt32("T/R period"), s.trPeriodSeconds)) return in.Outcome().failure();
  if (in.remaining() == 0) return s;
  if (!Read(in.Text("configuration name"), s.configurationName)) return in.Outcome().failure();
  if (in.remaining() == 0) return s;
  if (!Read(in.Text("Tx message"), s.txMessage)) return in.Outcome().failure();
  return s;
}

Result<Configure> ReadConfigure(StreamReader& in, std::string id) {
  Configure c;
  c.id = std::move(id);
  const bool ok =
      Read(in.Text("mode"), c.mode) && Read(in.UInt32("frequency tolerance"), c.frequencyToleranceHz) &&
      Read(in.Text("sub-mode"), c.subMode) && Read(in.Bool("fast mode"), c.fastMode) &&
      Read(in.UInt32("T/R period"), c.trPeriodSeconds) && Read(in.UInt32("Rx DF"), c.rxDfHz) &&
      Read(in.Text("DX call"), c.dxCall) && Read(in.Text("DX grid"), c.dxGrid) &&
      Read(in.Bool("generate messages"), c.generateMessages);
  if (!ok) return in.Outcome().failure();
  return c;
}

template <typename T>
Result<Message> AsMessage(Result<T> read) {
  if (!read) return read.failure();
  return Message(std::move(*read));
}

// The message after the header, by its type.
Result<Message> ReadMessage(StreamReader& in, std::uint32_t type, std::string instance) {
  switch (static_cast<MessageType>(type)) {
    case MessageType::Heartbeat:
      return AsMessage(ReadHeartbeat(in, std::move(instance)));
    case MessageType::Status:
      return AsMessage(ReadStatus(in, std::move(instance)));
    case MessageType::Close:
      return Message(Close{std::move(instance)});
    case MessageType::Configure:
      return AsMessage(ReadConfigure(in, std::move(instance)));
    default:
      return Message(OtherMessage{type, std::move(instance)});
  }
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

Failure StreamReader::Refuse(std::string reason) {
  if (!failed_) failed_ = Fail(std::move(reason));
  return *failed_;
}

kelvora::Status StreamReader::Outcome() const {
  if (failed_) return *failed_;
  return Done();
}

Result<std::span<const std::uint8_t>> StreamReader::Take(std::size_t count, const char* field) {
  if (failed_) return *failed_;
  if (count > remaining()) {
    return Refuse(std::string("the '") + field + "' field is cut short (" + std::to_string(count) +
                  " bytes needed, " + std::to_string(remaining()) + " left)");
  }
  const std::span<const std::uint8_t> taken = bytes_.subspan(position_, count);
  position_ += count;
  return taken;
}

Result<std::uint8_t> StreamReader::UInt8(const char* field) {
  const auto b = Take(1, field);
  if (!b) return b.failure();
  return (*b)[0];
}

Result<std::uint32_t> StreamReader::UInt32(const char* field) {
  const auto b = Take(4, field);
  if (!b) return b.failure();
  std::uint32_t value = 0;
  for (const std::uint8_t byte : *b) value = (value << 8) | byte;
  return value;
}

Result<std::int32_t> StreamReader::Int32(const char* field) {
  const auto value = UInt32(field);
  if (!value) return value.failure();
  return static_cast<std::int32_t>(*value);
}

Result<std::uint64_t> StreamReader::UInt64(const char* field) {
  const auto b = Take(8, field);
  if (!b) return b.failure();
  std::uint64_t value = 0;
  for (const std::uint8_t byte : *b) value = (value << 8) | byte;
  return value;
}

Result<std::int64_t> StreamReader::Int64(const char* field) {
  const auto value = UInt64(field);
  if (!value) return value.failure();
  return static_cast<std::int64_t>(*value);
}

Result<bool> StreamReader::Bool(const char* field) {
  // QDataStream reads a bool as a byte, any non-zero value true.
  const auto value = UInt8(field);
  if (!value) return value.failure();
  return *value != 0;
}

Result<double> StreamReader::Double(const char* field) {
  const auto value = UInt64(field);
  if (!value) return value.failure();
  return std::bit_cast<double>(*value);
}

Result<Utf8> StreamReader::Text(const char* field) {
  const std::size_t start = position_;
  const auto length = UInt32(field);
  if (!length) return length.failure();
  if (*length == kUnset) return Utf8{};
  // The length is checked against what is left before anything is made.
  const auto bytes = Take(*length, field);
  if (!bytes) {
    position_ = start;
    return bytes.failure();
  }
  if (!IsValidUtf8(*bytes)) {
    position_ = start;
    return Refuse(std::string("the '") + field + "' field is not UTF-8 text");
  }
  return Utf8(std::string(bytes->begin(), bytes->end()));
}

Result<StreamTime> StreamReader::Time(const char* field) {
  const std::size_t start = position_;
  const auto msecs = UInt32(field);
  if (!msecs) return msecs.failure();
  if (*msecs == kUnset) return StreamTime{};
  if (*msecs >= kMsecsPerDay) {
    position_ = start;
    return Refuse(std::string("the '") + field + "' field is no time of day (" +
                  std::to_string(*msecs) + " ms)");
  }
  return StreamTime{*msecs};
}

Result<StreamDateTime> StreamReader::DateTime(const char* field) {
  const std::size_t start = position_;
  // A date-time is read whole or not at all.
  const auto refused = [this, start](Failure failure) {
    position_ = start;
    return failure;
  };
  StreamDateTime value;
  const auto day = Int64(field);
  const auto time = Time(field);
  const auto kindByte = UInt8(field);
  if (!kindByte) return refused(kindByte.failure());  // and so did any read before it
  value.julianDay = *day;
  value.time = *time;
  if (*kindByte > kTimeZoneSpec) {
    return refused(Refuse(std::string("the '") + field + "' field has an unknown TimeSpec " +
                          std::to_string(*kindByte)));
  }
  if (*kindByte == kTimeZoneSpec) {
    return refused(Refuse(std::string("the '") + field +
                          "' field is in a named time zone, which is not read"));
  }
  value.timeSpec = static_cast<TimeSpec>(*kindByte);
  if (value.timeSpec == TimeSpec::OffsetFromUtc) {
    const auto offset = Int32(field);
    if (!offset) return refused(offset.failure());
    value.offsetSeconds = *offset;
  }
  return value;
}

// ---- Messages ----

Result<Decoded> Decode(std::span<const std::uint8_t> datagram) {
  StreamReader in(datagram);
  const auto magic = in.UInt32("magic number");
  if (!magic) return Fail("not a WSJT-X message: " + std::to_string(datagram.size()) + " bytes");
  if (*magic != kMagic) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", *magic);
    return Fail(std::string("not a WSJT-X message: magic number 0x") + text);
  }
  // An unknown schema may lay out everything after it differently.
  const auto schema = in.UInt32("schema");
  if (schema && (*schema < kLowestSchema || *schema > kHighestSchema)) {
    return Fail("WSJT-X message in unknown schema " + std::to_string(*schema) + " (known: " +
                std::to_string(kLowestSchema) + " to " + std::to_string(kHighestSchema) + ")");
  }
  const auto type = in.UInt32("message type");
  const auto id = in.Text("Id");
  if (!id) return Fail("WSJT-X message header: " + id.reason());  // or any read before it
  Result<Message> message = ReadMessage(in, *type, TextOf(*id));
  if (!message) return Fail(std::string("WSJT-X ") + TypeName(*type) + ": " + message.reason());
  return Decoded{*schema, std::move(*message)};
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

// libFuzzer target: the WSJT-X message decoder on any datagram. A message it
// accepts must survive being written back and read again; a refusal must
// say why. The date-time reader runs over the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "fuzz_scratch.h"
#include "wsjtx/wsjtx_codec.h"

namespace {

using kelvora::fuzz::Check;
namespace wsjtx = kelvora::wsjtx;

// Writes the message back in its schema and reads it again.
std::uint32_t ReadBackType(const wsjtx::Decoded& decoded) {
  return std::visit(
      [&decoded](const auto& message) -> std::uint32_t {
        using T = std::decay_t<decltype(message)>;
        if constexpr (std::is_same_v<T, wsjtx::OtherMessage>) {
          return message.type;
        } else {
          const auto again = wsjtx::Decode(wsjtx::Encode(message, decoded.schema));
          Check(again.ok());
          Check(std::holds_alternative<T>(again->message));
          Check(std::get<T>(again->message).id == message.id);
          return static_cast<std::uint32_t>(again->message.index());
        }
      },
      decoded.message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> datagram(data, size);
  const auto result = wsjtx::Decode(datagram);
  Check(result || !result.reason().empty());
  if (result) {
    Check(result->schema >= wsjtx::kLowestSchema && result->schema <= wsjtx::kHighestSchema);
    ReadBackType(*result);
    if (const auto* status = std::get_if<wsjtx::Status>(&result->message)) {
      // Nothing read can be longer than the datagram it came from.
      Check(wsjtx::TextOf(status->dxCall).size() < size);
      Check(wsjtx::TextOf(status->txMessage).size() < size);
    }
  }
  wsjtx::StreamReader reader(datagram);
  while (reader.remaining() > 0) {
    const std::size_t before = reader.remaining();
    if (const auto when = reader.DateTime("date-time"); !when) {
      Check(!when.reason().empty());
      Check(reader.remaining() == before);
      break;
    }
    Check(reader.remaining() < before);
  }
  return 0;
}

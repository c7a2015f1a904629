#include "option_checks.h"

#include <string>

#include "arguments.h"
#include "control/radio_microwave.h"

namespace kelvora::cli {

CLI::Validator NonEmptyText() {
  return CLI::Validator(
      [](const std::string& text) {
        return text.empty() ? std::string("an empty value is not allowed") : std::string();
      },
      "TEXT");
}

void RefuseEmptyValues(CLI::App& app) {
  for (CLI::Option* option : app.get_options()) {
    if (option->get_type_size() != 0) option->check(NonEmptyText());
  }
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    RefuseEmptyValues(*command);
  }
}

CLI::Validator WholeNumberIn(std::int64_t minimum, std::int64_t maximum) {
  const std::string range = std::to_string(minimum) + ".." + std::to_string(maximum);
  return CLI::Validator(
      [minimum, maximum, range](const std::string& text) {
        if (text.empty()) return std::string("an empty value is not allowed");
        const IntegerRead read = ReadInteger(text);
        if (read.outOfRange || (read.value && (*read.value < minimum || *read.value > maximum))) {
          return "'" + text + "' is out of range " + range;
        }
        if (!read.value) return "'" + text + "' is not a whole number";
        return std::string();
      },
      "INT");
}

CLI::Option* AddUt1MinusUtcOption(CLI::App* command, std::string& text) {
  return command->add_option("--ut1-utc", text,
                             "UT1 - UTC in seconds, -1..1, from IERS Bulletin A (default 0)");
}

double Ut1MinusUtcOption(const std::string& text) {
  if (text.empty()) return 0.0;
  const Result<double> value = ParseUt1MinusUtc(text);
  if (!value) throw UsageError("--ut1-utc: '" + text + "' is not a number of seconds within -1..1");
  return *value;
}

}  // namespace kelvora::cli

// Checks that run on an option's text as typed, before CLI11 converts it: an
// empty value is refused instead of meaning "not given", and a whole number
// too large for its type is refused with the text the user wrote, not the
// clamped value the conversion would make of it.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace kelvora::cli {

CLI::Validator NonEmptyText();

// Gives every option of `app` and of its subcommands that takes a value the
// NonEmptyText check, so no subcommand runs with a default for "".
void RefuseEmptyValues(CLI::App& app);

// A whole number in [minimum, maximum].
CLI::Validator WholeNumberIn(std::int64_t minimum, std::int64_t maximum);

// --ut1-utc SECONDS, for the subcommands that use the accurate figures; the
// text is read by Ut1MinusUtcOption once the command runs.
CLI::Option* AddUt1MinusUtcOption(CLI::App* command, std::string& text);
// The option's seconds, 0 when it was not given; a UsageError for anything
// but a plain number within -1..1.
double Ut1MinusUtcOption(const std::string& text);

}  // namespace kelvora::cli

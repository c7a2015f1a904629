// kelvora-cli's accurate figures: `moon` (the accurate moon, sun and
// Doppler for one or two stations) and `selftest` (how far the standard
// figures are from them).
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>

namespace kelvora::cli {

struct PreciseCommandOptions;

// Adds the subcommands to `app`; the chosen one sets `action`. The returned
// options must outlive the parse and the action.
std::shared_ptr<PreciseCommandOptions> RegisterPreciseCommands(CLI::App& app,
                                                               std::function<int()>& action);

}  // namespace kelvora::cli

// kelvora-cli plan: mutual moon windows with a DX station, or the next window
// of every station of the EME directory.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace kelvora::cli {

// Adds the "plan" subcommand; when it is chosen, `action` runs it.
void AddPlanCommand(CLI::App& app, std::function<int()>& action);

}  // namespace kelvora::cli

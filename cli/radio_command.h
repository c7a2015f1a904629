// kelvora-cli's radio commands: `doppler` (the figures at a dial frequency)
// and `radio` (keeping a rig on the Doppler through rigctld).
#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace kelvora::cli {

// Adds the subcommands to `app`; the chosen one puts its work into `action`,
// which keeps the parsed options alive.
void AddRadioCommands(CLI::App& app, std::function<int()>& action);

}  // namespace kelvora::cli

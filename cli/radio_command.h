// kelvora-cli's radio commands: `doppler` (the figures at a dial frequency)
// and `radio` (keeping a rig on the Doppler through rigctld).
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>

namespace kelvora::cli {

// Adds the subcommands to `app`; the chosen one puts its work into `action`.
// The object keeps the parsed options, so it must outlive `action`.
class RadioCommands {
 public:
  RadioCommands(CLI::App& app, std::function<int()>& action);
  ~RadioCommands();
  RadioCommands(const RadioCommands&) = delete;
  RadioCommands& operator=(const RadioCommands&) = delete;

  struct Options;

 private:
  std::unique_ptr<Options> options_;
};

}  // namespace kelvora::cli

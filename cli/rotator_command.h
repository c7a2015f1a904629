// kelvora-cli rotator: drive an antenna rotator through Hamlib's rotctld.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace kelvora::cli {

// Adds "rotator track|stop|park|position" to `app`; the chosen command's
// work is left in `action`, run after parsing like the other subcommands.
void AddRotatorCommand(CLI::App& app, std::function<int()>& action);

}  // namespace kelvora::cli

// kelvora-cli station: the station service (rotator and radio) without a
// window, for a station left running (a systemd user unit runs it).
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace kelvora::cli {

// Adds "station track" to `app`; the work is left in `action`.
void AddStationCommand(CLI::App& app, std::function<int()>& action);

}  // namespace kelvora::cli

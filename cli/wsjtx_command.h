// kelvora-cli wsjtx: listen to WSJT-X's UDP messages, print each Status with
// the moon figures it implies for the DX station, and set WSJT-X's DX call
// and grid.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace kelvora::cli {

// Adds "wsjtx listen" to `app`; the work is left in `action`.
void AddWsjtxCommand(CLI::App& app, std::function<int()>& action);

}  // namespace kelvora::cli

// The exit statuses of kelvora-cli, for every subcommand.
#pragma once

namespace kelvora::cli {

inline constexpr int kExitDone = 0;
// Nothing found: no crossing, a call not in the directory, the directory
// missing, no window for plan; for rotator, rotctld unreachable or refusing.
inline constexpr int kExitNotFound = 1;
// Bad arguments, a moment outside the supported years included.
inline constexpr int kExitUsage = 2;
// An unexpected failure: nothing the arguments could cause.
inline constexpr int kExitFailure = 3;

}  // namespace kelvora::cli

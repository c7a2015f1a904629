// The moment and the GMT offset, read the same way by every subcommand:
// --clock is a UTC moment in seconds since 1970-01-01 00:00 UTC (default:
// now, from the computer's UTC clock), and --gmt-offset the home station's
// whole hours from local standard time to UTC (default: Dorvakin.dat), which
// gives the local times shown and, for the window's read-out, its clock value.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace kelvora::cli {

// Far outside the supported years either way; keeps every sum with offsets
// inside 64 bits. A moment inside it but outside the years is refused later
// with the years named.
inline constexpr std::int64_t kClockOptionLimit = 1'000'000'000'000;

struct MomentOptions {
  std::optional<std::int64_t> clock;      // UTC seconds
  std::optional<std::int64_t> gmtOffset;  // hours
};

CLI::Option* AddClockOption(CLI::App* command, std::optional<std::int64_t>& clock);
CLI::Option* AddGmtOffsetOption(CLI::App* command, std::optional<std::int64_t>& gmtOffset);
void AddMomentOptions(CLI::App* command, MomentOptions& options);

// --clock, or the computer's UTC now.
std::int64_t MomentUtc(const std::optional<std::int64_t>& clock);

// --gmt-offset, or the settings file's offset.
std::int32_t GmtOffsetHours(const std::optional<std::int64_t>& gmtOffset,
                            std::int32_t fromSettings);

// The home station's local standard time of a UTC moment, as the clock texts
// show it ("Sat Jan  1 06:00:00 2000"); "?" outside the calendar.
std::string HomeLocalText(std::int64_t utc, std::int32_t gmtOffsetHours);

}  // namespace kelvora::cli

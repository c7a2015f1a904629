#include "moment.h"

#include "app/clock.h"
#include "app/settings.h"
#include "astro/time_helpers.h"
#include "option_checks.h"

namespace kelvora::cli {

CLI::Option* AddClockOption(CLI::App* command, std::optional<std::int64_t>& clock) {
  return command
      ->add_option("--clock", clock, "UTC moment, seconds since 1970-01-01 00:00 UTC (default: now)")
      ->check(WholeNumberIn(-kClockOptionLimit, kClockOptionLimit));
}

CLI::Option* AddGmtOffsetOption(CLI::App* command, std::optional<std::int64_t>& gmtOffset) {
  return command
      ->add_option("--gmt-offset", gmtOffset,
                   "home's whole hours from local standard time to UTC, 6 for US Central "
                   "(default: from Dorvakin.dat)")
      ->check(WholeNumberIn(-kGmtOffsetLimitHours, kGmtOffsetLimitHours));
}

void AddMomentOptions(CLI::App* command, MomentOptions& options) {
  AddClockOption(command, options.clock);
  AddGmtOffsetOption(command, options.gmtOffset);
}

std::int64_t MomentUtc(const std::optional<std::int64_t>& clock) {
  return clock ? *clock : UtcNow();
}

std::int32_t GmtOffsetHours(const std::optional<std::int64_t>& gmtOffset,
                            std::int32_t fromSettings) {
  return gmtOffset ? static_cast<std::int32_t>(*gmtOffset) : fromSettings;
}

std::string HomeLocalText(std::int64_t utc, std::int32_t gmtOffsetHours) {
  const Result<std::string> text = AscTimeText(utc - GmtOffsetSeconds(gmtOffsetHours));
  return text ? *text : "?";
}

}  // namespace kelvora::cli

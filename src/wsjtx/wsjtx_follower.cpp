#include "wsjtx/wsjtx_follower.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

#include "astro/moon.h"
#include "astro/time_helpers.h"
#include "stations/locator.h"

namespace kelvora::wsjtx {

namespace {

// The longest T/R period WSJT-X offers (FST4W), seconds.
constexpr std::uint32_t kLongestPeriodSeconds = 1800;

struct ModePeriod {
  const char* mode;
  int seconds;
};
// Modes whose period is fixed, so WSJT-X leaves the field unset.
constexpr std::array<ModePeriod, 6> kFixedPeriods = {{
    {"FT8", 15}, {"JT4", 60}, {"JT9", 60}, {"JT65", 60}, {"QRA64", 60}, {"WSPR", 120}}};

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string HertzText(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f Hz", hz);
  return text;
}

}  // namespace

std::optional<std::string> DxGridLocator(std::string_view grid) {
  const std::string text = Trimmed(grid);
  if (text.size() != 4 && text.size() != 6) return std::nullopt;
  const std::string completed = CompleteLocator(text);
  if (!IsAcceptedStation2Grid(completed) || !LocatorToPosition(completed)) return std::nullopt;
  return completed;
}

std::optional<std::string> DxCallForWsjtx(std::string_view call) {
  if (call.empty() || call.size() > kLongestDxCall) return std::nullopt;
  std::string out;
  for (const char c : call) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter && !(c >= '0' && c <= '9') && c != '/') return std::nullopt;
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

std::optional<int> StatusPeriodSeconds(const Status& status) {
  if (status.trPeriodSeconds != kUnset) {
    if (status.trPeriodSeconds == 0 || status.trPeriodSeconds > kLongestPeriodSeconds) {
      return std::nullopt;
    }
    return static_cast<int>(status.trPeriodSeconds);
  }
  const std::string& mode = TextOf(status.mode);
  for (const ModePeriod& fixed : kFixedPeriods) {
    if (mode == fixed.mode) return fixed.seconds;
  }
  return std::nullopt;
}

void WsjtxFollower::Forget() {
  instance_.clear();
  lastCall_.reset();
  lastGrid_.reset();
  lastDialHz_.reset();
}

FollowCommands WsjtxFollower::OnStatus(const Status& status, double radioDialHz) {
  if (status.id != instance_) {
    Forget();
    instance_ = status.id;
  }
  FollowCommands c;
  const std::string call = Trimmed(TextOf(status.dxCall));
  const std::string grid = Trimmed(TextOf(status.dxGrid));
  const bool dxChanged = call != lastCall_ || grid != lastGrid_;
  lastCall_ = call;
  lastGrid_ = grid;
  if (settings_.station2 && dxChanged && !(call.empty() && grid.empty())) {
    const std::optional<std::string> locator = DxGridLocator(grid);
    if (locator) {
      c.station2Locator = locator;
      c.taken.push_back("DX grid " + grid + ": second station at " + *locator);
    } else {
      if (!grid.empty()) c.taken.push_back("DX grid '" + grid + "' is no locator");
      if (!call.empty()) {
        c.directoryCall = call;
        c.taken.push_back("DX call " + call + " without a grid: looked up in the directory");
      }
    }
  }

  if (settings_.transmit) {
    c.transmitting = status.transmitting;
    c.trPeriodSeconds = StatusPeriodSeconds(status);
  }

  const double dial = static_cast<double>(status.dialHz);
  if (IsRadioFrequency(dial)) {
    const double reference = lastDialHz_ ? *lastDialHz_ : radioDialHz;
    if (settings_.dial && std::fabs(dial - reference) > kDialJumpHz) {
      c.dialHz = dial;
      c.taken.push_back("dial " + HertzText(dial) + ": the radio's dial");
    }
    lastDialHz_ = dial;
  }
  return c;
}

std::optional<DxMoon> DxMoonFigures(const RadioSite& home, const Status& status,
                                    std::int64_t utc) {
  const std::optional<std::string> locator = DxGridLocator(TextOf(status.dxGrid));
  if (!locator) return std::nullopt;
  const Result<GeoPosition> position = LocatorToPosition(*locator);
  if (!position) return std::nullopt;
  DxMoon out;
  out.locator = *locator;
  out.latitude = RoundToHundredths(position->latitude);
  out.longitude = RoundToHundredths(position->longitude);
  const Result<MoonFix> moon = MoonPosition(out.latitude, out.longitude, utc, TimeBase{});
  if (!moon) return std::nullopt;
  out.azimuth = moon->azimuth;
  out.elevation = moon->elevation;
  const double dial = static_cast<double>(status.dialHz);
  if (IsRadioFrequency(dial)) {
    const RadioSite dx{out.latitude, out.longitude};
    if (const auto figures = DopplerFiguresAt(home, dx, utc, dial)) {
      out.twoStationHz = figures->twoStationHz;
      out.echoHz = figures->echoHz;
    }
  }
  return out;
}


}  // namespace kelvora::wsjtx

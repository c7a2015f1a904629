// Following WSJT-X: what each Status it publishes asks of the program. The
// DX station it works becomes the second station, its transmit periods
// drive the radio's transmit state, and a new band or sked frequency becomes
// the radio's dial. Each behaviour can be switched off. The caller carries
// the commands out (the window: the Station2 commands and the Radio panel).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/doppler_control.h"
#include "control/radio_session.h"
#include "wsjtx/wsjtx_codec.h"

namespace kelvora::wsjtx {

// A move of WSJT-X's dial larger than this is a new band or sked frequency;
// smaller ones are its Doppler moves, which the radio makes itself.
inline constexpr double kDialJumpHz = 10'000.0;

struct FollowSettings {
  bool station2 = true;  // the DX grid (or call) places the second station
  bool transmit = true;  // Transmitting and the T/R period drive the radio
  bool dial = true;      // a jump of the dial becomes the radio's dial
};

// What one Status asks for; empty fields ask nothing.
struct FollowCommands {
  std::optional<std::string> station2Locator;  // six characters, as the Station2 GRID field takes
  std::optional<std::string> directoryCall;    // no usable grid: look this call up
  std::optional<bool> transmitting;
  std::optional<int> trPeriodSeconds;
  std::optional<double> dialHz;
  std::vector<std::string> taken;  // what was taken or left, a line each, for the window
};

// A DX grid as WSJT-X gives it (4 or 6 characters) as the six-character
// locator the Station2 GRID field makes of it; empty for anything else.
std::optional<std::string> DxGridLocator(std::string_view grid);

// A call for WSJT-X's DX Call field, upper-cased: letters, digits and '/',
// 1 to 13 characters; empty for anything else.
inline constexpr std::size_t kLongestDxCall = 13;
std::optional<std::string> DxCallForWsjtx(std::string_view call);

// The T/R period of a Status: its own, or the fixed one of its mode (WSJT-X
// leaves it unset in FT8, JT65, ...). Empty when neither is known.
std::optional<int> StatusPeriodSeconds(const Status& status);

class WsjtxFollower {
 public:
  explicit WsjtxFollower(FollowSettings settings = {}) : settings_(settings) {}

  FollowSettings& settings() { return settings_; }
  const FollowSettings& settings() const { return settings_; }

  // `radioDialHz`: the dial the radio works from, which the first Status's
  // dial is measured against. The DX station is taken when WSJT-X's call or
  // grid changes (so a station placed by hand stays until WSJT-X moves on);
  // the transmit state with every Status.
  FollowCommands OnStatus(const Status& status, double radioDialHz);

  // WSJT-X closed or another instance speaks: the next Status counts as a
  // first one.
  void Forget();

 private:
  FollowSettings settings_;
  std::string instance_;
  std::optional<std::string> lastCall_;
  std::optional<std::string> lastGrid_;
  std::optional<double> lastDialHz_;
};

// The moon for the DX station of a Status: its direction there and the
// two-station Doppler at WSJT-X's dial. Empty without a usable DX grid or
// outside the years with figures.
struct DxMoon {
  std::string locator;
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, west positive
  double azimuth = 0.0;    // degrees from north, at the DX station
  double elevation = 0.0;  // degrees
  std::optional<double> twoStationHz;  // empty without a dial frequency
  std::optional<double> echoHz;        // the home station's own echo
};
std::optional<DxMoon> DxMoonFigures(const RadioSite& home, const Status& status, std::int64_t utc);


}  // namespace kelvora::wsjtx

// The texts of the Radio panel, from the session's report and the figures.
// Every figure that is missing or not finite reads "-", never "nan".
#pragma once

#include <optional>
#include <string>

#include "common/result.h"
#include "control/doppler_control.h"
#include "control/radio_microwave.h"
#include "control/radio_session.h"

namespace kelvora {

struct RadioTexts {
  std::string echo;          // "+1737.3 Hz  (-11.4 Hz/min)"
  std::string dx;            // "-297.4 Hz  (-8.4 Hz/min)" or "no DX station"
  std::string figures;       // "accurate figures" / "standard figures" / "no figures"
  std::string wanted;        // "rx 1295998704  tx 1296001296"
  std::string sent;          // last accepted F and I
  std::string heard;         // the rig's receive frequency and PTT
  std::string tuned;         // the operator's last move of the dial
  std::string state;         // "tracking", "held", ... with the fault when there is one
  std::string link;          // the connection
};

// "1296000000": whole hertz, "-" for nothing or a non-finite value.
std::string HertzText(std::optional<double> hz);
// "+1737.3 Hz": signed, one decimal.
std::string ShiftText(std::optional<double> hz);

// Refused figures read "-" and "no figures for this moment".
RadioTexts MakeRadioTexts(const Result<DopplerFigures>& figures,
                          const std::optional<RadioReport>& report);

// The microwave figures at the dial, two lines:
//   spread "echo 168.5 Hz  path 22.8 Hz" (the libration spread, limb to limb)
//   delay  "echo 2.732 s  path 2.586 s  rx +1.595 Hz/s" (the receive
//          frequency's rate for the method; the echo's when it sends nothing)
// "-" when the accurate figures are refused.
struct MicrowaveTexts {
  std::string spread;
  std::string delay;
};
MicrowaveTexts MakeMicrowaveTexts(const Result<RadioMicrowave>& microwave);

// A dial frequency typed by the user, in Hz or with an exponent
// ("1296000000", "10368e6"); refused unless 0 < f < 300 GHz.
Result<double> ParseDialHz(std::string_view text);

}  // namespace kelvora

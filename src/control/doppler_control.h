// Keeping a radio on the moon's Doppler: the figures at any dial frequency,
// the four ways of working and the correction rule that decides, once a
// second, which frequencies to send to the rig. Pure: the caller reads the
// rig and the clock and carries the commands out.
//
// d_S below is the one-way Doppler of station S at the dial frequency f:
// -f * v_S / c, v_S the moon's topocentric range rate there (positive
// receding).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/result.h"

namespace kelvora {

// Nothing outside 0 < f < kHighestRadioHz is ever sent to a rig.
inline constexpr double kHighestRadioHz = 300e9;

// Dial frequencies of the moonbounce bands, Hz.
inline constexpr std::array<std::int64_t, 11> kBandPresetsHz = {
    50'000'000,    144'000'000,   222'000'000,    432'000'000,    903'000'000,   1'296'000'000,
    2'304'000'000, 3'400'000'000, 5'760'000'000, 10'368'000'000, 24'048'000'000};

// Tuning steps a rig may have, Hz; the correction moves the radio only by at
// least one step.
inline constexpr std::array<int, 4> kRigStepsHz = {1, 10, 20, 100};
bool IsRigStep(int hz);

// True when 0 < hz < kHighestRadioHz (so never for a NaN).
bool IsRadioFrequency(double hz);
// The refusal of a frequency IsRadioFrequency turns down, naming it.
Failure NotRadioFrequency(double hz);

enum class DopplerMethod {
  Off,        // figures only, the radio is not touched
  OwnEcho,    // transmit f, receive f + 2 d_home
  OnTheMoon,  // transmit f - d_home, receive f + d_home: everyone meets at f on the moon
  FullToDx,   // transmit f - (d_home + d_dx), receive f + (d_home + d_dx)
};

// "off", "echo", "moon", "dx" and back; any other name is refused.
Result<DopplerMethod> ParseDopplerMethod(std::string_view name);
const char* DopplerMethodName(DopplerMethod method);

struct RadioSite {
  double latitude;      // degrees, north positive
  double longitude;     // degrees, west positive
  double height = 0.0;  // metres above the ellipsoid (used by the accurate figures)
};

// The moon's topocentric range rates at one moment.
struct MoonRangeRates {
  double homeMps;                      // positive receding
  std::optional<double> dxMps;         // empty without a DX station
  double homeElevation;                // degrees, moon above the home horizon when > 0
  std::optional<double> dxElevation;   // degrees
  bool accurate = false;               // from the accurate figures, else the standard theory
};

// The standard theory's rates: each station's own distance to the moon,
// differenced half a minute either side (link/range_rate.h). Refused when the
// moment lies outside the years the theory covers or the home site is not one
// it can work with; a DX station it refuses is left without figures.
Result<MoonRangeRates> StandardMoonRangeRates(const RadioSite& home,
                                                     const std::optional<RadioSite>& dx,
                                                     std::int64_t utc);

// The accurate figures' rates (heights used), with the earth turned by the
// operator's UT1 - UTC in seconds. Refused, with their reason, outside the
// moments, sites and UT1 - UTC (precise::kMaxUt1MinusUtcS) they accept.
Result<MoonRangeRates> AccurateMoonRangeRates(const RadioSite& home,
                                              const std::optional<RadioSite>& dx,
                                              std::int64_t utc, double ut1MinusUtcS = 0.0);

// The rates the radio works from: the accurate figures from 1960 on, the
// standard ones before (FigureSourceAt in link/range_rate.h decides). The
// standard theory has no use for UT1 - UTC.
Result<MoonRangeRates> MoonRangeRatesAt(const RadioSite& home,
                                        const std::optional<RadioSite>& dx, std::int64_t utc,
                                        double ut1MinusUtcS = 0.0);

// -f * v / c, Hz: half the echo shift.
double OneWayDopplerHz(double rangeRateMps, double frequencyHz);

// What the window and `kelvora-cli doppler` show for one dial frequency.
struct DopplerFigures {
  double dialHz;
  double homeHz;                        // d_home
  std::optional<double> dxHz;           // d_dx
  double echoHz;                        // 2 d_home: the own echo's shift
  std::optional<double> twoStationHz;   // d_home + d_dx: the DX station's signal
  double echoPerMinuteHz;               // change of the echo shift over the next minute
  std::optional<double> twoStationPerMinuteHz;
  MoonRangeRates rates;
};

// Refused for a dial outside IsRadioFrequency or when the rates are.
Result<DopplerFigures> DopplerFiguresAt(const RadioSite& home, const std::optional<RadioSite>& dx,
                                        std::int64_t utc, double dialHz,
                                        double ut1MinusUtcS = 0.0);

struct RadioFrequencies {
  double receiveHz;
  double transmitHz;
};

// The receive and transmit frequencies a method asks for at dial f, from the
// one-way shifts. Empty for FullToDx without a DX shift.
std::optional<RadioFrequencies> MethodFrequencies(DopplerMethod method, double dialHz,
                                                  double homeHz, std::optional<double> dxHz);

enum class Ptt { Receiving, Transmitting, Unknown };

// What the rig reported in this period.
struct RigReadback {
  std::optional<double> receiveHz;  // the `f` answer, empty when it failed
  Ptt ptt = Ptt::Unknown;           // Unknown: the rig cannot tell (taken as receiving)
};

struct RadioControlSettings {
  DopplerMethod method = DopplerMethod::Off;
  double dialHz = 144'000'000;
  double transmitOffsetHz = 0.0;  // added to every transmit frequency (rigs whose tx and rx differ)
  int stepHz = 10;                // one of kRigStepsHz
  bool changesWhileTransmitting = true;
  int transmissionSeconds = 60;   // length of one transmission, for rigs that cannot change
};

enum class RadioState {
  Off,           // method off: nothing sent
  Tracking,      // corrections sent as needed
  Held,          // the operator holds: nothing sent
  Transmitting,  // rig keyed and unable to change: nothing sent until it receives
  NoDx,          // full correction without a DX station
  OutOfRange,    // a frequency would be NaN or outside 0 < f < 300 GHz
  NotConnected,  // rigctld is away: nothing is known of the rig
};
const char* RadioStateText(RadioState state);

// The commands of one period, in the order they go to the rig.
struct RadioStep {
  RadioState state = RadioState::Off;
  bool enableSplit = false;                // S 1 VFOB
  std::optional<std::int64_t> receiveHz;   // F
  std::optional<std::int64_t> transmitHz;  // I
  double operatorTunedHz = 0.0;            // how far the operator moved the dial this period
  bool rigDidNotFollow = false;            // the rig accepted F but still holds the old frequency
  std::optional<RadioFrequencies> wanted;  // what the method asks for now (transmit with offset)
};

// The correction rule. Frequencies count as on the rig only once it has
// accepted them (ReceiveAccepted, ...), so a refused command is neither
// mistaken for the operator's tuning nor forgotten.
class DopplerController {
 public:
  explicit DopplerController(const RadioControlSettings& settings);

  const RadioControlSettings& settings() const { return settings_; }
  double dialHz() const { return settings_.dialHz; }
  bool held() const { return held_; }
  std::optional<std::int64_t> lastReceiveHz() const { return lastReceive_; }
  std::optional<std::int64_t> lastTransmitHz() const { return lastTransmit_; }

  // Each returns false and changes nothing for a value out of its range.
  bool SetDial(double hz);
  bool SetStep(int hz);
  bool SetTransmitOffset(double hz);
  void SetMethod(DopplerMethod method);
  void SetChangesWhileTransmitting(bool changes) { settings_.changesWhileTransmitting = changes; }
  bool SetTransmissionSeconds(int seconds);

  // Hold stops all corrections; on release the frequency the rig then holds
  // is taken as the operator's, so nothing is pulled back.
  void Hold();
  void Release();

  // One period. `now` gives the receive shifts; `forTransmit` the transmit
  // shifts (the rates at the middle of a transmission starting now for a rig
  // that cannot change while transmitting, else the same as `now`).
  RadioStep Step(const MoonRangeRates& now, const MoonRangeRates& forTransmit,
                 const RigReadback& readback);

  void SplitAccepted() { splitOn_ = true; }
  bool SplitOn() const { return splitOn_; }
  // The tuning step in force: the set one, or the rig's own raster learned
  // from its read-backs when that is coarser.
  int EffectiveStep() const { return std::max(settings_.stepHz, learnedStepHz_); }
  void ReceiveAccepted(std::int64_t hz) { lastReceive_ = hz; }
  void TransmitAccepted(std::int64_t hz) { lastTransmit_ = hz; }
  // After a reconnection: the rig's state is unknown, so everything is sent
  // again and the first read-back is not taken for tuning.
  void Forget();

 private:
  RadioControlSettings settings_;
  bool held_ = false;
  bool reanchor_ = false;
  bool splitOn_ = false;
  std::optional<std::int64_t> lastReceive_;
  std::optional<std::int64_t> lastTransmit_;
  std::optional<double> previousHeard_;  // the read-back of the period before
  int learnedStepHz_ = 1;
  // The raster (a step of kRigStepsHz above 1 Hz) that turns `sent` into
  // `held`, or 0 when rounding does not explain the difference.
  static int RoundingStep(std::int64_t sent, std::int64_t held);
};

// Seconds ahead of now at which `forTransmit` is taken.
int TransmitLeadSeconds(const RadioControlSettings& settings);


}  // namespace kelvora

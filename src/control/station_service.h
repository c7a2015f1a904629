// Station control as one service: the rotator and the radio sessions with
// their one settings record. Each period reads the home station, the second
// station and the tracked source from the shared records, so whatever
// changes them (Setup, Station2, the directory, a map click) is followed at
// the next period by both devices. The window and the command line only
// show its reports and send it commands; neither keeps a copy.
//
// It leaves the antenna's reported direction in the shared tracking record
// (TrackingState::antenna) for the maps to draw while it runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "control/radio_microwave.h"
#include "control/radio_session.h"
#include "control/rotator_session.h"
#include "control/station_config.h"
#include "state/records.h"

namespace kelvora {

class StationService {
 public:
  StationService(TrackerModel& model, StationConfig config, HamlibClientTiming timing = {});
  ~StationService();
  StationService(const StationService&) = delete;
  StationService& operator=(const StationService&) = delete;

  const StationConfig& Config() const { return config_; }
  // Takes a new record: checked once here; an unusable one is refused with
  // the reason and changes nothing. A new host or port reconnects at once.
  Status Apply(const StationConfig& config);

  // --- rotator
  // Starts a rotator period at `utc` (every config.rotator.periodSeconds).
  const RotatorReport& RotatorPeriod(std::int64_t utc);
  // Done when tracking starts, else refused with why not (the target has no
  // position).
  Status Track();
  void Stop();
  // Done when the park went out or is pending, else refused with why not.
  Status Park();
  bool StopAndWait(std::chrono::milliseconds maxWait) { return rotator_->StopAndWait(maxWait); }
  const RotatorReport& Rotator() const { return rotator_->Report(); }
  // A problem of the service's own (the target), shown with the link's.
  const std::string& RotatorNote() const { return rotatorNote_; }

  // --- radio
  void TrackRadio(bool on);
  bool RadioTracking() const { return radio_ != nullptr; }
  void HoldRadio(bool on);
  // The digital-mode link's transmit state; empty gives the rig's own PTT.
  void SetTransmitting(std::optional<bool> transmitting);
  // The link's transmit/receive period in seconds: with it, a rig that cannot
  // change while transmitting gets its transmit side for the middle of the
  // next period. Empty: the rig's own transmission length, as set.
  void SetTransmitPeriod(std::optional<int> seconds) { transmitPeriodSeconds_ = seconds; }
  // Starts a radio period at `utc` (once a second); figures are worked out
  // even when not tracking.
  void RadioPeriod(std::int64_t utc);
  const RadioSession* Radio() const { return radio_.get(); }
  // The figures of the last radio period, or why there are none (refused
  // before the first period).
  const Result<DopplerFigures>& Figures() const { return figures_; }
  // The microwave figures at the dial (delays, spreads, rates), from the
  // accurate figures; refused outside their years, with the reason.
  const Result<RadioMicrowave>& Microwave() const { return microwave_; }

  // Takes the replies of both devices and sends what follows from them; the
  // window calls it every few tens of milliseconds, the command line too.
  void Poll();

 private:
  static Failure NoPeriodYet() { return Fail("no radio period has run yet"); }
  Result<RotatorTarget> BuildTarget() const;
  ControlSite Site() const;
  void MarkAntenna();
  void StartRadio();
  void CloseRadio();

  TrackerModel& model_;
  StationConfig config_;
  HamlibClientTiming timing_;
  std::unique_ptr<RotatorSession> rotator_;
  std::unique_ptr<RadioSession> radio_;
  std::unique_ptr<RadioSession> closingRadio_;  // putting split back
  std::chrono::steady_clock::time_point closingUntil_{};
  std::optional<bool> transmitting_;
  std::optional<int> transmitPeriodSeconds_;
  bool radioHeld_ = false;
  Result<DopplerFigures> figures_ = NoPeriodYet();
  Result<RadioMicrowave> microwave_ = NoPeriodYet();
  // The last period's frame, handed back so that a second's step is cheap.
  std::optional<precise::CelestialFrame> microwaveFrame_;
  std::string rotatorNote_;
  std::int64_t markUtc_ = 0;  // the rotator period's moment, for the sky map's mark
};

// The antenna mark for a true direction seen from `site` at UTC seconds.
AntennaMark AntennaMarkFor(AzEl direction, ControlSite site, std::int64_t utc);

}  // namespace kelvora

// The radio over rigctld: each period reads the rig's frequency (`f`) and
// PTT (`t`), lets the DopplerController decide, and sends what it asks for
// (`S 1 VFOB`, `F Hz`, `I Hz`), one command at a time on the shared Hamlib
// client. The first period on a connection reads the rig's split (`s`)
// before anything else, so a split the operator already has is left alone.
// Nothing here waits: the caller starts a period once a second and polls
// often (a timer in the window, a loop in the command line).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "control/doppler_control.h"
#include "control/hamlib_client.h"

namespace kelvora {

inline constexpr int kDefaultRigctldPort = 4532;

// What the window and the command line show about the radio.
struct RadioReport {
  LinkStatus link;
  RadioState state = RadioState::Off;
  std::optional<double> heardHz;           // the rig's receive frequency, last read
  Ptt ptt = Ptt::Unknown;
  bool pttReported = false;                // false: the rig cannot tell (RPRT -11 and the like)
  std::optional<RadioFrequencies> wanted;  // what the method asks for now
  std::optional<std::int64_t> sentReceiveHz;   // last accepted F
  std::optional<std::int64_t> sentTransmitHz;  // last accepted I
  double lastTunedHz = 0.0;                // the operator's last move of the dial
  std::string fault;                       // refusal of the last period, or the fault that
                                           // ended one; empty when the last one went well
  std::uint64_t periods = 0;               // periods completed
  std::uint64_t skippedPeriods = 0;        // not started: the previous one was still running
};

// The rates for one period: now for receiving, and for the transmit side the
// middle of a transmission starting now when the rig cannot change while it
// transmits. Refused, with the reason, outside the years and sites with figures.
// Both take the operator's UT1 - UTC for the accurate figures (MoonRangeRatesAt).
struct PeriodRates {
  MoonRangeRates now;
  MoonRangeRates forTransmit;
};
Result<PeriodRates> RatesForPeriod(const RadioControlSettings& settings, const RadioSite& home,
                                   const std::optional<RadioSite>& dx, std::int64_t utc,
                                   double ut1MinusUtcS = 0.0);

// The radio's rates when the transmit periods are known (from the digital-mode
// program): receive now, and the
// transmit side for the middle of the next period, which is the next
// transmission while this one receives (the single correction of a rig that
// cannot change while transmitting). Refused also for a period that is not
// a positive number of seconds.
Result<PeriodRates> RatesForTransmitPeriods(const RadioSite& home,
                                            const std::optional<RadioSite>& dx, std::int64_t utc,
                                            int periodSeconds, double ut1MinusUtcS = 0.0);

// "F 1296001234", "I 1296000000": whole hertz.
std::string FrequencyCommandText(char letter, std::int64_t hz);

class RadioSession {
 public:
  RadioSession(std::string host, int port, const RadioControlSettings& settings,
               HamlibClientTiming timing = {});

  DopplerController& control() { return control_; }
  const DopplerController& control() const { return control_; }
  const RadioReport& report() const { return report_; }
  const HamlibClient& client() const { return client_; }

  // Starts a period. Returns false, and counts it skipped, while the last
  // one is still running: a slow rig never builds a queue.
  bool StartPeriod(const PeriodRates& rates);
  // Takes the replies that arrived and sends the next command.
  void Poll();
  bool Busy() const { return phase_ != Phase::Idle; }

  // What another program (the digital-mode link) says about transmitting;
  // it takes the place of the rig's PTT read-back while set.
  void SetTransmitting(std::optional<bool> transmitting) { transmitting_ = transmitting; }
  // When tracking ends: split goes back off only if it was off when
  // tracking started (or the rig could not tell) and this session turned
  // it on; a split the operator had on stays on. True when the command went
  // out; the session should live until Idle.
  bool RestoreSplit();
  bool Idle() const { return client_.Idle(); }
  // How long a session whose tracking ended may take to put split back.
  static constexpr std::chrono::seconds kSplitRestoreWait{3};

 private:
  enum class Phase { Idle, ReadingSplit, ReadingFrequency, ReadingPtt, Sending };
  enum class Command { ReadSplit, ReadFrequency, ReadPtt, EnableSplit, SetReceive, SetTransmit };
  struct Outgoing {
    Command command;
    std::int64_t hz;
  };

  bool Send(Command command, std::int64_t hz = 0);
  void OnReply(const HamlibReply& reply);
  void Decide();
  void SendNext();
  void Abandon(const std::string& why);

  HamlibClient client_;
  DopplerController control_;
  RadioReport report_;
  Phase phase_ = Phase::Idle;
  std::optional<std::uint64_t> awaiting_;  // id of the command on the wire
  Outgoing current_{Command::ReadFrequency, 0};
  std::deque<Outgoing> queue_;
  PeriodRates rates_{};
  RigReadback readback_;
  std::string periodFault_;  // the refusal met in this period, shown when it ends
  std::optional<bool> transmitting_;
  bool splitRead_ = false;          // `s` answered on this connection
  bool splitUnanswerable_ = false;  // `s` timed out or came back garbled: not asked again
  std::optional<bool> splitFound_;  // the rig's split when tracking started
  bool turnedSplitOn_ = false;      // this session's `S 1 VFOB` was accepted
};

inline constexpr const char* kRigDidNotFollow = "the rig did not follow";

}  // namespace kelvora

#include "control/radio_session.h"

#include <string>
#include <utility>

#include "control/hamlib_protocol.h"

namespace kelvora {

Result<PeriodRates> RatesForPeriod(const RadioControlSettings& settings, const RadioSite& home,
                                   const std::optional<RadioSite>& dx, std::int64_t utc,
                                   double ut1MinusUtcS) {
  const Result<MoonRangeRates> now = MoonRangeRatesAt(home, dx, utc, ut1MinusUtcS);
  if (!now) return now.failure();
  const int lead = TransmitLeadSeconds(settings);
  if (lead == 0) return PeriodRates{*now, *now};
  const Result<MoonRangeRates> later = MoonRangeRatesAt(home, dx, utc + lead, ut1MinusUtcS);
  if (!later) return later.failure();
  return PeriodRates{*now, *later};
}

Result<PeriodRates> RatesForTransmitPeriods(const RadioSite& home,
                                            const std::optional<RadioSite>& dx, std::int64_t utc,
                                            int periodSeconds, double ut1MinusUtcS) {
  if (periodSeconds <= 0) {
    return Fail("the transmit period of " + std::to_string(periodSeconds) +
                " s is not a positive number of seconds");
  }
  const std::int64_t period = periodSeconds;
  // Periods start on whole multiples of their length, counted in UTC.
  const std::int64_t start = utc - ((utc % period) + period) % period;
  const std::int64_t nextMiddle = start + period + period / 2;
  const Result<MoonRangeRates> now = MoonRangeRatesAt(home, dx, utc, ut1MinusUtcS);
  if (!now) return now.failure();
  const Result<MoonRangeRates> later = MoonRangeRatesAt(home, dx, nextMiddle, ut1MinusUtcS);
  if (!later) return later.failure();
  return PeriodRates{*now, *later};
}

std::string FrequencyCommandText(char letter, std::int64_t hz) {
  return std::string(1, letter) + " " + std::to_string(hz);
}

RadioSession::RadioSession(std::string host, int port, const RadioControlSettings& settings,
                           HamlibClientTiming timing)
    : client_(std::move(host), port, timing), control_(settings) {
  report_.link = client_.Status();
}

bool RadioSession::StartPeriod(const PeriodRates& rates) {
  Poll();
  if (Busy()) {
    ++report_.skippedPeriods;
    return false;
  }
  rates_ = rates;
  readback_ = RigReadback{};
  if (client_.Status().state != LinkState::Connected) {
    // The rig's state is unknown until it answers again; the wanted
    // frequencies are still worked out for the display.
    control_.Forget();
    Decide();
    queue_.clear();
    // Whatever the method would do, nothing reaches the rig now, and what
    // it last read back belongs to the connection that is gone.
    if (report_.state != RadioState::Off) report_.state = RadioState::NotConnected;
    report_.heardHz.reset();
    report_.sentReceiveHz.reset();
    report_.sentTransmitHz.reset();
    report_.ptt = Ptt::Unknown;
    return true;
  }
  periodFault_.clear();
  const bool readSplit = !splitRead_ && !splitUnanswerable_;
  phase_ = readSplit ? Phase::ReadingSplit : Phase::ReadingFrequency;
  const Command first = readSplit ? Command::ReadSplit : Command::ReadFrequency;
  if (!Send(first)) Abandon("");
  return true;
}

bool RadioSession::Send(Command command, std::int64_t hz) {
  HamlibRequest request;
  switch (command) {
    case Command::ReadSplit:
      request = {"s", 2, false};  // "1" or "0", then the transmit VFO
      break;
    case Command::ReadFrequency:
      request = {"f", 1, true};
      break;
    case Command::ReadPtt:
      request = {"t", 1, true};
      break;
    case Command::EnableSplit:
      request = {"S 1 VFOB", 0, true};
      break;
    case Command::SetReceive:
      request = {FrequencyCommandText('F', hz), 0, true};
      break;
    case Command::SetTransmit:
      request = {FrequencyCommandText('I', hz), 0, true};
      break;
  }
  std::uint64_t id = 0;
  if (client_.Submit(std::move(request), RequestPriority::Routine, &id) != SubmitResult::Accepted) {
    return false;
  }
  awaiting_ = id;
  current_ = Outgoing{command, hz};
  return true;
}

void RadioSession::Poll() {
  while (std::optional<HamlibReply> reply = client_.TakeReply()) OnReply(*reply);
  report_.link = client_.Status();
  // Whatever the rig holds after a reconnection (a restarted daemon starts
  // afresh) was not the operator's doing.
  if (report_.link.state != LinkState::Connected) {
    control_.Forget();
    splitRead_ = false;
  }
}

void RadioSession::Abandon(const std::string& why) {
  // A command whose fate is unknown may or may not have reached the rig.
  control_.Forget();
  splitRead_ = false;
  queue_.clear();
  awaiting_.reset();
  phase_ = Phase::Idle;
  if (!why.empty()) report_.fault = why;
}

void RadioSession::OnReply(const HamlibReply& reply) {
  if (!awaiting_ || reply.id != *awaiting_) return;  // left over from an abandoned period
  awaiting_.reset();
  if (reply.outcome != ReplyOutcome::Ok && reply.outcome != ReplyOutcome::Refused) {
    // A rig whose `s` times out or is garbled would otherwise cost the
    // connection every period; its split is taken as off, like a refusal.
    if (current_.command == Command::ReadSplit && reply.outcome != ReplyOutcome::ConnectionLost) {
      splitUnanswerable_ = true;
    }
    Abandon(reply.command + ": " + reply.text);
    return;
  }
  const bool ok = reply.outcome == ReplyOutcome::Ok;
  switch (current_.command) {
    case Command::ReadSplit: {
      // A rig that cannot report split (RPRT -11) is taken as having it off.
      bool on = false;
      if (ok) {
        const Result<double> value = ParseStrictNumber(reply.lines.at(0));
        if (value) {
          on = *value != 0.0;
        } else {
          periodFault_ = "s: not a number: \"" + reply.lines.at(0) + "\"";
        }
      }
      splitRead_ = true;
      if (!splitFound_) splitFound_ = on;
      if (on) control_.SplitAccepted();
      phase_ = Phase::ReadingFrequency;
      if (!Send(Command::ReadFrequency)) Abandon("");
      return;
    }
    case Command::ReadFrequency:
      if (ok) {
        readback_.receiveHz = reply.values.at(0);
        report_.heardHz = readback_.receiveHz;
      } else {
        periodFault_ = "f: " + reply.text;
      }
      if (transmitting_) {
        readback_.ptt = report_.ptt = *transmitting_ ? Ptt::Transmitting : Ptt::Receiving;
        report_.pttReported = true;
        Decide();
        phase_ = Phase::Sending;
        SendNext();
        return;
      }
      phase_ = Phase::ReadingPtt;
      if (!Send(Command::ReadPtt)) Abandon("");
      return;
    case Command::ReadPtt:
      // A rig that cannot report PTT (Hamlib's simulator answers RPRT -11)
      // is taken as receiving.
      readback_.ptt = ok ? (reply.values.at(0) != 0.0 ? Ptt::Transmitting : Ptt::Receiving)
                         : Ptt::Unknown;
      if (transmitting_) readback_.ptt = *transmitting_ ? Ptt::Transmitting : Ptt::Receiving;
      report_.ptt = readback_.ptt;
      report_.pttReported = ok;
      Decide();
      phase_ = Phase::Sending;
      SendNext();
      return;
    case Command::EnableSplit:
      if (ok) {
        control_.SplitAccepted();
        turnedSplitOn_ = true;
      }
      break;
    case Command::SetReceive:
      if (ok) {
        control_.ReceiveAccepted(current_.hz);
        report_.sentReceiveHz = current_.hz;
      }
      break;
    case Command::SetTransmit:
      if (ok) {
        control_.TransmitAccepted(current_.hz);
        report_.sentTransmitHz = current_.hz;
      }
      break;
  }
  if (!ok) periodFault_ = reply.command + ": " + reply.text;
  SendNext();
}

void RadioSession::Decide() {
  const RadioStep step = control_.Step(rates_.now, rates_.forTransmit, readback_);
  report_.state = step.state;
  report_.wanted = step.wanted;
  if (step.operatorTunedHz != 0.0) report_.lastTunedHz = step.operatorTunedHz;
  if (step.rigDidNotFollow) periodFault_ = kRigDidNotFollow;
  queue_.clear();
  if (step.enableSplit) queue_.push_back({Command::EnableSplit, 0});
  if (step.receiveHz) queue_.push_back({Command::SetReceive, *step.receiveHz});
  if (step.transmitHz) queue_.push_back({Command::SetTransmit, *step.transmitHz});
}

bool RadioSession::RestoreSplit() {
  if (!turnedSplitOn_ || splitFound_.value_or(false)) return false;
  return client_.Submit({"S 0 VFOA", 0, true}, RequestPriority::Urgent) == SubmitResult::Accepted;
}

void RadioSession::SendNext() {
  if (queue_.empty()) {
    phase_ = Phase::Idle;
    report_.fault = periodFault_;
    ++report_.periods;
    return;
  }
  const Outgoing next = queue_.front();
  queue_.pop_front();
  if (!Send(next.command, next.hz)) Abandon("");
}

}  // namespace kelvora

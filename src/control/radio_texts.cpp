#include "control/radio_texts.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvora {

namespace {

constexpr const char* kNone = "-";

std::string Format(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string ShiftWithSpread(std::optional<double> hz, std::optional<double> perMinute) {
  return ShiftText(hz) + "  (" + ShiftText(perMinute) + "/min)";
}

std::optional<double> Finite(std::optional<double> value) {
  return value && std::isfinite(*value) ? value : std::nullopt;
}

std::optional<double> AsDouble(std::optional<std::int64_t> hz) {
  return hz ? std::optional<double>(static_cast<double>(*hz)) : std::nullopt;
}

}  // namespace

std::string HertzText(std::optional<double> hz) {
  hz = Finite(hz);
  return hz ? Format("%.0f", *hz) : kNone;
}

std::string ShiftText(std::optional<double> hz) {
  hz = Finite(hz);
  return hz ? Format("%+.1f Hz", *hz) : kNone;
}

RadioTexts MakeRadioTexts(const Result<DopplerFigures>& figures,
                          const std::optional<RadioReport>& report) {
  RadioTexts t;
  if (figures) {
    t.echo = ShiftWithSpread(figures->echoHz, figures->echoPerMinuteHz);
    t.dx = figures->twoStationHz
               ? ShiftWithSpread(figures->twoStationHz, figures->twoStationPerMinuteHz)
               : "no DX station";
    t.figures = figures->rates.accurate ? "accurate figures" : "standard figures";
    if (figures->rates.homeElevation <= 0.0) t.figures += ", moon below the horizon";
  } else {
    t.echo = t.dx = kNone;
    t.figures = "no figures for this moment";
  }
  if (!report) {
    t.wanted = t.sent = t.heard = t.tuned = kNone;
    t.state = "not tracking";
    t.link = "not connected";
    return t;
  }
  const RadioReport& r = *report;
  std::optional<double> rx;
  std::optional<double> tx;
  if (r.wanted) {
    rx = r.wanted->receiveHz;
    tx = r.wanted->transmitHz;
  }
  t.wanted = "rx " + HertzText(rx) + "  tx " + HertzText(tx);
  t.sent = "rx " + HertzText(AsDouble(r.sentReceiveHz)) + "  tx " +
           HertzText(AsDouble(r.sentTransmitHz));
  const char* ptt = !r.pttReported                  ? "PTT not reported (taken as receiving)"
                    : r.ptt == Ptt::Transmitting ? "transmitting"
                                                 : "receiving";
  t.heard = "rx " + HertzText(r.heardHz) + "  " + ptt;
  t.tuned = r.lastTunedHz == 0.0 ? std::string("-") : ShiftText(r.lastTunedHz);
  t.state = RadioStateText(r.state);
  if (!r.fault.empty()) t.state += ": " + r.fault;
  t.link = r.link.text.empty() ? std::string("not connected") : r.link.text;
  return t;
}

Result<double> ParseDialHz(std::string_view text) {
  const std::string_view typed = text;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [last, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
  if (text.empty() || ec != std::errc{} || last != end) {
    return Fail("'" + std::string(typed) + "' is not a frequency in Hz");
  }
  if (!IsRadioFrequency(value)) return NotRadioFrequency(value);
  return value;
}

MicrowaveTexts MakeMicrowaveTexts(const Result<RadioMicrowave>& microwave) {
  if (!microwave) return {kNone, kNone};
  const precise::MicrowaveFigures& f = microwave->figures;
  MicrowaveTexts t;
  t.spread = Format("echo %.1f Hz", f.echoSpreadHz);
  t.delay = Format("echo %.3f s", f.echoDelayS);
  if (f.pathSpreadHz) t.spread += Format("  path %.1f Hz", *f.pathSpreadHz);
  if (f.pathDelayS) t.delay += Format("  path %.3f s", *f.pathDelayS);
  const double rate = microwave->methodRatesHzPerS ? microwave->methodRatesHzPerS->receiveHz
                                                   : f.echoDopplerRateHzPerS;
  t.delay += Format("  rx %+.3f Hz/s", rate);
  return t;
}

}  // namespace kelvora

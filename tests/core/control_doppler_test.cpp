// The radio's Doppler correction: method frequencies, the update rule, the
// operator's hand, hold, PTT and the limits on what may be sent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "astro/moon.h"
#include "astro/sun.h"
#include "control/doppler_control.h"
#include "control/radio_microwave.h"
#include "link/doppler.h"
#include "precise/precise.h"

namespace kelvora {
namespace {

using precise::kSpeedOfLightMps;

constexpr double kF = 1'296'000'000;  // 1296 MHz dial
// Range rates chosen so that v / c is a round number: 299.792458 m/s is
// one part in a million, so at 1296 MHz d = -1296 Hz.
constexpr double kOnePpm = 299.792458;

MoonRangeRates Rates(double home, std::optional<double> dx = std::nullopt) {
  MoonRangeRates r{};
  r.homeMps = home;
  r.dxMps = dx;
  r.homeElevation = 30.0;
  return r;
}

struct MethodCase {
  const char* name;
  DopplerMethod method;
  std::optional<double> dxHz;
  double receiveHz;
  double transmitHz;
};

TEST(DopplerMethods, FrequenciesWorkedByHand) {
  // d_home = -1296 Hz (receding at one part in a million); d_dx = +648 Hz.
  const MethodCase cases[] = {
      // off: both on the dial.
      {"off", DopplerMethod::Off, std::nullopt, kF, kF},
      // own echo: rx f + 2 d_home = f - 2592, tx f.
      {"own_echo", DopplerMethod::OwnEcho, std::nullopt, kF - 2592, kF},
      // on the moon: rx f + d_home = f - 1296, tx f - d_home = f + 1296.
      {"on_the_moon", DopplerMethod::OnTheMoon, std::nullopt, kF - 1296, kF + 1296},
      // full to DX: d_home + d_dx = -648; rx f - 648, tx f + 648.
      {"full_to_dx", DopplerMethod::FullToDx, 648.0, kF - 648, kF + 648},
  };
  for (const MethodCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto f = MethodFrequencies(c.method, kF, OneWayDopplerHz(kOnePpm, kF), c.dxHz);
    ASSERT_TRUE(f.has_value());
    EXPECT_NEAR(f->receiveHz, c.receiveHz, 1e-6);
    EXPECT_NEAR(f->transmitHz, c.transmitHz, 1e-6);
  }
  EXPECT_FALSE(MethodFrequencies(DopplerMethod::FullToDx, kF, -1296, std::nullopt));
}

TEST(DopplerMethods, NamesAndLimits) {
  for (const char* name : {"off", "echo", "moon", "dx"}) {
    const auto method = ParseDopplerMethod(name);
    ASSERT_TRUE(method) << name;
    EXPECT_STREQ(DopplerMethodName(*method), name);
  }
  EXPECT_FALSE(ParseDopplerMethod("Echo"));
  EXPECT_FALSE(ParseDopplerMethod(""));
  EXPECT_TRUE(IsRadioFrequency(kBandPresetsHz.back()));
  EXPECT_FALSE(IsRadioFrequency(0.0));
  EXPECT_FALSE(IsRadioFrequency(300e9));
  EXPECT_FALSE(IsRadioFrequency(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(IsRigStep(5));
  EXPECT_TRUE(IsRigStep(20));
}

TEST(DopplerFigures, RatesAgainstReferenceAndTheMainWindow) {
  // 2000-01-01 12:00 UTC at 29.42 N 95.36 W: geometric topocentric range
  // rate -200.94 m/s (Swiss Ephemeris, central difference over +-30 s), so
  // the echo at 1296 MHz is 2 * 1296e6 * 200.94 / c = +1737.33 Hz.
  const std::int64_t noon = 946728000;
  const RadioSite home{29.42, 95.36};
  const RadioSite london{51.5, 0.1};

  // Accurate figures: within 0.06 m/s, about half a hertz here.
  const auto figures = DopplerFiguresAt(home, london, noon, kF);
  ASSERT_TRUE(figures);
  EXPECT_TRUE(figures->rates.accurate);
  EXPECT_NEAR(figures->echoHz, 1737.33, 0.6);
  EXPECT_DOUBLE_EQ(figures->echoHz, 2.0 * figures->homeHz);
  ASSERT_TRUE(figures->dxHz && figures->twoStationHz);
  EXPECT_DOUBLE_EQ(*figures->twoStationHz, figures->homeHz + *figures->dxHz);
  // The spread is the change over the next minute.
  const auto later = DopplerFiguresAt(home, london, noon + 60, kF);
  ASSERT_TRUE(later);
  EXPECT_NEAR(figures->echoPerMinuteHz, later->echoHz - figures->echoHz, 1e-9);
  EXPECT_NEAR(*figures->twoStationPerMinuteHz, *later->twoStationHz - *figures->twoStationHz,
              1e-9);

  // The standard theory: the station's own distance, differenced, is good to
  // half a metre per second (swetest: -200.94 m/s).
  const auto standard = StandardMoonRangeRates(home, london, noon);
  ASSERT_TRUE(standard);
  EXPECT_FALSE(standard->accurate);
  EXPECT_NEAR(standard->homeMps, -200.94, 0.5);

  // Before 1960 only the standard theory has figures; before 1901 none.
  const auto early = MoonRangeRatesAt(home, std::nullopt, -631152000);  // 1950
  ASSERT_TRUE(early);
  EXPECT_FALSE(early->accurate);
  EXPECT_FALSE(DopplerFiguresAt(home, std::nullopt, -3'000'000'000LL, kF));  // 1874
  EXPECT_FALSE(DopplerFiguresAt(home, std::nullopt, noon, 0.0));

  // One source for a moment and its spread: the last minute of 1959 stays
  // with the standard theory; the last minute of 2099 has figures, its
  // spread the change over the minute before.
  const std::int64_t end1959 = precise::kFirstPreciseSecond - 30;
  const auto before1960 = DopplerFiguresAt(home, std::nullopt, end1959, kF);
  const auto standardLater = StandardMoonRangeRates(home, std::nullopt, end1959 + 60);
  ASSERT_TRUE(before1960 && standardLater);
  EXPECT_FALSE(before1960->rates.accurate);
  EXPECT_NEAR(before1960->echoPerMinuteHz,
              2.0 * OneWayDopplerHz(standardLater->homeMps, kF) - before1960->echoHz, 1e-9);
  const std::int64_t end2099 = precise::kLastPreciseSecond - 30;
  const auto last = DopplerFiguresAt(home, std::nullopt, end2099, kF);
  const auto minuteBefore = DopplerFiguresAt(home, std::nullopt, end2099 - 60, kF);
  ASSERT_TRUE(last && minuteBefore);
  EXPECT_NEAR(last->echoPerMinuteHz, last->echoHz - minuteBefore->echoHz, 1e-9);
}

RadioControlSettings Settings(DopplerMethod method, int step = 10) {
  RadioControlSettings s;
  s.method = method;
  s.dialHz = kF;
  s.stepHz = step;
  return s;
}

// Carries a step out on a perfect rig, which accepts everything.
void Accept(DopplerController& control, const RadioStep& step) {
  if (step.enableSplit) control.SplitAccepted();
  if (step.receiveHz) control.ReceiveAccepted(*step.receiveHz);
  if (step.transmitHz) control.TransmitAccepted(*step.transmitHz);
}

RigReadback Heard(std::optional<std::int64_t> hz, Ptt ptt = Ptt::Unknown) {
  RigReadback r;
  if (hz) r.receiveHz = static_cast<double>(*hz);
  r.ptt = ptt;
  return r;
}

TEST(DopplerController, FirstStepSetsSplitAndBothFrequencies) {
  DopplerController control(Settings(DopplerMethod::OnTheMoon));
  const MoonRangeRates r = Rates(kOnePpm);
  const RadioStep step = control.Step(r, r, Heard(145'000'000));
  EXPECT_EQ(step.state, RadioState::Tracking);
  EXPECT_TRUE(step.enableSplit);
  EXPECT_EQ(step.receiveHz, std::optional<std::int64_t>(1'295'998'704));
  EXPECT_EQ(step.transmitHz, std::optional<std::int64_t>(1'296'001'296));
  EXPECT_EQ(step.operatorTunedHz, 0.0);  // the rig's old frequency is not tuning
  Accept(control, step);
  const RadioStep again = control.Step(r, r, Heard(1'295'998'704));
  EXPECT_FALSE(again.enableSplit);
  EXPECT_FALSE(again.receiveHz);
  EXPECT_FALSE(again.transmitHz);
}

TEST(DopplerController, SendsOnlyChangesOfAtLeastOneStep) {
  struct Case {
    const char* name;
    int step;
    double driftHz;  // change of d_home
    bool sent;
  } cases[] = {
      {"one_hz_rig_moves_by_one", 1, 1.0, true},
      {"ten_hz_rig_ignores_nine", 10, 9.0, false},
      {"ten_hz_rig_moves_by_ten", 10, 10.0, true},
      {"twenty_hz_rig_ignores_nineteen", 20, 19.0, false},
      {"hundred_hz_rig_moves_by_hundred", 100, 100.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DopplerController control(Settings(DopplerMethod::OnTheMoon, c.step));
    const MoonRangeRates r0 = Rates(kOnePpm);
    const RadioStep first = control.Step(r0, r0, Heard(std::nullopt));
    Accept(control, first);
    // d_home = -f v / c, so a change of drift hertz is drift * c / f in v.
    const MoonRangeRates r1 = Rates(kOnePpm - c.driftHz * kSpeedOfLightMps / kF);
    const RadioStep next = control.Step(r1, r1, Heard(*first.receiveHz));
    EXPECT_EQ(next.receiveHz.has_value(), c.sent);
    EXPECT_EQ(next.transmitHz.has_value(), c.sent);
    if (c.sent) {
      EXPECT_EQ(*next.receiveHz - *first.receiveHz, static_cast<std::int64_t>(c.driftHz));
      EXPECT_EQ(*next.transmitHz - *first.transmitHz, -static_cast<std::int64_t>(c.driftHz));
    }
  }
}

TEST(DopplerController, OperatorTuningMovesTheDialAndIsKept) {
  DopplerController control(Settings(DopplerMethod::OwnEcho));
  const MoonRangeRates r0 = Rates(kOnePpm);
  const RadioStep first = control.Step(r0, r0, Heard(std::nullopt));
  Accept(control, first);
  ASSERT_EQ(first.receiveHz, std::optional<std::int64_t>(1'295'997'408));  // f - 2592

  // The operator tunes up 500 Hz; meanwhile the echo moved down by 20 Hz.
  const MoonRangeRates r1 = Rates(kOnePpm + 10 * kSpeedOfLightMps / kF);
  const RadioStep tuned = control.Step(r1, r1, Heard(1'295'997'908));
  EXPECT_DOUBLE_EQ(tuned.operatorTunedHz, 500.0);
  EXPECT_DOUBLE_EQ(control.dialHz(), kF + 500);
  // Correction goes on from the operator's frequency: 20 Hz lower, never
  // back to where the program had put it.
  EXPECT_EQ(tuned.receiveHz, std::optional<std::int64_t>(1'295'997'888));
  EXPECT_EQ(tuned.transmitHz, std::optional<std::int64_t>(1'296'000'500));
  Accept(control, tuned);
  const RadioStep steady = control.Step(r1, r1, Heard(1'295'997'888));
  EXPECT_EQ(steady.operatorTunedHz, 0.0);
  EXPECT_FALSE(steady.receiveHz);

  // A rig that rounds to its step is not the operator.
  const RadioStep rounded = control.Step(r1, r1, Heard(1'295'997'880));
  EXPECT_EQ(rounded.operatorTunedHz, 0.0);
}

TEST(DopplerController, ARigThatAcknowledgesButStaysOrRoundsIsNotTheOperator) {
  // Own echo at 1296 MHz, 1 ppm receding: receive f - 2592 Hz, step 10 Hz.
  const MoonRangeRates r = Rates(kOnePpm);
  {
    SCOPED_TRACE("stays_at_145_MHz");
    DopplerController control(Settings(DopplerMethod::OwnEcho));
    Accept(control, control.Step(r, r, Heard(145'000'000)));
    // It said RPRT 0 to F but still holds 145 MHz, period after period.
    for (int period = 0; period < 3; ++period) {
      const RadioStep step = control.Step(r, r, Heard(145'000'000));
      EXPECT_TRUE(step.rigDidNotFollow);
      EXPECT_EQ(step.operatorTunedHz, 0.0);
      EXPECT_DOUBLE_EQ(control.dialHz(), kF);
      EXPECT_EQ(step.receiveHz, std::optional<std::int64_t>(1'295'997'408));
      Accept(control, step);
    }
  }
  {
    SCOPED_TRACE("rounds_to_100_Hz");
    // The echo drifts 10 Hz a period; the rig holds each F rounded to its
    // 100 Hz raster. Never the operator, and the raster is learned.
    DopplerController control(Settings(DopplerMethod::OwnEcho));
    std::int64_t held = 145'000'000;
    for (int period = 0; period < 30; ++period) {
      SCOPED_TRACE(period);
      const MoonRangeRates drift = Rates(kOnePpm - period * 5 * kSpeedOfLightMps / kF);
      const RadioStep step = control.Step(drift, drift, Heard(held));
      EXPECT_EQ(step.operatorTunedHz, 0.0);
      EXPECT_FALSE(step.rigDidNotFollow);
      EXPECT_DOUBLE_EQ(control.dialHz(), kF);
      Accept(control, step);
      if (step.receiveHz) held = (*step.receiveHz + 50) / 100 * 100;
    }
    EXPECT_EQ(control.EffectiveStep(), 100);
    // A real turn of the dial is still the operator's.
    const MoonRangeRates last = Rates(kOnePpm - 30 * 5 * kSpeedOfLightMps / kF);
    const RadioStep tuned = control.Step(last, last, Heard(held + 1000));
    EXPECT_NEAR(tuned.operatorTunedHz, 1000.0, 100.0);
  }
}

TEST(DopplerController, RefusedCommandIsNeitherTuningNorForgotten) {
  DopplerController control(Settings(DopplerMethod::OwnEcho));
  const MoonRangeRates r = Rates(kOnePpm);
  const RadioStep first = control.Step(r, r, Heard(145'000'000));
  // The rig refused everything (no Accepted calls): it still reads 145 MHz.
  const RadioStep retry = control.Step(r, r, Heard(145'000'000));
  EXPECT_EQ(retry.operatorTunedHz, 0.0);
  EXPECT_DOUBLE_EQ(control.dialHz(), kF);
  EXPECT_EQ(retry.receiveHz, first.receiveHz);
  EXPECT_TRUE(retry.enableSplit);
}

TEST(DopplerController, HoldStopsCorrectionAndReleaseKeepsTheRig) {
  DopplerController control(Settings(DopplerMethod::OnTheMoon));
  const MoonRangeRates r0 = Rates(kOnePpm);
  Accept(control, control.Step(r0, r0, Heard(std::nullopt)));
  control.Hold();
  // Held: the Doppler moves 50 Hz and the operator tunes 1 kHz; nothing sent.
  const MoonRangeRates r1 = Rates(kOnePpm + 50 * kSpeedOfLightMps / kF);
  const RadioStep held = control.Step(r1, r1, Heard(1'295'999'704));
  EXPECT_EQ(held.state, RadioState::Held);
  EXPECT_FALSE(held.receiveHz || held.transmitHz || held.enableSplit);

  control.Release();
  const RadioStep back = control.Step(r1, r1, Heard(1'295'999'704));
  EXPECT_EQ(back.state, RadioState::Tracking);
  EXPECT_FALSE(back.receiveHz);  // the operator's frequency stands
  // New dial: 1295999704 - d_home(-1346) = 1296001050; tx = dial + 1346.
  EXPECT_NEAR(control.dialHz(), 1'296'001'050, 1e-3);
  EXPECT_EQ(back.transmitHz, std::optional<std::int64_t>(1'296'002'396));
}

TEST(DopplerController, PttDecidesWhatMoves) {
  const MoonRangeRates now = Rates(kOnePpm);
  const MoonRangeRates middle = Rates(kOnePpm + 30 * kSpeedOfLightMps / kF);  // 30 Hz later
  struct Case {
    const char* name;
    bool changesWhileTransmitting;
    Ptt ptt;
    bool receiveSent;
    std::optional<std::int64_t> transmitHz;
    RadioState state;
  } cases[] = {
      // A rig that cannot report PTT is taken as receiving, split kept current.
      {"unknown_ptt_keeps_both", true, Ptt::Unknown, true, 1'296'001'296, RadioState::Tracking},
      {"receiving_keeps_both", true, Ptt::Receiving, true, 1'296'001'296, RadioState::Tracking},
      {"transmitting_moves_only_tx", true, Ptt::Transmitting, false, 1'296'001'296,
       RadioState::Tracking},
      // The split is set for the middle of the transmission, before it.
      {"fixed_rig_receiving_sets_middle", false, Ptt::Receiving, true, 1'296'001'326,
       RadioState::Tracking},
      {"fixed_rig_transmitting_sends_nothing", false, Ptt::Transmitting, false, std::nullopt,
       RadioState::Transmitting},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RadioControlSettings s = Settings(DopplerMethod::OnTheMoon);
    s.changesWhileTransmitting = c.changesWhileTransmitting;
    DopplerController control(s);
    const MoonRangeRates& tx = c.changesWhileTransmitting ? now : middle;
    const RadioStep step = control.Step(now, tx, Heard(1'296'000'000, c.ptt));
    EXPECT_EQ(step.state, c.state);
    EXPECT_EQ(step.receiveHz.has_value(), c.receiveSent);
    EXPECT_EQ(step.transmitHz, c.transmitHz);
    EXPECT_EQ(step.operatorTunedHz, 0.0);
  }
  RadioControlSettings fixed;
  fixed.changesWhileTransmitting = false;
  fixed.transmissionSeconds = 60;
  EXPECT_EQ(TransmitLeadSeconds(fixed), 30);
  EXPECT_EQ(TransmitLeadSeconds(RadioControlSettings{}), 0);
}

TEST(DopplerController, NothingOutsideTheRadioRangeIsSent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    double dialHz;
    double homeMps;
    double offsetHz;
    RadioState state;
  } cases[] = {
      {"nan_range_rate", kF, nan, 0.0, RadioState::OutOfRange},
      // 299.9999 GHz receding 1 ppm: transmit f + 300 kHz is above 300 GHz.
      {"above_300_ghz", 299'999'900'000.0, kOnePpm, 0.0, RadioState::OutOfRange},
      {"offset_below_zero", 50'000'000.0, kOnePpm, -60'000'000.0, RadioState::OutOfRange},
      {"inside", 24'048'000'000.0, kOnePpm, 0.0, RadioState::Tracking},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RadioControlSettings s = Settings(DopplerMethod::OnTheMoon);
    s.dialHz = c.dialHz;
    DopplerController control(s);
    ASSERT_TRUE(control.SetTransmitOffset(c.offsetHz));
    const MoonRangeRates r = Rates(c.homeMps);
    const RadioStep step = control.Step(r, r, Heard(std::nullopt));
    EXPECT_EQ(step.state, c.state);
    EXPECT_EQ(step.receiveHz.has_value(), c.state == RadioState::Tracking);
    EXPECT_EQ(step.transmitHz.has_value(), c.state == RadioState::Tracking);
  }
  DopplerController control(Settings(DopplerMethod::OwnEcho));
  EXPECT_FALSE(control.SetDial(nan));
  EXPECT_FALSE(control.SetDial(300e9));
  EXPECT_FALSE(control.SetStep(7));
  EXPECT_FALSE(control.SetTransmitOffset(nan));
  EXPECT_DOUBLE_EQ(control.dialHz(), kF);
}

TEST(DopplerController, OffAndMissingDxSendNothing) {
  const MoonRangeRates r = Rates(kOnePpm);
  DopplerController off(Settings(DopplerMethod::Off));
  const RadioStep idle = off.Step(r, r, Heard(145'000'000));
  EXPECT_EQ(idle.state, RadioState::Off);
  EXPECT_FALSE(idle.enableSplit || idle.receiveHz || idle.transmitHz);
  DopplerController dx(Settings(DopplerMethod::FullToDx));
  const RadioStep none = dx.Step(r, r, Heard(145'000'000));
  EXPECT_EQ(none.state, RadioState::NoDx);
  EXPECT_FALSE(none.enableSplit || none.receiveHz || none.transmitHz);
}

TEST(DopplerController, ForgetResendsAfterReconnection) {
  DopplerController control(Settings(DopplerMethod::OwnEcho));
  const MoonRangeRates r = Rates(kOnePpm);
  Accept(control, control.Step(r, r, Heard(std::nullopt)));
  control.Forget();
  // A restarted rig reads its own start frequency: resent, not tuning.
  const RadioStep step = control.Step(r, r, Heard(145'000'000));
  EXPECT_TRUE(step.enableSplit);
  EXPECT_EQ(step.receiveHz, std::optional<std::int64_t>(1'295'997'408));
  EXPECT_EQ(step.operatorTunedHz, 0.0);
}

// The radio panel's microwave figures: each method's frequencies move at
// the rate of the shifts it applies, transmit against receive; what cannot
// be worked out is refused, not guessed.
TEST(RadioMicrowave, MethodRatesAndRefusals) {
  const RadioSite home{29.42, 95.36, 0.0};
  const RadioSite dx{52.5, -13.4, 0.0};
  const std::int64_t utc = 946728000;
  const double dial = 10368e6;
  const auto echo = RadioMicrowaveAt(home, dx, utc, dial, DopplerMethod::OwnEcho);
  ASSERT_TRUE(echo && echo->methodRatesHzPerS);
  const double echoRate = echo->figures.echoDopplerRateHzPerS;
  const double pathRate = *echo->figures.pathDopplerRateHzPerS;
  struct Case {
    DopplerMethod method;
    double receive, transmit;
  };
  for (const Case& c :
       {Case{DopplerMethod::Off, 0.0, 0.0}, Case{DopplerMethod::OwnEcho, echoRate, 0.0},
        Case{DopplerMethod::OnTheMoon, echoRate / 2.0, -echoRate / 2.0},
        Case{DopplerMethod::FullToDx, pathRate, -pathRate}}) {
    SCOPED_TRACE(DopplerMethodName(c.method));
    const auto r = RadioMicrowaveAt(home, dx, utc, dial, c.method);
    ASSERT_TRUE(r && r->methodRatesHzPerS);
    EXPECT_NEAR(r->methodRatesHzPerS->receiveHz, c.receive, 1e-9);
    EXPECT_NEAR(r->methodRatesHzPerS->transmitHz, c.transmit, 1e-9);
  }
  EXPECT_FALSE(
      RadioMicrowaveAt(home, std::nullopt, utc, dial, DopplerMethod::FullToDx)->methodRatesHzPerS);
  EXPECT_FALSE(RadioMicrowaveAt(home, dx, utc, 0.0, DopplerMethod::OwnEcho));
  EXPECT_FALSE(RadioMicrowaveAt(home, dx, -400000000, dial, DopplerMethod::OwnEcho));
  EXPECT_FALSE(RadioMicrowaveAt(home, dx, utc, dial, DopplerMethod::OwnEcho, 1.2));
  for (const char* bad : {"", "1.5", "x", "0.1s", "nan"})
    EXPECT_FALSE(ParseUt1MinusUtc(bad)) << bad;
  const auto parsed = ParseUt1MinusUtc("-0.25");
  ASSERT_TRUE(parsed) << parsed.reason();
  EXPECT_EQ(*parsed, -0.25);
}

}  // namespace
}  // namespace kelvora

#include "plan/plan_export.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "astro/time_helpers.h"

namespace kelvora {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) return {};
  return std::string(buffer,
                     std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1));
}

std::string CivilText(std::int64_t seconds, const char* layout) {
  const Result<CivilTime> c = BreakDownTime(seconds);
  if (!c) return "----";
  return Format(layout, c->year, c->month, c->day, c->hour, c->minute, c->second);
}

std::string LocalText(std::int64_t utc, const PlanExportContext& context) {
  return CivilText(HomeLocalSeconds(utc, context.homeGmtOffsetHours),
                   "%04d-%02d-%02d %02d:%02d:%02d");
}

std::string Fixed1(double value) { return Format("%.1f", value); }

// An optional figure; empty text where there is none.
std::string OptionalText(const std::optional<double>& value, const char* format) {
  return value ? Format(format, *value) : std::string();
}

std::string Minutes(std::int64_t seconds) {
  return Format("%lld", static_cast<long long>(RoundedMinutes(seconds)));
}

std::string HoursMinutes(std::int64_t seconds) {
  const std::int64_t minutes = RoundedMinutes(seconds);
  return Format("%lld h %02lld min", static_cast<long long>(minutes / 60),
                static_cast<long long>(minutes % 60));
}

// Every comma-separated field that needs it is quoted, inner quotes doubled.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Joined(const TextTable& table, char separator, const char* lineEnd, bool quote) {
  std::string out;
  auto line = [&](const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) out += separator;
      out += quote ? CsvField(fields[i]) : fields[i];
    }
    out += lineEnd;
  };
  line(table.header);
  for (const auto& row : table.rows) line(row);
  return out;
}

std::string LookText(const WindowMoment& m) {
  return Format("home az %.1f° el %.1f°, DX az %.1f° el %.1f°, polarity offset %+.0f°",
                m.home.azimuth, m.home.elevation, m.dx.azimuth, m.dx.elevation, m.polarityOffset);
}

}  // namespace

std::string UtcIsoText(std::int64_t utc) {
  return CivilText(utc, "%04d-%02d-%02dT%02d:%02d:%02dZ");
}

std::string ShortTimeText(std::int64_t seconds) {
  const Result<CivilTime> c = BreakDownTime(seconds);
  if (!c) return "----";
  return Format("%04d-%02d-%02d %02d:%02d", c->year, c->month, c->day, c->hour, c->minute);
}

std::int64_t HomeLocalSeconds(std::int64_t utc, std::int32_t homeGmtOffsetHours) {
  return utc - GmtOffsetSeconds(homeGmtOffsetHours);
}

TextTable PlanTable(const SkedPlan& plan, const PlanExportContext& context) {
  TextTable table;
  table.header = {"start_utc",    "end_utc",  "start_local",       "end_local",
                  "duration_min", "best_utc", "best_common_el_deg"};
  for (const char* at : {"start", "middle", "end"}) {
    for (const char* what : {"home_az", "home_el", "dx_az", "dx_el", "polarity_offset"}) {
      table.header.push_back(std::string(what) + "_" + at + "_deg");
    }
  }
  for (const char* name :
       {"sky_temp_k", "degradation_middle_db", "degradation_worst_db", "sun_separation_deg",
        "sun_near", "doppler_start_hz", "doppler_end_hz", "score", "best", "spread_middle_hz",
        "spread_largest_hz", "path_delay_s"}) {
    table.header.emplace_back(name);
  }
  for (const SkedWindow& w : plan.windows) {
    std::vector<std::string> row = {UtcIsoText(w.startUtc),         UtcIsoText(w.endUtc),
                                    LocalText(w.startUtc, context), LocalText(w.endUtc, context),
                                    Minutes(w.DurationSeconds()),   UtcIsoText(w.bestUtc),
                                    Fixed1(w.bestElevation)};
    for (const WindowMoment* m : {&w.start, &w.middle, &w.end}) {
      for (const double value : {m->home.azimuth, m->home.elevation, m->dx.azimuth, m->dx.elevation,
                                 m->polarityOffset}) {
        row.push_back(Fixed1(value));
      }
    }
    row.push_back(Format("%.0f", w.skyTemperature));
    row.push_back(Format("%.2f", w.degradationMiddle));
    row.push_back(Format("%.2f", w.degradationWorst));
    row.push_back(Fixed1(w.sunSeparation));
    row.emplace_back(w.sunNear ? "yes" : "no");
    row.push_back(Format("%.0f", w.dopplerStartHz));
    row.push_back(Format("%.0f", w.dopplerEndHz));
    row.push_back(Fixed1(w.score));
    row.emplace_back(w.best ? "yes" : "no");
    row.push_back(OptionalText(w.spreadMiddleHz, "%.1f"));
    row.push_back(OptionalText(w.spreadLargestHz, "%.1f"));
    row.push_back(OptionalText(w.pathDelayS, "%.4f"));
    table.rows.push_back(std::move(row));
  }
  return table;
}

TextTable WorkListTable(const WorkList& list, const PlanExportContext& context) {
  TextTable table;
  table.header = {"call",
                  "locator",
                  "start_utc",
                  "end_utc",
                  "start_local",
                  "duration_min",
                  "in_progress",
                  "best_common_el_deg",
                  "degradation_worst_db",
                  "sun_near",
                  "score",
                  "spread_middle_hz",
                  "spread_largest_hz",
                  "path_delay_s"};
  for (const WorkableStation& row : list.rows) {
    const SkedWindow& w = row.window;
    table.rows.push_back(
        {row.station.call, row.station.locator, UtcIsoText(w.startUtc), UtcIsoText(w.endUtc),
         LocalText(w.startUtc, context), Minutes(w.DurationSeconds()),
         row.inProgress ? "yes" : "no", Fixed1(w.bestElevation), Format("%.2f", w.degradationWorst),
         w.sunNear ? "yes" : "no", Fixed1(w.score), OptionalText(w.spreadMiddleHz, "%.1f"),
         OptionalText(w.spreadLargestHz, "%.1f"), OptionalText(w.pathDelayS, "%.4f")});
  }
  return table;
}

std::string ToCsv(const TextTable& table) { return Joined(table, ',', "\r\n", true); }

std::string ToTabSeparated(const TextTable& table) { return Joined(table, '\t', "\n", false); }

std::string WindowDescription(const SkedWindow& w, const PlanExportContext& context) {
  std::string text;
  text += "Start: " + UtcIsoText(w.startUtc) + " (home local " + LocalText(w.startUtc, context) +
          ")" + (w.startsBeforeSpan ? ", already open" : "") + "\n";
  text += "End: " + UtcIsoText(w.endUtc) + " (home local " + LocalText(w.endUtc, context) + ")" +
          (w.endsAfterSpan ? ", runs on" : "") + "\n";
  text += "Duration: " + HoursMinutes(w.DurationSeconds()) + "\n";
  text +=
      Format("Best common elevation: %.1f° at ", w.bestElevation) + UtcIsoText(w.bestUtc) + "\n";
  text += "At start: " + LookText(w.start) + "\n";
  text += "At middle: " + LookText(w.middle) + "\n";
  text += "At end: " + LookText(w.end) + "\n";
  text += Format("Sky temperature: %.0f K\n", w.skyTemperature);
  text += Format("Degradation: %.2f dB middle, %.2f dB worst\n", w.degradationMiddle,
                 w.degradationWorst);
  text += Format("Moon-sun separation: %.1f°%s\n", w.sunSeparation,
                 w.sunNear ? " (sun noise in the beam)" : "");
  text += Format("Doppler at %.3f MHz: %+.0f Hz at start, %+.0f Hz at end\n",
                 context.frequencyHz / 1e6, w.dopplerStartHz, w.dopplerEndHz);
  if (w.spreadMiddleHz && w.spreadLargestHz && w.pathDelayS) {
    text += Format("Libration spread at %.3f MHz: %.1f Hz middle, %.1f Hz largest\n",
                   context.frequencyHz / 1e6, *w.spreadMiddleHz, *w.spreadLargestHz);
    text += Format("Path delay: %.3f s\n", *w.pathDelayS);
  }
  text += Format("Score: %.1f of 100%s\n", w.score, w.best ? " (best window)" : "");
  return text;
}

std::vector<CalendarEvent> PlanCalendarEvents(const SkedPlan& plan,
                                              const PlanExportContext& context) {
  std::vector<CalendarEvent> events;
  events.reserve(plan.windows.size());
  for (const SkedWindow& w : plan.windows) {
    events.push_back(CalendarEvent{
        Format("%lld-", static_cast<long long>(w.startUtc)) + context.homeLabel + "-" +
            context.dxLabel + "@kelvora-win",
        "EME sked " + context.homeLabel + " - " + context.dxLabel + (w.best ? " (best)" : "") +
            (w.sunNear ? " (sun near)" : ""),
        WindowDescription(w, context), w.startUtc, w.endUtc});
  }
  return events;
}

}  // namespace kelvora

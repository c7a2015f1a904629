// iCalendar output through the plugin kelvora-ical.so, loaded only when a
// command asks for --ics: the other commands never load libical and ICU.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "plan/plan_export.h"

namespace kelvora::cli {

struct ICalendarProblem {
  std::string message;  // one line, e.g. "cannot load .../kelvora/kelvora-ical.so: ..."
};

// The calendar text, or why it could not be written.
std::variant<std::string, ICalendarProblem> WriteICalendarWithPlugin(
    const std::vector<CalendarEvent>& events, std::int64_t stampUtc);

}  // namespace kelvora::cli

// iCalendar (RFC 5545) files written with libical. Only this folder links
// libical (and through it ICU): the window program links it as kelvora_ical,
// kelvora-cli loads it as the plugin kelvora-ical.so for --ics alone, so no
// other command pays for loading it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "plan/plan_export.h"

namespace kelvora {

// A calendar with the given events, times in UTC. stampUtc is every event's
// DTSTAMP (when the plan was made). A failure (kBroken) when libical cannot
// build it.
Result<std::string> WriteICalendar(const std::vector<CalendarEvent>& events,
                                          std::int64_t stampUtc);

// The sked plan as a calendar: one event per window, the figures in each
// event's description.
Result<std::string> ToICalendar(const SkedPlan& plan, const PlanExportContext& context,
                                std::int64_t stampUtc);

}  // namespace kelvora

// The plugin's one entry point, looked up by name after dlopen. The plugin is
// built from the same sources with the same compiler as kelvora-cli, so C++
// types may cross. Writes the calendar into *out and returns true, or returns
// false when libical cannot build it.
extern "C" bool kelvora_write_icalendar_v1(const kelvora::CalendarEvent* events, std::size_t count,
                                           std::int64_t stampUtc, std::string* out);

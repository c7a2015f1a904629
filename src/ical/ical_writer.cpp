#include "ical/ical_writer.h"

#include <libical/ical.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace kelvora {

namespace {

struct IcalFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

icaltimetype IcalUtc(std::int64_t utc) {
  return icaltime_from_timet_with_zone(static_cast<time_t>(utc), 0,
                                       icaltimezone_get_utc_timezone());
}

Failure Unbuilt() {
  return Fail("the calendar library could not build the calendar", FailureKind::kBroken);
}

}  // namespace

Result<std::string> WriteICalendar(const std::vector<CalendarEvent>& events,
                                   std::int64_t stampUtc) {
  std::unique_ptr<icalcomponent, IcalFree> calendar(
      icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                          icalproperty_new_prodid("-//Kelvora Win//Sked planner//EN"), nullptr));
  if (!calendar) return Unbuilt();
  for (const CalendarEvent& e : events) {
    icalcomponent* event = icalcomponent_vanew(
        ICAL_VEVENT_COMPONENT, icalproperty_new_uid(e.uid.c_str()),
        icalproperty_new_dtstamp(IcalUtc(stampUtc)), icalproperty_new_dtstart(IcalUtc(e.startUtc)),
        // The end is exclusive in iCalendar: one second past the last one.
        icalproperty_new_dtend(IcalUtc(e.endUtc + 1)), icalproperty_new_summary(e.summary.c_str()),
        icalproperty_new_description(e.description.c_str()), nullptr);
    if (!event) return Unbuilt();
    icalcomponent_add_component(calendar.get(), event);
  }
  char* text = icalcomponent_as_ical_string_r(calendar.get());
  if (text == nullptr) return Unbuilt();
  std::string out(text);
  std::free(text);
  return out;
}

}  // namespace kelvora

extern "C" bool kelvora_write_icalendar_v1(const kelvora::CalendarEvent* events, std::size_t count,
                                           std::int64_t stampUtc, std::string* out) {
  kelvora::Result<std::string> text =
      kelvora::WriteICalendar(std::vector<kelvora::CalendarEvent>(events, events + count), stampUtc);
  if (!text) return false;
  *out = std::move(*text);
  return true;
}

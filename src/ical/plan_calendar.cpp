#include "ical/ical_writer.h"

namespace kelvora {

Result<std::string> ToICalendar(const SkedPlan& plan, const PlanExportContext& context,
                                std::int64_t stampUtc) {
  return WriteICalendar(PlanCalendarEvents(plan, context), stampUtc);
}

}  // namespace kelvora

// Small texts the planner's tables and status line share.
#pragma once

#include <QString>
#include <cstdint>

#include "plan/plan_export.h"

namespace kelvora::gui {

// "1 window", "3 windows": the count with the right form of the noun.
inline QString CountText(long long count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// "h:mm", to the nearest minute (a half minute rounds up).
inline QString DurationText(std::int64_t seconds) {
  const std::int64_t minutes = RoundedMinutes(seconds);
  return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'));
}

}  // namespace kelvora::gui

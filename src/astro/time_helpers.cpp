#include "astro/time_helpers.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "astro/astro_internal.h"

namespace kelvora {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date (era-based
// civil-calendar arithmetic; exact for every representable year).
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

constexpr CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t kFirstSecond =
    DaysFromCivil(kFirstSupportedYear, 1, 1) * kSecondsPerDay;
constexpr std::int64_t kLastSecond =
    DaysFromCivil(kLastSupportedYear + 1, 1, 1) * kSecondsPerDay - 1;

constexpr std::array<const char*, 7> kWeekdayNames = {"Sun", "Mon", "Tue", "Wed",
                                                      "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The refusal of everything that needs the calendar, passed on by the
// astronomy routines built on it.
Failure OutsideSupportedYears() {
  return Fail("moment outside " + std::to_string(kFirstSupportedYear) + "-" +
              std::to_string(kLastSupportedYear));
}

}  // namespace

std::int64_t FirstSupportedSecond() { return kFirstSecond; }
std::int64_t LastSupportedSecond() { return kLastSecond; }

Result<CivilTime> BreakDownTime(std::int64_t seconds) {
  if (seconds < kFirstSecond || seconds > kLastSecond) return OutsideSupportedYears();
  const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(seconds - days * kSecondsPerDay);
  const CivilDate date = CivilFromDays(days);
  CivilTime civil{};
  civil.year = static_cast<int>(date.year);
  civil.month = date.month;
  civil.day = date.day;
  civil.hour = secondOfDay / 3600;
  civil.minute = secondOfDay / 60 % 60;
  civil.second = secondOfDay % 60;
  // 1970-01-01 was a Thursday.
  civil.weekday = static_cast<int>((days % 7 + 11) % 7);
  return civil;
}

Result<std::string> AscTimeText(std::int64_t seconds) {
  const auto civil = BreakDownTime(seconds);
  if (!civil) return civil.failure();
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.3s %.3s%3d %.2d:%.2d:%.2d %d",
                kWeekdayNames[static_cast<std::size_t>(civil->weekday)],
                kMonthNames[static_cast<std::size_t>(civil->month - 1)], civil->day, civil->hour,
                civil->minute, civil->second, civil->year);
  return std::string(text.data());
}

int DayNumber(int year, int month, int day) {
  // The three quotients are taken in double precision and truncated; for
  // every month they equal the integer quotients.
  const int q = static_cast<int>((month + 9) * 0.08333333333333333);
  const int leap = static_cast<int>((year + q) * 1.75);
  const int monthDays = static_cast<int>(month * 30.555555555555554);
  // Puts 1970-01-01 on kDayNumber1970.
  constexpr int kDayNumberOffset = 676534;
  return 367 * year - leap + monthDays + day - kDayNumberOffset;
}

double GreenwichSiderealHours(double daysSince1970) {
  const double whole = std::trunc(daysSince1970);
  const double fraction = daysSince1970 - whole;
  return internal::SiderealHours(whole + (kDayNumber1970 - kDayNumber1950), fraction, kDegToRad);
}

double FullArcTangent(double y, double x) { return internal::FullArcTangentPi(y, x, kPi); }

double FracTurns(double revolutions) {
  return (revolutions - std::trunc(revolutions)) * kTwoPi;
}

namespace internal {

// Greenwich mean sidereal time as a linear function of days from 1950-01-01
// 00:00: 6.67170278 h at the epoch, 0.0657098232 h gained per whole day
// (the daily excess of a sidereal over a solar day, taken modulo 24 h) and
// 24.0657098232 h per day of the day's fraction; plus the largest term of the
// equation of the equinoxes, 0.00029 h times the sine of the moon's node
// (372.1133 degrees at the epoch, moving back 0.0529539 degrees a day).
double SiderealHours(double d50, double fraction, double degToRad) {
  const double a = 0.0657098232 * d50;
  const double theta0 = a - 24 * std::trunc(a / 24) + 24.0657098232 * fraction + 6.67170278;
  // Longitude of the moon's node from the 1950 epoch, degrees, reduced by
  // whole turns before the sine (which it does not change).
  double node = 372.1133 - 0.0529539 * (d50 + fraction);
  node -= 360 * std::trunc(node / 360);
  const double theta = theta0 + 0.00029 * std::sin(node * degToRad);
  double hours = theta - 24 * std::trunc(theta / 24);
  // Before 1970 (and 1950) the truncations above leave a negative value.
  if (hours < 0) hours += 24;
  return hours;
}

double FullArcTangentPi(double y, double x, double pi) {
  if (x == 0) {
    if (y == 0) return 0;
    // atan(+-inf): the quarter turn.
    return y > 0 ? 1.5707963267948966 : -1.5707963267948966;
  }
  if (y == 0) return x < 0 ? pi : 0;
  const double sx = x > 0 ? 1 : -1;
  const double sy = y > 0 ? 1 : -1;
  const double k = std::trunc(sx - 0.5);
  return std::atan(y / x) - k * sy * pi;
}

double SafeAsin(double s) {
  if (s > 1) s = 1;
  if (s < -1) s = -1;
  return std::asin(s);
}

double SqrtOneMinusSquare(double s) {
  const double v = 1 - s * s;
  return v > 0 ? std::sqrt(v) : 0.0;
}

}  // namespace internal

}  // namespace kelvora

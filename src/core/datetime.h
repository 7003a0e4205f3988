// Local (wall-clock) date-time, as the configuration file and the logs hold it: no time zone,
// milliseconds since 1970-01-01 00:00 of the same calendar.
#pragma once

#include <compare>
#include <cstdint>

namespace zorvak {

struct CivilTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct DateTime {
  std::int64_t ms = 0;
  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

DateTime toDateTime(const CivilTime& c);
CivilTime toCivil(DateTime t);
bool isValidCivil(const CivilTime& c);
int daysInMonth(int year, int month);

// Whole seconds between two instants, truncated toward zero.
inline std::int64_t secondsBetween(DateTime from, DateTime to) { return (to.ms - from.ms) / 1000; }

}  // namespace zorvak

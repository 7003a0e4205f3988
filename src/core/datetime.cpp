#include "core/datetime.h"

namespace zorvak {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil-days algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t kMsPerDay = 86400000;

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

bool isValidCivil(const CivilTime& c) {
  return c.year >= 1 && c.year <= 9999 && c.month >= 1 && c.month <= 12 && c.day >= 1 &&
         c.day <= daysInMonth(c.year, c.month) && c.hour >= 0 && c.hour <= 23 && c.minute >= 0 &&
         c.minute <= 59 && c.second >= 0 && c.second <= 59 && c.millisecond >= 0 &&
         c.millisecond <= 999;
}

DateTime toDateTime(const CivilTime& c) {
  const std::int64_t days =
      daysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day));
  return DateTime{days * kMsPerDay + ((c.hour * 60 + c.minute) * 60 + c.second) * 1000LL +
                  c.millisecond};
}

CivilTime toCivil(DateTime t) {
  std::int64_t days = t.ms / kMsPerDay;
  std::int64_t rest = t.ms % kMsPerDay;
  if (rest < 0) rest += kMsPerDay, --days;
  CivilTime c;
  civilFromDays(days, c.year, c.month, c.day);
  c.millisecond = static_cast<int>(rest % 1000);
  rest /= 1000;
  c.second = static_cast<int>(rest % 60);
  rest /= 60;
  c.minute = static_cast<int>(rest % 60);
  c.hour = static_cast<int>(rest / 60);
  return c;
}

}  // namespace zorvak

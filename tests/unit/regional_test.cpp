#include "core/regional.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

const RegionalFormat kBrazil;  // dd/MM/yyyy HH:mm:ss
const RegionalFormat kUs{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};

TEST(RegionalFormat, FormatsDateAndTimeAndDropsTimeAtMidnight) {
  EXPECT_EQ(formatDateTime(kBrazil, toDateTime({2026, 12, 9, 15, 45, 0, 0})), "09/12/2026 15:45:00");
  EXPECT_EQ(formatDateTime(kBrazil, toDateTime({2026, 12, 9, 0, 0, 0, 0})), "09/12/2026");
  EXPECT_EQ(formatDateTime(kBrazil, toDateTime({2026, 12, 9, 0, 0, 0, 1})), "09/12/2026 00:00:00");
  EXPECT_EQ(formatDateTime(kUs, toDateTime({2026, 3, 4, 13, 5, 9, 0})), "3/4/2026 1:05:09 PM");
  EXPECT_EQ(formatDateTime(kUs, toDateTime({2026, 3, 4, 0, 5, 0, 0})), "3/4/2026 12:05:00 AM");
}

TEST(RegionalFormat, ParsesWhatItFormatsAndRefusesTheRest) {
  struct Case {
    const RegionalFormat* format;
    const char* text;
    std::optional<CivilTime> want;
  };
  const Case cases[] = {
      {&kBrazil, "09/12/2026 15:45:00", CivilTime{2026, 12, 9, 15, 45, 0, 0}},
      {&kBrazil, "9/1/2026 5:04:03", CivilTime{2026, 1, 9, 5, 4, 3, 0}},
      {&kBrazil, "09/12/2026", CivilTime{2026, 12, 9, 0, 0, 0, 0}},
      {&kBrazil, "09/12/2026 15:45", CivilTime{2026, 12, 9, 15, 45, 0, 0}},
      {&kBrazil, " 09/12/2026  15:45:00 ", CivilTime{2026, 12, 9, 15, 45, 0, 0}},
      {&kUs, "12/9/2026 3:45:00 PM", CivilTime{2026, 12, 9, 15, 45, 0, 0}},
      {&kBrazil, "12/9/2026 3:45:00 PM", std::nullopt},  // other regional settings
      {&kUs, "13/12/2026 15:45:00", std::nullopt},
      {&kBrazil, "12/31/2026 3:45:00 PM", std::nullopt},
      {&kBrazil, "31/02/2026", std::nullopt},
      {&kBrazil, "09/12/2026 24:00:00", std::nullopt},
      {&kBrazil, "09/12", std::nullopt},
      {&kBrazil, "09/12/2026 15", std::nullopt},
      {&kBrazil, "09/12/2026 15:45:00x", std::nullopt},
      {&kBrazil, "", std::nullopt},
      {&kBrazil, "abc", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = parseDateTime(*c.format, c.text);
    ASSERT_EQ(got.has_value(), c.want.has_value()) << c.text;
    if (got) {
      EXPECT_EQ(*got, toDateTime(*c.want)) << c.text;
    }
  }
}

TEST(DateTime, CivilConversionsAgree) {
  for (const CivilTime c : {CivilTime{1970, 1, 1}, CivilTime{2000, 2, 29, 23, 59, 59, 999},
                            CivilTime{1899, 12, 30}, CivilTime{2038, 1, 19, 3, 14, 8}}) {
    const CivilTime back = toCivil(toDateTime(c));
    EXPECT_EQ(toDateTime(back), toDateTime(c));
    EXPECT_EQ(back.day, c.day);
    EXPECT_EQ(back.hour, c.hour);
  }
  EXPECT_EQ(secondsBetween(toDateTime({2026, 1, 1, 0, 0, 0}), toDateTime({2026, 1, 1, 0, 20, 0})), 1200);
}

}  // namespace
}  // namespace zorvak

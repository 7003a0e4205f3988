#include "wizard/account.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/virtual_clock.h"

namespace zorvak::wizard {
namespace {

TEST(GetNewID, GroupsFromTheDateAndTimePartsPlusZeroTo99) {
  const CivilTime t{2024, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(GetNewID("ZV", t, [] { return 0; }), "ZV7E8010203040506");
  EXPECT_EQ(GetNewID("ZV", t, [] { return 99; }), "ZV84B646566676869");
  // A millisecond sum past 255 gives a third digit: 18 characters instead of 17.
  EXPECT_EQ(GetNewID("ZV", {2024, 12, 31, 23, 59, 59, 999}, [] { return 99; }), "ZV84B6F827A9E9E44A");
  const std::regex shape("ZV[0-9A-F]{3}([0-9A-F]{2}){5}[0-9A-F]{2,3}");
  test::VirtualClock clock;
  for (int i = 0; i < 50; ++i) {
    clock.advance(37);
    const std::string id = GetNewID("ZV", clock);
    EXPECT_TRUE(std::regex_match(id, shape)) << id;
    EXPECT_TRUE(id.size() == 17 || id.size() == 18) << id;
  }
}

TEST(MaskedText, LiteralsStayAndEmptySlotsReadAsBlanks) {
  MaskedText m(kWhatsMask);
  EXPECT_EQ(m.text(), "(  )     -    ");
  EXPECT_EQ(m.display(), "(__)_____-____");
  std::size_t pos = 0;
  for (char c : std::string("11x98765432199")) {
    if (auto next = m.type(pos, c)) pos = *next;
  }
  EXPECT_EQ(m.text(), "(11)98765-4321");  // the letter is refused, the extra digit finds no slot
  m.erase(4, 9);
  EXPECT_EQ(m.text(), "(11)     -4321");
  m.assign("(21) 3333-4444");
  EXPECT_EQ(m.text(), "(21)33334-444 ");
  m.assign("");
  EXPECT_EQ(m.text(), "(  )     -    ");
  EXPECT_EQ(m.previousSlot(4), 2u);
  EXPECT_EQ(m.nextSlot(3), 4u);
}

TEST(DidedIni, OneFolderPerLineInWindows1252) {
  EXPECT_EQ(DidedIniBytes({"C:\\ZedozIze\\", "D:\\São Paulo\\"}), "C:\\ZedozIze\\\r\nD:\\S\xe3o Paulo\\\r\n");
  EXPECT_EQ(DidedIniBytes({}), "");
}

}  // namespace
}  // namespace zorvak::wizard

#include "core/integer.h"

#include <gtest/gtest.h>

namespace zorvak {
namespace {

TEST(ParseInteger, DecimalAndHexFormsOnly) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"0", 0}, {"15", 15}, {"-7", -7}, {"+3", 3}, {"0x1F", 31}, {"0XFF", 255},
      {"0xFFFFFFFF", -1}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt}, {"0x100000000", std::nullopt}, {"", std::nullopt},
      {"-", std::nullopt}, {"0x", std::nullopt}, {" 5", std::nullopt}, {"5 ", std::nullopt},
      {"1e3", std::nullopt}, {"abc", std::nullopt}, {"01", 1},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(parseInteger(text), want) << text;
}

}  // namespace
}  // namespace zorvak

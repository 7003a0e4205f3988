#include "core/text.h"

#include <gtest/gtest.h>

namespace zorvak::text {
namespace {

TEST(Cp1252, RoundTripsEveryByteAndReplacesOutsiders) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(toCp1252(fromCp1252(all)), all);
  EXPECT_EQ(toCp1252("São João €"), "S\xe3o Jo\xe3o \x80");
  EXPECT_EQ(toCp1252("一 ok"), "? ok");
  EXPECT_EQ(toCp1252("\xff\xfe broken"), "?? broken");  // not UTF-8 at all
  EXPECT_EQ(fromCp1252("Verifica\xe7\xe3o"), "Verificação");
}

TEST(Utf8, MalformedSequencesDecodeAsReplacement) {
  const std::pair<std::string, std::u32string> cases[] = {
      {"\xc3", U"\xfffd"},                 // truncated
      {"\xe0\x80\x80", U"\xfffd\xfffd\xfffd"},  // overlong
      {"\xed\xa0\x80", U"\xfffd\xfffd\xfffd"},  // surrogate
      {"a\xf0\x9f\x98\x80", U"a\U0001F600"},
  };
  for (const auto& [in, want] : cases) {
    std::u32string got;
    for (std::size_t pos = 0; pos < in.size();) got += decodeUtf8(in, pos);
    EXPECT_EQ(got, want) << in;
  }
}

TEST(Text, TrimCaseAndPrefix) {
  EXPECT_EQ(trim(" \t x y \r\n"), "x y");
  EXPECT_TRUE(equalsNoCase("Config", "CONFIG"));
  EXPECT_TRUE(equalsNoCase("ação", "AÇÃO"));
  EXPECT_FALSE(equalsNoCase("Config", "Configs"));
  EXPECT_EQ(prefixChars("ãbc", 2), "ãb");
}

}  // namespace
}  // namespace zorvak::text

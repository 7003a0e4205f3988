#include "core/text.h"

namespace zorvak::text {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves unassigned.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t cp1252Char(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
  return b;
}

int cp1252Byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == 0 ? c == char32_t(0x80 + i) : c == kHigh[i]) return 0x80 + i;
  }
  return -1;
}

char32_t foldCase(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

}  // namespace

char32_t decodeUtf8(std::string_view s, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char b0 = byte(pos);
  int extra;
  char32_t c;
  if (b0 < 0x80) {
    ++pos;
    return b0;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, c = b0 & 0x07;
  } else {
    ++pos;
    return 0xFFFD;
  }
  if (pos + extra >= s.size()) {
    ++pos;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    c = (c << 6) | (b & 0x3F);
  }
  const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return 0xFFFD;
  }
  pos += extra + 1;
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string toCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = decodeUtf8(utf8, pos);
    const int b = cp1252Byte(c);
    // Windows converts UTF-16 units: a character beyond the BMP is two of them, so two "?".
    if (b < 0) out += c >= 0x10000 ? "??" : "?";
    else out += static_cast<char>(b);
  }
  return out;
}

std::string fromCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char b : bytes) appendUtf8(out, cp1252Char(static_cast<unsigned char>(b)));
  return out;
}

std::string_view trim(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (foldCase(decodeUtf8(a, i)) != foldCase(decodeUtf8(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

std::string_view prefixChars(std::string_view utf8, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < utf8.size(); ++n) decodeUtf8(utf8, pos);
  return utf8.substr(0, pos);
}

}  // namespace zorvak::text

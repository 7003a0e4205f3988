#include "core/regional.h"

#include <cctype>
#include <vector>

#include "core/text.h"

namespace zorvak {
namespace {

struct Token {
  char letter = 0;  // 0 for a literal
  int count = 0;
  std::string literal;
};

std::vector<Token> tokenize(std::string_view pattern) {
  std::vector<Token> out;
  auto addLiteral = [&](char c) {
    if (out.empty() || out.back().letter != 0) out.push_back({});
    out.back().literal += c;
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'' || c == '"') {
      const std::size_t close = pattern.find(c, i + 1);
      const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
      for (std::size_t k = i + 1; k < end; ++k) addLiteral(pattern[k]);
      i = end + 1;
      continue;
    }
    if (std::string_view("dMyhHmst").find(c) != std::string_view::npos) {
      std::size_t j = i;
      while (j < pattern.size() && pattern[j] == c) ++j;
      out.push_back({c, static_cast<int>(j - i), {}});
      i = j;
      continue;
    }
    addLiteral(c);
    ++i;
  }
  return out;
}

void appendNumber(std::string& out, int value, int width) {
  std::string digits = std::to_string(value);
  while (static_cast<int>(digits.size()) < width) digits.insert(digits.begin(), '0');
  out += digits;
}

// Reads the fields of `pattern` from `text` at `pos`. Numbers take 1 to 2 digits (4 for a
// year); a blank in the pattern takes any run of blanks; other literals must match exactly.
bool parsePattern(std::string_view pattern, std::string_view text, std::size_t& pos, CivilTime& c,
                  const RegionalFormat& f, int& fieldsRead, bool allowPartial) {
  bool pm = false, hasAmPm = false;
  fieldsRead = 0;
  for (const Token& t : tokenize(pattern)) {
    if (pos >= text.size()) {
      if (!allowPartial || fieldsRead < 2) return false;
      break;
    }
    if (t.letter == 0) {
      for (char lc : t.literal) {
        if (lc == ' ') {
          if (pos >= text.size() || text[pos] != ' ') return false;
          while (pos < text.size() && text[pos] == ' ') ++pos;
        } else {
          if (pos >= text.size() || text[pos] != lc) return false;
          ++pos;
        }
      }
      continue;
    }
    if (t.letter == 't') {
      auto match = [&](const std::string& word) {
        const std::string_view have = text.substr(pos, word.size());
        return !word.empty() && text::equalsNoCase(have, word);
      };
      if (match(f.am)) {
        pos += f.am.size();
      } else if (match(f.pm)) {
        pos += f.pm.size(), pm = true;
      } else {
        return false;
      }
      hasAmPm = true;
      continue;
    }
    const int maxDigits = t.letter == 'y' && t.count > 2 ? 4 : 2;
    int value = 0, digits = 0;
    while (pos < text.size() && digits < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      value = value * 10 + (text[pos] - '0');
      ++pos, ++digits;
    }
    if (digits == 0) return false;
    switch (t.letter) {
      case 'd': c.day = value; break;
      case 'M': c.month = value; break;
      case 'y': c.year = digits <= 2 ? (value < 50 ? 2000 + value : 1900 + value) : value; break;
      case 'h': case 'H': c.hour = value; break;
      case 'm': c.minute = value; break;
      case 's': c.second = value; break;
    }
    ++fieldsRead;
  }
  if (hasAmPm) {
    if (c.hour < 1 || c.hour > 12) return false;
    c.hour = (c.hour % 12) + (pm ? 12 : 0);
  }
  return true;
}

}  // namespace

std::string formatPattern(std::string_view pattern, const CivilTime& c, const RegionalFormat& f) {
  std::string out;
  for (const Token& t : tokenize(pattern)) {
    switch (t.letter) {
      case 0: out += t.literal; break;
      case 'd': appendNumber(out, c.day, t.count >= 2 ? 2 : 1); break;
      case 'M': appendNumber(out, c.month, t.count >= 2 ? 2 : 1); break;
      case 'y':
        if (t.count <= 2) appendNumber(out, c.year % 100, t.count);
        else appendNumber(out, c.year, 4);
        break;
      case 'H': appendNumber(out, c.hour, t.count >= 2 ? 2 : 1); break;
      case 'h': appendNumber(out, c.hour % 12 == 0 ? 12 : c.hour % 12, t.count >= 2 ? 2 : 1); break;
      case 'm': appendNumber(out, c.minute, t.count >= 2 ? 2 : 1); break;
      case 's': appendNumber(out, c.second, t.count >= 2 ? 2 : 1); break;
      case 't': {
        const std::string& word = c.hour < 12 ? f.am : f.pm;
        out += t.count == 1 ? word.substr(0, 1) : word;
        break;
      }
    }
  }
  return out;
}

std::string formatDateTime(const RegionalFormat& f, DateTime t) {
  const CivilTime c = toCivil(t);
  std::string out = formatPattern(f.shortDate, c, f);
  if (c.hour != 0 || c.minute != 0 || c.second != 0 || c.millisecond != 0) {
    out += ' ';
    out += formatPattern(f.longTime, c, f);
  }
  return out;
}

std::optional<DateTime> parseDateTime(const RegionalFormat& f, std::string_view text) {
  text = text::trim(text);
  if (text.empty()) return std::nullopt;
  CivilTime c;
  std::size_t pos = 0;
  int fields = 0;
  if (!parsePattern(f.shortDate, text, pos, c, f, fields, false)) return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != ' ') return std::nullopt;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (!parsePattern(f.longTime, text, pos, c, f, fields, true)) return std::nullopt;
  }
  if (pos != text.size() || !isValidCivil(c)) return std::nullopt;
  return toDateTime(c);
}

}  // namespace zorvak

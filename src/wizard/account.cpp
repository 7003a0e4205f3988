#include "wizard/account.h"

#include <cstdio>
#include <optional>
#include <random>

#include "core/text.h"

namespace zorvak::wizard {

std::string GetNewID(std::string_view prefix, const CivilTime& t, const std::function<int()>& random0to99) {
  std::string out(prefix);
  for (int part : {t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond}) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2X", static_cast<unsigned>(part + random0to99()));
    out += buf;
  }
  return out;
}

std::string GetNewID(std::string_view prefix, ports::Clock& clock) {
  const DateTime now = clock.now();
  std::mt19937 generator(static_cast<std::uint32_t>(now.ms ^ (clock.monotonicMs() << 7)));
  std::uniform_int_distribution<int> dist(0, 99);
  return GetNewID(prefix, toCivil(now), [&] { return dist(generator); });
}

MaskedText::MaskedText(std::string_view mask) {
  // "pattern;save literals;blank": only the pattern and the blank character matter here.
  const std::size_t first = mask.find(';');
  const std::string_view pattern = mask.substr(0, first);
  if (first != std::string_view::npos) {
    const std::size_t second = mask.find(';', first + 1);
    if (second != std::string_view::npos && second + 1 < mask.size()) blank_ = mask[second + 1];
  }
  pattern_ = std::string(pattern);
  text_ = pattern_;
  for (char& c : text_) {
    if (c == '9') c = ' ';
  }
}

std::string MaskedText::display() const {
  std::string out = text_;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (isSlot(i) && out[i] == ' ') out[i] = blank_;
  }
  return out;
}

std::size_t MaskedText::nextSlot(std::size_t pos) const {
  while (pos < pattern_.size() && !isSlot(pos)) ++pos;
  return pos;
}

std::size_t MaskedText::previousSlot(std::size_t pos) const {
  while (pos > 0) {
    --pos;
    if (isSlot(pos)) return pos;
  }
  return std::string::npos;
}

std::optional<std::size_t> MaskedText::type(std::size_t pos, char c) {
  if (c < '0' || c > '9') return std::nullopt;
  const std::size_t slot = nextSlot(pos);
  if (slot >= pattern_.size()) return std::nullopt;
  text_[slot] = c;
  return nextSlot(slot + 1);
}

void MaskedText::erase(std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to && i < text_.size(); ++i) {
    if (isSlot(i)) text_[i] = ' ';
  }
}

void MaskedText::assign(std::string_view s) {
  erase(0, text_.size());
  std::size_t pos = 0;
  for (char c : s) {
    if (auto next = type(pos, c)) pos = *next;
  }
}

std::string DidedIniBytes(const std::vector<std::string>& folders) {
  std::string out;
  for (const std::string& f : folders) out += text::toCp1252(f) + "\r\n";
  return out;
}

}  // namespace zorvak::wizard

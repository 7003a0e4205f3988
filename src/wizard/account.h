// The account key, the masked WhatsApp text and the Dided.ini record of the chosen folders.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"
#include "ports/clock.h"

namespace zorvak::wizard {

// The prefix and seven upper-case hexadecimal groups (at least two digits each): year, month,
// day, hour, minute, second and millisecond, each plus a random 0 to 99 from `random0to99`.
std::string GetNewID(std::string_view prefix, const CivilTime& t, const std::function<int()>& random0to99);
// The same from the clock's time, the generator seeded from the clock.
std::string GetNewID(std::string_view prefix, ports::Clock& clock);

// A masked edit's text for a mask like "(99)99999-9999;1;_": digits go into the "9" slots,
// literals stay where they are, and the text as read keeps the literals with a blank in every
// empty slot (an empty box reads "(  )     -    ").
class MaskedText {
 public:
  explicit MaskedText(std::string_view mask);

  const std::string& text() const { return text_; }  // as read: blanks in the empty slots
  std::string display() const;                          // as shown: the blank character instead
  std::size_t size() const { return pattern_.size(); }
  bool isSlot(std::size_t pos) const { return pos < pattern_.size() && pattern_[pos] == '9'; }

  // Puts a digit at the first slot at or after `pos`; returns the position after it, or
  // nothing when `c` is no digit or no slot is left.
  std::optional<std::size_t> type(std::size_t pos, char c);
  // Empties the slots in [from, to).
  void erase(std::size_t from, std::size_t to);
  // Fills the slots in order from the digits of `s` (a paste, or a WM_SETTEXT).
  void assign(std::string_view s);
  // The first slot at or after `pos` (or size() when none is left).
  std::size_t nextSlot(std::size_t pos) const;
  std::size_t previousSlot(std::size_t pos) const;  // the last slot before `pos`, or npos

 private:
  std::string pattern_;  // '9' for a slot, the literal otherwise
  std::string text_;
  char blank_ = '_';
};

inline constexpr const char* kWhatsMask = "(99)99999-9999;1;_";

// Dided.ini: one folder per line, CR LF after each, in the ANSI code page (Windows-1252).
std::string DidedIniBytes(const std::vector<std::string>& folders);

}  // namespace zorvak::wizard

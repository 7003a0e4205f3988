#include "agent/interval.h"

#include "core/integer.h"
#include "core/text.h"

namespace zorvak::agent {

std::int32_t ComputeInterval(std::string_view text) {
  const std::int64_t number = text.size() >= 2 ? parseInteger(text.substr(1)).value_or(5) : 5;
  const std::string_view trimmed = text::trim(text);
  const char letter = trimmed.empty() ? '\0' : trimmed.front();
  std::int64_t unit;
  if (letter == 'M') unit = 60000;
  else if (letter == 'H') unit = 3600000;
  else return kDefaultIntervalMs;
  const std::int64_t ms = number * unit;
  if (ms < 0) return kDefaultIntervalMs;
  if (ms > INT32_MAX) return INT32_MAX;
  return static_cast<std::int32_t>(ms);
}

}  // namespace zorvak::agent

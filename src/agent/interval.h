#pragma once

#include <cstdint>
#include <string_view>

namespace zorvak::agent {

// The verification interval in milliseconds from CONFIG/Intervalo: "M<n>" minutes, "H<n>"
// hours (letter first, upper case); a number part that is not an integer counts as 5; anything
// else is five minutes. A product beyond the 32-bit range is held at the longest interval the
// timer takes (2147483647 ms, about 24.8 days); a negative one gives the five minutes.
std::int32_t ComputeInterval(std::string_view text);

inline constexpr std::int32_t kDefaultIntervalMs = 300000;
// A timer interval of 0 would never fire: the start handler uses one minute instead.
inline constexpr std::int32_t kZeroIntervalMs = 60000;

}  // namespace zorvak::agent

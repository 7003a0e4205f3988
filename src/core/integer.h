#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zorvak {

// A 32-bit integer written as decimal digits with an optional sign, or as hexadecimal after
// "0x"; anything else (empty text, blanks, trailing characters, overflow) gives nullopt.
std::optional<std::int32_t> parseInteger(std::string_view text);

}  // namespace zorvak

// The regional date-time parser takes any text; what it accepts formats back to an equal value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/regional.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const zorvak::RegionalFormat formats[] = {{}, {"M/d/yyyy", "h:mm:ss tt", "AM", "PM"},
                                                   {"yyyy-MM-dd", "HH'h'mm", "", ""}};
  for (const auto& f : formats) {
    const auto parsed = zorvak::parseDateTime(f, text);
    if (!parsed) continue;
    const auto back = zorvak::parseDateTime(f, zorvak::formatDateTime(f, *parsed));
    if (!back || *back != *parsed) std::abort();
  }
  return 0;
}

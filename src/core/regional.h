// The regional date-time text: the short date pattern, one blank, the long time pattern, with
// the time left out at exactly midnight (Delphi's DateTimeToStr / StrToDateTime). Patterns use
// the Windows picture letters: d dd M MM yy yyyy h hh H HH m mm s ss t tt and 'quoted' literals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace zorvak {

struct RegionalFormat {
  std::string shortDate = "dd/MM/yyyy";
  std::string longTime = "HH:mm:ss";
  std::string am = "AM";
  std::string pm = "PM";
};

std::string formatPattern(std::string_view pattern, const CivilTime& c, const RegionalFormat& f);
std::string formatDateTime(const RegionalFormat& f, DateTime t);
// Date alone, or date + blanks + time; the time may stop after the minutes. Anything else,
// or a value out of range, gives nullopt.
std::optional<DateTime> parseDateTime(const RegionalFormat& f, std::string_view text);

}  // namespace zorvak

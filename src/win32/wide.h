// UTF-8 <-> UTF-16 at the Windows API's edge, and the system's text for an error code.
#pragma once

#include <string>
#include <string_view>

namespace zorvak::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// FormatMessageW's text for `code`, without the trailing line break.
std::string systemMessage(unsigned long code);

}  // namespace zorvak::win32

// Text helpers of the portable core. Strings inside the system are UTF-8; Windows-1252 and
// UTF-16 appear only where bytes meet a file or the Windows API.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvak::text {

// UTF-8 -> Windows-1252. Characters outside the code page become "?" (two for one beyond the
// BMP), as Windows stores them.
std::string toCp1252(std::string_view utf8);
// Windows-1252 -> UTF-8. Every byte maps to one character (the five unassigned bytes map to the
// C1 controls of the same value, as MultiByteToWideChar does).
std::string fromCp1252(std::string_view bytes);

// Decodes one character at `pos`, advancing it; malformed input yields U+FFFD, one byte consumed.
char32_t decodeUtf8(std::string_view s, std::size_t& pos);
void appendUtf8(std::string& out, char32_t c);

// Blanks and control characters at both ends removed (Delphi's Trim).
std::string_view trim(std::string_view s);
// ASCII and Latin-1 letters compared without case.
bool equalsNoCase(std::string_view a, std::string_view b);
// The first `count` characters (code points) of a UTF-8 text.
std::string_view prefixChars(std::string_view utf8, std::size_t count);

}  // namespace zorvak::text

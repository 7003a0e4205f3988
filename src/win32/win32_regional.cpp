#include <windows.h>

#include "win32/wide.h"
#include "win32/win32_platform.h"

namespace zorvak::win32 {
namespace {

std::string localeText(LCTYPE type, const char* fallback) {
  wchar_t buf[128];
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 128);
  if (n <= 1) return fallback;
  return narrow(std::wstring_view(buf, static_cast<std::size_t>(n - 1)));
}

}  // namespace

RegionalFormat Win32RegionalSettings::format() {
  RegionalFormat f;
  f.shortDate = localeText(LOCALE_SSHORTDATE, "dd/MM/yyyy");
  f.longTime = localeText(LOCALE_STIMEFORMAT, "HH:mm:ss");
  f.am = localeText(LOCALE_S1159, "AM");
  f.pm = localeText(LOCALE_S2359, "PM");
  return f;
}

}  // namespace zorvak::win32

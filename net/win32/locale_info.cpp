// The user's default locale from the Windows national language support.
#include "net/locale_info.h"

#include <windows.h>

#include "net/unicode.h"

namespace ov {
namespace {

std::string LocaleText(LCTYPE type) {
  wchar_t buffer[128] = {};
  const int count = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
  if (count <= 1) return std::string();
  return Narrow(std::wstring_view(buffer, static_cast<std::size_t>(count - 1)));
}

}  // namespace

LocaleTimeInfo ReadUserLocaleTimeInfo() {
  LocaleTimeInfo info;
  for (int m = 0; m < 12; ++m) {
    info.short_months[m] = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m));
  }
  const std::string separator = LocaleText(LOCALE_STIME);
  if (!separator.empty()) info.time_separator = separator;
  info.twelve_hour = LocaleText(LOCALE_STIMEFORMAT).find('t') != std::string::npos;
  const std::string am = LocaleText(LOCALE_S1159);
  const std::string pm = LocaleText(LOCALE_S2359);
  if (!am.empty()) info.am = am;
  if (!pm.empty()) info.pm = pm;
  return info;
}

std::string UpperCaseByUserLocale(std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const DWORD flags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;
  const int count = LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.data(), size, nullptr, 0);
  if (count <= 0) return Narrow(wide);
  std::wstring upper(static_cast<std::size_t>(count), L'\0');
  LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.data(), size, upper.data(), count);
  return Narrow(upper);
}

}  // namespace ov

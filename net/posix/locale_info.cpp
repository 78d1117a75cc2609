// The user's locale from the C library, used through locale_t objects so that the process's
// global locale stays as it is.
#include "net/locale_info.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

#include <cstring>
#include <memory>

#include "net/unicode.h"

namespace ov {
namespace {

struct LocaleDeleter {
  void operator()(locale_t loc) const { freelocale(loc); }
};
using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

// The environment's locale for `mask`, or the C locale when the named one is not installed.
LocalePtr OpenUserLocale(int mask) {
  locale_t loc = newlocale(mask, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) loc = newlocale(mask, "C", static_cast<locale_t>(0));
  return LocalePtr(loc);
}

bool IsUtf8Codeset(locale_t loc) {
  const char* codeset = nl_langinfo_l(CODESET, loc);
  return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0;
}

// Text of the locale's own character set as UTF-8.
std::string ToUtf8(const char* text, locale_t loc) {
  if (IsUtf8Codeset(loc)) return text;
  iconv_t cd = iconv_open("UTF-8", nl_langinfo_l(CODESET, loc));
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string in(text);
  std::string out(in.size() * 4 + 4, '\0');
  char* in_ptr = in.data();
  char* out_ptr = out.data();
  std::size_t in_left = in.size();
  std::size_t out_left = out.size();
  const std::size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return text;
  out.resize(out.size() - out_left);
  return out;
}

// The separator between hours and minutes in a strftime-style time format.
std::string SeparatorOf(std::string_view format) {
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] != '%') continue;
    const char conv = format[i + 1];
    if (conv != 'H' && conv != 'I' && conv != 'k' && conv != 'l') continue;
    const std::size_t start = i + 2;
    const std::size_t end = format.find('%', start);
    if (end != start && end != std::string_view::npos) {
      return std::string(format.substr(start, end - start));
    }
  }
  return ":";
}

}  // namespace

LocaleTimeInfo ReadUserLocaleTimeInfo() {
  LocaleTimeInfo info;
  const LocalePtr loc = OpenUserLocale(LC_TIME_MASK | LC_CTYPE_MASK);
  if (!loc) return info;
  static constexpr nl_item kMonths[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                          ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  for (int m = 0; m < 12; ++m)
    info.short_months[m] = ToUtf8(nl_langinfo_l(kMonths[m], loc.get()), loc.get());

  std::string format = nl_langinfo_l(T_FMT, loc.get());
  if (format.find("%r") != std::string::npos) format = nl_langinfo_l(T_FMT_AMPM, loc.get());
  if (format.find("%T") != std::string::npos || format.find("%R") != std::string::npos) {
    format = "%H:%M:%S";
  }
  info.time_separator = SeparatorOf(format);
  info.twelve_hour =
      format.find("%p") != std::string::npos || format.find("%P") != std::string::npos;
  const std::string am = ToUtf8(nl_langinfo_l(AM_STR, loc.get()), loc.get());
  const std::string pm = ToUtf8(nl_langinfo_l(PM_STR, loc.get()), loc.get());
  if (!am.empty()) info.am = am;
  if (!pm.empty()) info.pm = pm;
  return info;
}

std::string UpperCaseByUserLocale(std::string_view utf8) {
  // Case rules come from LC_CTYPE; a locale without Unicode tables (plain "C") would leave
  // every non-ASCII letter alone, so the C library's UTF-8 locale stands in for it.
  static const LocalePtr ctype = [] {
    LocalePtr loc = OpenUserLocale(LC_CTYPE_MASK);
    if (loc && IsUtf8Codeset(loc.get())) return loc;
    locale_t fallback = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return fallback != static_cast<locale_t>(0) ? LocalePtr(fallback) : std::move(loc);
  }();
  std::wstring wide = Widen(utf8);
  if (ctype) {
    for (wchar_t& c : wide)
      c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), ctype.get()));
  }
  return Narrow(wide);
}

}  // namespace ov

// Mask matching, validation of the matched fields and building a record from them.
#include <array>
#include <cctype>

#include "net/text_to_int.h"
#include "net/text_utils.h"
#include "net/time_utils.h"
#include "protocols/ftp_list.h"
#include "protocols/ftp_list_chars.h"
#include "protocols/ftp_list_datetime.h"
#include "protocols/ftp_list_numbers.h"

namespace ov {
namespace {

constexpr char32_t kSectionSign = 0xA7;

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

std::string TrimControls(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

std::u32string TrimTrailingControls(std::u32string s) {
  while (!s.empty() && s.back() <= 32) s.pop_back();
  return s;
}

// Trims `field` in place and checks that it is a number within [low, high].
bool TrimmedInRange(std::string& field, int low, int high) {
  if (field.empty()) return true;
  field = TrimSpaces(field);
  const int v = TextToIntDef(field, -1);
  return v >= low && v <= high;
}

bool AllDigits(std::string_view s) {
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool ValidPermissions(std::string_view p) {
  if (p.size() != 10 && p.size() != 7) return false;
  for (char c : p) {
    if (std::string_view("-Sabcdhlprstwxy").find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool ValidYear(std::string& year) {
  year = TrimSpaces(year);
  const int v = TextToIntDef(year, -1);
  if (v == -1) return false;
  switch (year.size()) {
    case 4:
      return v > 1900 && v < 2100;
    case 2:
      return v >= 0 && v <= 99;
    case 3:
      return v >= 100 && v <= 110;
    default:
      return false;
  }
}

char UpperFirst(std::string_view s) {
  return s.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
}

}  // namespace

void TFTPList::ClearMatch() {
  for (std::string* field :
       {&Monthnames, &BlockSize, &DirFlagValue, &FileName, &VMSFileName, &Day, &Month, &ThreeMonth,
        &YearTime, &Year, &Hours, &HoursModif, &Minutes, &Seconds, &Size, &Permissions, &DirFlag}) {
    field->clear();
  }
}

std::string* TFTPList::FieldOf(char32_t mask_char) {
  switch (mask_char) {
    case 'n':
      return &FileName;
    case 'v':
      return &VMSFileName;
    case 'D':
      return &Day;
    case 'M':
      return &Month;
    case 'T':
      return &ThreeMonth;
    case 'U':
      return &YearTime;
    case 'Y':
      return &Year;
    case 'h':
      return &Hours;
    case 'H':
      return &HoursModif;
    case 'm':
      return &Minutes;
    case 's':
      return &Seconds;
    case 'S':
      return &Size;
    case 'p':
      return &Permissions;
    case 'd':
      return &DirFlag;
    default:
      return nullptr;
  }
}

// "*": after "n" or "v" the rest of the word (or of the line, when it ends the mask) goes to
// that name; after anything else a run of digits, kept as the size only after "S".
// Returns the position of the first line character not taken.
std::size_t TFTPList::TakeRun(std::u32string_view line, std::size_t lp, char32_t prev,
                              bool last_in_mask) {
  if (prev == 'n' || prev == 'v') {
    std::string& field = prev == 'n' ? FileName : VMSFileName;
    for (; lp < line.size() && (last_in_mask || line[lp] != ' '); ++lp) {
      AppendListChar(field, line[lp]);
    }
    return lp;
  }
  for (; lp < line.size() && IsDigit(line[lp]); ++lp) {
    if (prev == 'S') AppendListChar(Size, line[lp]);
  }
  return lp;
}

// "=": reads the parameter of the previous mask character from the mask itself (directory
// flag value, block size, month names). Returns the mask position of its last character.
std::size_t TFTPList::ReadParameter(std::u32string_view mask, std::size_t mp, char32_t prev) {
  if (prev == 'd' && mp + 1 < mask.size()) {
    AppendListChar(DirFlagValue, mask[++mp]);
  } else if (prev == 'S') {
    while (mp + 1 < mask.size() && IsDigit(mask[mp + 1])) AppendListChar(BlockSize, mask[++mp]);
  } else if (prev == 'T') {
    for (int k = 0; k < 36 && mp + 1 < mask.size(); ++k) AppendListChar(Monthnames, mask[++mp]);
  }
  return mp;
}

// Walks the mask one character at a time over the line (see the header for the results).
// Positions are 0-based here. `lp` is the line position of the current mask character;
// every mask character moves it to `next`, one past the line characters it took or skipped.
int TFTPList::MatchMask(std::string_view Line, std::string_view NextLine, std::string_view Mask) {
  ClearMatch();
  if (Line.empty() || Mask.empty()) return 0;
  std::u32string line = TrimTrailingControls(ListTextToChars(Line));
  const std::u32string mask = ListTextToChars(Mask);
  int result = 1;
  std::size_t lp = 0;
  char32_t prev = ' ';
  for (std::size_t mp = 0; mp < mask.size(); ++mp) {
    const char32_t m = mask[mp];
    const bool free_of_line = m == '*' || m == '\\' || m == kSectionSign;
    if (!free_of_line && lp >= line.size()) return 0;
    const char32_t c = lp < line.size() ? line[lp] : U'\0';
    std::size_t next = lp + 1;
    if (std::string* field = FieldOf(m)) {
      AppendListChar(*field, c);
    } else if (m == '.') {
      if (c != ' ' && c != '.') return 0;
      FileName = TrimSpaces(FileName) + ".";
    } else if ((m == ':' && c != ':') || (m == 'x' && c != ' ')) {
      return 0;
    } else if (m == 'y' && c != ' ') {
      result = 0;  // no match, but the walk goes on
    } else if (m == '!') {
      next = lp;
      while (next < line.size() && line[next] != ' ') ++next;
      while (next < line.size() && line[next] == ' ') ++next;
    } else if (m == '$') {
      next = lp;
      while (next < line.size() && (line[next] == ' ' || line[next] == '\t')) ++next;
    } else if (m == '*') {
      next = TakeRun(line, lp, prev, mp + 1 == mask.size());
    } else if (m == '=') {
      mp = ReadParameter(mask, mp, prev);
    } else if (m == '\\') {
      line = TrimTrailingControls(ListTextToChars(NextLine));
      next = 0;
      result = 2;
    } else if (m == kSectionSign && lp + 1 < line.size()) {
      return 0;
    }
    lp = next;
    prev = m;
  }
  return result;
}

void TFTPList::ApplyMonthnames() const {
  const std::u32string names = ListTextToChars(Monthnames);
  if (names.size() != 36) return;
  std::array<std::string, 12> list;
  for (std::size_t i = 0; i < 12; ++i) list[i] = ListCharsToText(names.substr(i * 3, 3));
  SetLocaleMonthNames(list);
}

bool TFTPList::ValidateMatch() {
  if (TrimControls(FileName).empty() && TrimControls(VMSFileName).empty()) return false;
  if (!FileName.empty() && VMSFileName.find_first_of("?*") != std::string::npos) return false;
  if (!VMSFileName.empty() && VMSFileName.find(';') == std::string::npos) return false;
  if (!Permissions.empty() && !ValidPermissions(Permissions)) return false;
  if (!TrimmedInRange(Day, 1, 31) || !TrimmedInRange(Month, 1, 12) ||
      !TrimmedInRange(Hours, 0, 24) || !TrimmedInRange(Minutes, 0, 59) ||
      !TrimmedInRange(Seconds, 0, 59)) {
    return false;
  }
  if (!HoursModif.empty() &&
      std::string_view("APap").find(HoursModif[0]) == std::string_view::npos) {
    return false;
  }
  if (!Size.empty()) {
    Size = TrimSpaces(Size);
    if (!AllDigits(Size)) return false;
  }
  ApplyMonthnames();
  if (!ThreeMonth.empty() && MonthFromName(ThreeMonth) == 0) return false;
  if (!YearTime.empty()) {
    YearTime = ReplaceAll(YearTime, "-", ":");
    if (YearTime.find(':') != std::string::npos) {
      if (TimeFromText(YearTime) == -1.0) return false;
    } else if (!TrimmedInRange(YearTime, 1900, 2100)) {
      return false;
    }
  }
  return Year.empty() || ValidYear(Year);
}

// The matched date and time; none when that date or time does not exist.
std::optional<double> TFTPList::MatchedTime() {
  const double now = Now();
  const int current_year = DecodeListDateTime(now).Year;
  ListDateTime t;
  t.Year = current_year;
  t.Month = 1;
  t.Day = 1;
  if (!Day.empty()) t.Day = TextToIntDef(Day, 1);
  if (!Month.empty()) t.Month = TextToIntDef(Month, 1);
  ApplyMonthnames();
  if (!ThreeMonth.empty()) t.Month = MonthFromName(ThreeMonth);
  if (!Year.empty()) {
    t.Year = TextToIntDef(Year, 0);
    // Two-digit years: 51..99 are 19xx, up to 50 are 20xx; three-digit ones count from 1900.
    if (t.Year <= 50) {
      t.Year += 2000;
    } else if (t.Year <= 999) {
      t.Year += 1900;
    }
  }
  if (!YearTime.empty()) {
    if (YearTime.find(':') == std::string::npos) {
      t.Year = TextToIntDef(YearTime, 0);
    } else {
      // A recent Unix entry shows a time instead of the year: the year is the latest one
      // that does not put the entry in the future.
      const std::string time = TrimSpaces(YearTime);
      t.Hour = TextToIntDef(TextBefore(time, ":"), 0);
      t.Minute = TextToIntDef(TextAfter(time, ":"), 0);
      const std::optional<double> when = EncodeListDateTime(t);
      if (!when) {
        t.Year = current_year;
      } else if (*when > now) {
        --t.Year;
      }
    }
  }
  if (!Minutes.empty()) t.Minute = TextToIntDef(Minutes, 0);
  if (!Seconds.empty()) t.Second = TextToIntDef(Seconds, 0);
  if (!Hours.empty()) {
    t.Hour = TextToIntDef(Hours, 0);
    const char marker_char = UpperFirst(HoursModif);
    // 12 PM is noon and 12 AM is midnight.
    if (marker_char == 'P' && t.Hour != 12) t.Hour += 12;
    if (marker_char == 'A' && t.Hour == 12) t.Hour = 0;
  }
  if (t.Month == 2 && t.Day == 29 && !IsLeapYear(t.Year)) t.Day = 28;
  return EncodeListDateTime(t);
}

bool TFTPList::BuildRecord(TFTPListRec& Record) {
  const std::string marker = DirFlagValue.empty() ? std::string("D") : DirFlagValue;
  Record.Directory = UpperCaseLocale(marker) == UpperCaseLocale(DirFlag);
  if (!FileName.empty()) Record.FileName = TextBefore(FileName, " -> ");
  if (!VMSFileName.empty()) {
    Record.FileName = VMSFileName;
    Record.Directory = VMSFileName.find(".DIR;") != std::string::npos;
  }
  Record.FileName = TrimSpacesRight(Record.FileName);
  Record.Readable = !Record.Directory;
  // A size in blocks that does not fit 64 bits is no size at all.
  if (__builtin_mul_overflow(ListTextToInt64Def(Size, 0), ListTextToInt64Def(BlockSize, 1),
                             &Record.FileSize)) {
    Record.FileSize = 0;
  }

  const std::optional<double> file_time = MatchedTime();
  if (!file_time) return false;
  Record.FileTime = *file_time;

  if (!Permissions.empty()) {
    Record.Permission = Permissions;
    Record.Readable = Permissions.size() > 1 && UpperFirst(Permissions.substr(1)) == 'R';
    const char kind = UpperFirst(Permissions);
    if (kind == 'D') {
      Record.Directory = true;
      Record.Readable = false;
    } else if (kind == 'L') {
      Record.Directory = true;
    }
  }
  return true;
}

}  // namespace ov

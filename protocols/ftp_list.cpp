#include "protocols/ftp_list.h"

#include <algorithm>
#include <cctype>

#include "net/text_to_int.h"
#include "net/text_utils.h"
#include "protocols/ftp_list_datetime.h"
#include "protocols/ftp_list_masks.h"
#include "protocols/ftp_list_numbers.h"

namespace ov {
namespace {

bool IsDotEntry(const TFTPListRec& rec) {
  return rec.Directory && (rec.FileName == "." || rec.FileName == "..");
}

char AsciiUpper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// First position of `key` in `text` ignoring ASCII case; npos when absent.
std::size_t FindIgnoringCase(std::string_view text, std::string_view key) {
  if (key.empty() || key.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + key.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, key.size()), key)) return i;
  }
  return std::string_view::npos;
}

// The "modify" fact YYYYMMDDhhmmss[.fff]; 1970-01-01 00:00:00 when it does not exist.
double MachineListingTime(std::string_view modify) {
  auto field = [&](std::size_t pos, std::size_t len, int fallback) {
    return TextToIntDef(pos < modify.size() ? modify.substr(pos, len) : "", fallback);
  };
  ListDateTime t;
  t.Year = field(0, 4, 1970);
  t.Month = field(4, 2, 1);
  t.Day = field(6, 2, 1);
  t.Hour = field(8, 2, 0);
  t.Minute = field(10, 2, 0);
  t.Second = field(12, 2, 0);
  return EncodeListDateTime(t).value_or(kUnixEpochDay);
}

}  // namespace

TFTPList::TFTPList() : Masks_(BuiltInListMasks()) {}

TFTPList::~TFTPList() = default;

TFTPListRec* TFTPList::GetListItem(std::size_t Index) const {
  return Index < List_.size() ? List_[Index].get() : nullptr;
}

void TFTPList::Clear() {
  List_.clear();
  Lines_.clear();
  UnparsedLines_.clear();
}

void TFTPList::Assign(const TFTPList& Value) {
  if (&Value == this) return;
  Clear();
  for (const auto& rec : Value.List_) {
    auto copy = std::make_unique<TFTPListRec>();
    copy->Assign(*rec);
    List_.push_back(std::move(copy));
  }
  Lines_ = Value.Lines_;
  Masks_ = Value.Masks_;
  UnparsedLines_ = Value.UnparsedLines_;
}

double TFTPList::Now() const { return CurrentTime ? CurrentTime() : LocalDateTimeNow(); }

void TFTPList::ParseLines() {
  for (std::size_t i = 0; i < Lines_.size();) {
    const std::string& line = Lines_[i];
    const std::string next = i + 1 < Lines_.size() ? Lines_[i + 1] : std::string();
    int consumed = 1;
    bool taken = ParseEplfLine(line);
    for (std::size_t m = 0; !taken && m < Masks_.size(); ++m) {
      const int r = MatchMask(line, next, Masks_[m]);
      if (r == 0 || !ValidateMatch()) continue;
      consumed = static_cast<int>(std::min<std::size_t>(r, Lines_.size() - i));
      auto rec = std::make_unique<TFTPListRec>();
      // A date that does not exist leaves the entry, all its lines, unparsed instead of
      // ending the listing.
      if (!BuildRecord(*rec)) break;
      taken = true;
      rec->OriginalLine = line;
      rec->Mask = Masks_[m];
      if (!IsDotEntry(*rec)) List_.push_back(std::move(rec));
    }
    if (!taken) {
      for (int k = 0; k < consumed; ++k) UnparsedLines_.push_back(Lines_[i + k]);
    }
    i += static_cast<std::size_t>(consumed);
  }
}

bool TFTPList::ParseEplfLine(const std::string& Line) {
  if (Line.empty() || Line[0] != '+') return false;
  std::string facts = Line.substr(1);
  auto rec = std::make_unique<TFTPListRec>();
  const std::size_t tab = facts.find('\t');
  rec->FileName = tab == std::string::npos ? facts : facts.substr(tab + 1);
  for (;;) {
    const std::string fact = CutTrimmedToken(facts, ",");
    if (fact.empty() || fact[0] == '\t') break;
    const std::string_view value = std::string_view(fact).substr(1);
    switch (fact[0]) {
      case '/':
        rec->Directory = true;
        break;
      case 's':
        rec->FileSize = ListTextToInt64Def(value, 0);
        break;
      case 'm':
        rec->FileTime = kUnixEpochDay + ListTextToInt64Def(value, 0) / 86400.0;
        break;
      case 'r':
        rec->Readable = true;
        break;
      default:
        break;
    }
  }
  if (rec->FileName.empty() || IsDotEntry(*rec)) return false;
  rec->OriginalLine = Line;
  rec->Mask = "EPLF";
  List_.push_back(std::move(rec));
  return true;
}

void TFTPList::ParseMLSDLines() {
  for (const std::string& line : Lines_) {
    // Facts end at the first "; "; the name is everything after it, ";" and spaces included.
    // A line that starts with a space has no facts at all.
    std::string_view facts = line;
    std::string name;
    const std::size_t end = line.find("; ");
    if (!line.empty() && line[0] == ' ') {
      facts = {};
      name = line.substr(1);
    } else if (end != std::string::npos) {
      facts = std::string_view(line).substr(0, end + 1);
      name = line.substr(end + 2);
    }
    auto rec = std::make_unique<TFTPListRec>();
    rec->FileTime = MachineListingTime(FactValue(facts, "modify="));
    rec->OriginalLine = line;
    const std::string type = FactValue(facts, "type=");
    rec->Directory = EqualsIgnoringCase(type, "dir") || EqualsIgnoringCase(type, "cdir");
    rec->FileSize = ListTextToInt64Def(FactValue(facts, "size="), 0);
    rec->Permission = FactValue(facts, "mode=");
    rec->FileName = name;
    List_.push_back(std::move(rec));
  }
}

std::string FactValue(std::string_view Line, std::string_view Key) {
  const std::size_t at = FindIgnoringCase(Line, Key);
  if (at == std::string_view::npos) return {};
  const std::string_view rest = Line.substr(at + Key.size());
  return std::string(rest.substr(0, rest.find(';')));
}

}  // namespace ov

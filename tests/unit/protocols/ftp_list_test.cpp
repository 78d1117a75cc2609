// Listing lines of each server style read into records, with a clock fixed at mid-June 2026.
#include "protocols/ftp_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/time_utils.h"
#include "protocols/ftp_list_datetime.h"
#include "protocols/ftp_list_masks.h"

namespace ov {
namespace {

constexpr const char* kNow = "2026-06-15 12:00:00";

void FixClock(TFTPList& list, const char* now) {
  const double value = ParseListDateTime(now).value();
  list.CurrentTime = [value] { return value; };
}

struct Expected {
  const char* name;
  bool directory;
  bool readable;
  std::int64_t size;
  const char* time;
  const char* permission;
  int mask;  // 1-based number of the built-in mask, 0 for EPLF
};

struct LineCase {
  const char* label;
  std::vector<std::string> lines;
  Expected want;
};

std::ostream& operator<<(std::ostream& os, const LineCase& c) { return os << c.label; }

class OneEntry : public ::testing::TestWithParam<LineCase> {};

TEST_P(OneEntry, BecomesTheExpectedRecord) {
  const LineCase& c = GetParam();
  TFTPList list;
  FixClock(list, kNow);
  list.Lines() = c.lines;
  list.ParseLines();
  EXPECT_TRUE(list.UnparsedLines().empty()) << list.UnparsedLines().front();
  ASSERT_EQ(list.Count(), 1u);
  const TFTPListRec& rec = *list.Items(0);
  EXPECT_EQ(rec.FileName, c.want.name);
  EXPECT_EQ(rec.Directory, c.want.directory);
  EXPECT_EQ(rec.Readable, c.want.readable);
  EXPECT_EQ(rec.FileSize, c.want.size);
  EXPECT_EQ(FormatListDateTime(rec.FileTime), c.want.time);
  EXPECT_EQ(rec.Permission, c.want.permission);
  EXPECT_EQ(rec.OriginalLine, c.lines.front());
  EXPECT_EQ(rec.Mask, c.want.mask == 0 ? "EPLF" : BuiltInListMasks().at(c.want.mask - 1));
}

const LineCase kUnix[] = {
    {"directory with a time and a space in its name",
     {"drwxr-xr-x   2 user group 4096 Jan  1 12:34 my dir"},
     {"my dir", true, false, 4096, "2026-01-01 12:34:00", "drwxr-xr-x", 3}},
    {"recent time later in the year belongs to last year",
     {"-rw-r--r--   1 ftp ftp 17 Dec 24 18:30 gift.txt"},
     {"gift.txt", false, true, 17, "2025-12-24 18:30:00", "-rw-r--r--", 3}},
    {"older file with a year and spaces",
     {"-rw-r--r--   1 ftp ftp 1234567 Mar  5  2019 report  2019.pdf"},
     {"report  2019.pdf", false, true, 1234567, "2019-03-05 00:00:00", "-rw-r--r--", 3}},
    {"symbolic link loses its target",
     {"lrwxrwxrwx   1 root root 7 May 30 10:00 link -> target"},
     {"link", true, true, 7, "2026-05-30 10:00:00", "lrwxrwxrwx", 3}},
    {"day before month",
     {"-rw-------   1 u g 5 15 Mai  2020 datei"},
     {"datei", false, true, 5, "2020-05-15 00:00:00", "-rw-------", 4}},
    {"full time and year",
     {"-rw-r--r--   1 u g 99 Jan 02 03:04:05 2021 exact"},
     {"exact", false, true, 99, "2021-01-02 03:04:05", "-rw-r--r--", 1}},
    {"no group column",
     {"-rw-r--r--   1 owner 250 Feb 10  2010 nogroup"},
     {"nogroup", false, true, 250, "2010-02-10 00:00:00", "-rw-r--r--", 5}},
    {"29 February shown with a time in a year without it",
     {"-rw-r--r--   1 u g 1 Feb 29 10:00 leap"},
     {"leap", false, true, 1, "2026-02-28 10:00:00", "-rw-r--r--", 3}},
    {"device shown with a size",
     {"crw-rw-rw-   1 root root 0 Jan 10  2020 null"},
     {"null", false, true, 0, "2020-01-10 00:00:00", "crw-rw-rw-", 3}},
    {"name with non-ASCII letters",
     {"-rw-r--r--   1 u g 3 Jun  1  2024 relat\xC3\xB3rio \xE6\x97\xA5.txt"},
     {"relat\xC3\xB3rio \xE6\x97\xA5.txt", false, true, 3, "2024-06-01 00:00:00", "-rw-r--r--", 3}},
};
INSTANTIATE_TEST_SUITE_P(Unix, OneEntry, ::testing::ValuesIn(kUnix));

const LineCase kDos[] = {
    {"DIR in angle brackets",
     {"01-02-03  01:04PM       <DIR>          Program Files"},
     {"Program Files", true, false, 0, "2003-01-02 13:04:00", "", 9}},
    {"file with four-digit year",
     {"10-21-2019  11:30AM              1234 file name.txt"},
     {"file name.txt", false, true, 1234, "2019-10-21 11:30:00", "", 10}},
    {"noon stays noon",
     {"12-25-20  12:15PM                 7 noon.txt"},
     {"noon.txt", false, true, 7, "2020-12-25 12:15:00", "", 8}},
    {"twelve AM is midnight",
     {"12-25-20  12:15AM                 7 night.txt"},
     {"night.txt", false, true, 7, "2020-12-25 00:15:00", "", 8}},
    {"three-digit year counts from 1900",
     {"01-02-104   03:04PM            123 old.txt"},
     {"old.txt", false, true, 123, "2004-01-02 15:04:00", "", 10}},
};
INSTANTIATE_TEST_SUITE_P(Dos, OneEntry, ::testing::ValuesIn(kDos));

const LineCase kVms[] = {
    {"one line",
     {"CII-MANUAL.TEX;1  213/216  29-JAN-1996 03:33:12  [ANONYMOU,ANONYMOUS]   (RWED,RWED,,)"},
     {"CII-MANUAL.TEX;1", false, true, 0, "1996-01-29 03:33:12", "", 17}},
    {"directory with a one-digit day",
     {"SUBDIR.DIR;1        1/3   5-MAR-1993 18:09:08  [ANONYMOU,ANONYMOUS]   (RWE,RWE,RE,RE)"},
     {"SUBDIR.DIR;1", true, false, 0, "1993-03-05 18:09:08", "", 19}},
    {"two lines",
     {"A_VERY_LONG_FILE_NAME_INDEED.TXT;2",
      "                    4/18    12-DEC-2000 10:11:12  [GROUP,OWNER]  (RWED,RWED,RE,)"},
     {"A_VERY_LONG_FILE_NAME_INDEED.TXT;2", false, true, 0, "2000-12-12 10:11:12", "", 18}},
};
INSTANTIATE_TEST_SUITE_P(Vms, OneEntry, ::testing::ValuesIn(kVms));

const LineCase kNetWare[] = {
    {"directory",
     {"d [R----F--] supervisor            512       Jan 16 18:53    login"},
     {"login", true, false, 512, "2026-01-16 18:53:00", "", 7}},
    {"file",
     {"- [R----F--] rhesus             214059       Oct 20 15:27    cx.exe"},
     {"cx.exe", false, true, 214059, "2025-10-20 15:27:00", "", 7}},
};
INSTANTIATE_TEST_SUITE_P(NetWare, OneEntry, ::testing::ValuesIn(kNetWare));

const LineCase kOther[] = {
    {"EPLF directory",
     {"+i8388621.29609,m824255902,/,\tdev"},
     {"dev", true, false, 0, "1996-02-13 23:58:22", "", 0}},
    {"EPLF readable file",
     {"+i8388621.44468,m839956783,r,s10376,\tRFCEPLF"},
     {"RFCEPLF", false, true, 10376, "1996-08-13 17:19:43", "", 0}},
    {"EPLF without a time", {"+/,\tpub"}, {"pub", true, false, 0, "1899-12-30 00:00:00", "", 0}},
    {"EPLF time past 2038",
     {"+m4102444800,r,\tfuture"},
     {"future", false, true, 0, "2100-01-01 00:00:00", "", 0}},
    {"EPLF dot directory falls through to the one-word mask",
     {"+i1,/,\t."},
     {"+i1,/,\t.", false, true, 0, "2026-01-01 00:00:00", "", 52}},
    {"one word", {"README"}, {"README", false, true, 0, "2026-01-01 00:00:00", "", 52}},
};
INSTANTIATE_TEST_SUITE_P(Other, OneEntry, ::testing::ValuesIn(kOther));

TEST(FtpListParse, DotEntriesAreDroppedWithoutBeingUnparsed) {
  TFTPList list;
  FixClock(list, kNow);
  list.Lines() = {"drwxr-xr-x   2 u g 4096 Jan  1  2020 .",
                  "drwxr-xr-x   2 u g 4096 Jan  1  2020 ..",
                  "-rw-r--r--   1 u g 1 Jan  1  2020 ..hidden"};
  list.ParseLines();
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Items(0)->FileName, "..hidden");
  EXPECT_EQ(list.UnparsedLines(), std::vector<std::string>{});
}

TEST(FtpListParse, LinesNoMaskTakesAreKeptVerbatim) {
  TFTPList list;
  FixClock(list, kNow);
  // A device shows "major, minor" where the size belongs: no layout takes it.
  const std::string device = "brw-rw----   1 root disk 8,   0 Dec  1 09:00 sda";
  list.Lines() = {"", "total 12", "-rw-r--r--   1 u g 1 Jan  1  2020 ok", "  ", device};
  list.ParseLines();
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.UnparsedLines(), (std::vector<std::string>{"", "total 12", "  ", device}));
}

// A date that does not exist, or hour 24, leaves that line unparsed; the listing goes on.
TEST(FtpListParse, ImpossibleDatesAreUnparsedAndTheListingGoesOn) {
  TFTPList list;
  FixClock(list, kNow);
  list.Lines() = {"-rw-r--r--   1 u g 10 Apr 31  2020 april31",
                  "-rw-r--r--   1 u g 10 Jan 02 24:00:00 2020 hour24",
                  "02-30-2020  10:00AM                 5 feb30",
                  "A_LONG_NAME_FOR_A_VMS_FILE.TXT;1",
                  "                    4/18    31-APR-2000 10:11:12  [GROUP,OWNER]  (RWED,,,)",
                  "-rw-r--r--   1 u g 10 Apr 30  2020 april30"};
  list.ParseLines();
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Items(0)->FileName, "april30");
  const std::vector<std::string>& lines = list.Lines();
  EXPECT_EQ(list.UnparsedLines(), std::vector<std::string>(lines.begin(), lines.end() - 1));
}

TEST(FtpListParse, TwoLineEntryConsumesBothLines) {
  TFTPList list;
  FixClock(list, kNow);
  list.Lines() = {"FIRST_LONG_NAME_OF_A_FILE.DAT;1",
                  "                    4/18    12-DEC-2000 10:11:12  [GROUP,OWNER]  (RWED,,,)",
                  "SECOND.TXT;3  1/3  1-FEB-2001 00:00:01  [G,O]  (RWED,,,)"};
  list.ParseLines();
  EXPECT_TRUE(list.UnparsedLines().empty());
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Items(0)->FileName, "FIRST_LONG_NAME_OF_A_FILE.DAT;1");
  EXPECT_EQ(list.Items(1)->FileName, "SECOND.TXT;3");
}

// A mask may continue on the next line where there is none: only the last line is used up.
TEST(FtpListParse, ContinuationPastTheLastLine) {
  TFTPList list;
  FixClock(list, kNow);
  list.Masks() = {"nnnnn YY MM DD\\", "n*\\"};
  list.Lines() = {"last1 20 04 31"};
  list.ParseLines();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.UnparsedLines(), std::vector<std::string>{"last1 20 04 31"});
  list.Clear();
  list.Lines() = {"alone"};
  list.ParseLines();
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Items(0)->FileName, "alone");
}

TEST(FtpListParse, RecordsAccumulateUntilClear) {
  TFTPList list;
  FixClock(list, kNow);
  list.Lines() = {"alpha", ""};
  list.ParseLines();
  list.ParseLines();
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.UnparsedLines().size(), 2u);
  EXPECT_EQ(list.Items(2), nullptr);
  list.Masks().pop_back();
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_TRUE(list.Lines().empty());
  EXPECT_TRUE(list.UnparsedLines().empty());
  EXPECT_EQ(list.Masks().size(), 53u);
}

// Caller-supplied masks with parameters: a directory flag value, a block size in bytes and
// a table of month names.
TEST(FtpListMasks, ParametersOfDirFlagBlockSizeAndMonthNames) {
  TFTPList list;
  FixClock(list, kNow);
  // "=" consumes one line character; its parameter comes from the mask alone.
  list.Masks() = {"S=512 $S*$n*", "TTT=JANFEVMARAVRMAIJUNJULAGOSETOUTNOVDEZ DD YYYY n*",
                  "d=X S=512 n*"};
  // 2^54 blocks of 512 bytes do not fit 64 bits.
  list.Lines() = {"X  3  blocks", "-  7  plain", "OUT  07 2011 mes", "1  8014398509481984 big",
                  "1  8014398509481983 fits"};
  list.ParseLines();
  ASSERT_EQ(list.Count(), 5u);
  EXPECT_EQ(list.Items(3)->FileName, "big");
  EXPECT_EQ(list.Items(3)->FileSize, 0);
  EXPECT_EQ(list.Items(4)->FileSize, 18014398509481983 * 512);
  EXPECT_EQ(list.Items(0)->FileName, "blocks");
  EXPECT_TRUE(list.Items(0)->Directory);
  EXPECT_EQ(list.Items(0)->FileSize, 3 * 512);
  EXPECT_FALSE(list.Items(1)->Directory);
  EXPECT_EQ(list.Items(1)->FileSize, 7 * 512);
  EXPECT_EQ(list.Items(2)->FileName, "mes");
  EXPECT_EQ(FormatListDateTime(list.Items(2)->FileTime), "2011-10-07 00:00:00");
  // The month names stay in force for later lookups.
  EXPECT_EQ(MonthFromName("OUT"), 10);
}

class MatchProbe : public TFTPList {
 public:
  using TFTPList::Hours;
  using TFTPList::Year;
};

TEST(FtpListMasks, MatchResultsAndFieldLimits) {
  MatchProbe probe;
  EXPECT_EQ(probe.MatchMask("", "", "n*"), 0);
  EXPECT_EQ(probe.MatchMask("abc", "", ""), 0);
  EXPECT_EQ(probe.MatchMask("ab", "", "nnn"), 0);  // line too short
  EXPECT_EQ(probe.MatchMask("a:b", "", "n:n"), 1);
  EXPECT_EQ(probe.MatchMask("a-b", "", "n:n"), 0);
  EXPECT_EQ(probe.MatchMask("a b", "", "nxn"), 1);
  EXPECT_EQ(probe.MatchMask("a-b", "", "nyn"), 0);
  EXPECT_EQ(probe.MatchMask("one", "two", "n*\\n*"), 2);
  EXPECT_EQ(probe.MatchMask("one", "", "n*\\n*"), 0);  // nothing to continue on
  EXPECT_EQ(probe.MatchMask("word", "", "n*\xC2\xA7"), 1);
  EXPECT_EQ(probe.MatchMask("two words", "", "n*\xC2\xA7"), 0);

  for (const auto& [year, ok] : std::vector<std::pair<std::string, bool>>{{"03", true},
                                                                          {"99", true},
                                                                          {"104", true},
                                                                          {"110", true},
                                                                          {"111", false},
                                                                          {"2099", true},
                                                                          {"2100", false},
                                                                          {"1900", false},
                                                                          {"1", false},
                                                                          {"ab", false}}) {
    probe.MatchMask("x " + year, "", "n YYYY");
    probe.Year = year;
    EXPECT_EQ(probe.ValidateMatch(), ok) << year;
  }
  probe.MatchMask("x 25", "", "n hh");
  EXPECT_FALSE(probe.ValidateMatch());
  probe.MatchMask("x 24", "", "n hh");
  EXPECT_TRUE(probe.ValidateMatch());
  TFTPListRec rec;
  EXPECT_FALSE(probe.BuildRecord(rec));  // hour 24 cannot be encoded
}

TEST(FtpListYears, TwoAndThreeDigitYears) {
  TFTPList list;
  FixClock(list, kNow);
  list.Masks() = {"YYY n*"};
  list.Lines() = {"03  a", "51  b", "00  c", "104 d", "99  e"};
  list.ParseLines();
  std::vector<std::string> years;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    years.push_back(FormatListDateTime(list.Items(i)->FileTime).substr(0, 4));
  }
  EXPECT_EQ(years, (std::vector<std::string>{"2003", "1951", "2000", "2004", "1999"}));
}

TEST(FtpListAssign, CopiesRecordsAndListsButNotPermissions) {
  TFTPList source;
  FixClock(source, kNow);
  source.Lines() = {"-rw-r--r--   1 u g 10 Apr 30  2020 kept", "junk line"};
  source.Masks().resize(10);
  source.ParseLines();
  TFTPList copy;
  copy.Lines() = {"old"};
  copy.Assign(source);
  ASSERT_EQ(copy.Count(), 1u);
  EXPECT_EQ(copy.Items(0)->FileName, "kept");
  EXPECT_EQ(copy.Items(0)->FileSize, 10);
  EXPECT_EQ(copy.Items(0)->Mask, source.Items(0)->Mask);
  EXPECT_EQ(copy.Items(0)->Permission, "");
  EXPECT_EQ(copy.Lines(), source.Lines());
  EXPECT_EQ(copy.Masks().size(), 10u);
  EXPECT_EQ(copy.UnparsedLines(), std::vector<std::string>{"junk line"});
  copy.Assign(copy);
  EXPECT_EQ(copy.Count(), 1u);
}

TEST(FtpListMachine, FactsTypesTimesAndNames) {
  TFTPList list;
  list.Lines() = {"type=dir;modify=20040102030405;UNIX.mode=0755; src",
                  "Type=File;Size=1048576;Modify=19991231235959.123; a b; c.txt",
                  "type=cdir;perm=el; .",
                  "type=file;size=3; no time",
                  "type=file;modify=20230230000000;size=x; bad date",
                  " only name",
                  "type=file; type=dir;size=7",
                  "type=file;size=9;"};
  list.ParseMLSDLines();
  ASSERT_EQ(list.Count(), 8u);
  EXPECT_TRUE(list.UnparsedLines().empty());
  struct Want {
    const char* name;
    bool dir;
    std::int64_t size;
    const char* time;
    const char* perm;
  };
  const Want want[] = {
      {"src", true, 0, "2004-01-02 03:04:05", "0755"},
      {"a b; c.txt", false, 1048576, "1999-12-31 23:59:59", ""},
      {".", true, 0, "1970-01-01 00:00:00", ""},
      {"no time", false, 3, "1970-01-01 00:00:00", ""},
      {"bad date", false, 0, "1970-01-01 00:00:00", ""},
      {"only name", false, 0, "1970-01-01 00:00:00", ""},
      {"type=dir;size=7", false, 0, "1970-01-01 00:00:00", ""},  // facts are not read from names
      {"", false, 9, "1970-01-01 00:00:00", ""},
  };
  for (std::size_t i = 0; i < std::size(want); ++i) {
    const TFTPListRec& rec = *list.Items(i);
    SCOPED_TRACE(list.Lines()[i]);
    EXPECT_EQ(rec.FileName, want[i].name);
    EXPECT_EQ(rec.Directory, want[i].dir);
    EXPECT_EQ(rec.FileSize, want[i].size);
    EXPECT_EQ(FormatListDateTime(rec.FileTime), want[i].time);
    EXPECT_EQ(rec.Permission, want[i].perm);
    EXPECT_FALSE(rec.Readable);
    EXPECT_EQ(rec.Mask, "");
    EXPECT_EQ(rec.OriginalLine, list.Lines()[i]);
  }
}

TEST(FtpListMachine, FactValueFindsKeysIgnoringCase) {
  EXPECT_EQ(FactValue("type=file;UNIX.mode=0644;size=1; n", "mode="), "0644");
  EXPECT_EQ(FactValue("TYPE=DIR; n", "type="), "DIR");
  EXPECT_EQ(FactValue("size=12", "size="), "12");
  EXPECT_EQ(FactValue("type=file; n", "size="), "");
}

TEST(FtpListDates, EncodingIsExactAndRejectsImpossibleDates) {
  EXPECT_EQ(EncodeListDateTime({1970, 1, 1, 0, 0, 0}), 25569.0);
  EXPECT_EQ(EncodeListDateTime({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_EQ(EncodeListDateTime({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_EQ(EncodeListDateTime({2000, 1, 1, 12, 0, 0}), 36526.5);
  for (const ListDateTime& bad :
       {ListDateTime{2021, 4, 31, 0, 0, 0}, ListDateTime{2021, 2, 29, 0, 0, 0},
        ListDateTime{2021, 13, 1, 0, 0, 0}, ListDateTime{2021, 1, 1, 24, 0, 0},
        ListDateTime{2021, 1, 1, 0, 60, 0}, ListDateTime{0, 1, 1, 0, 0, 0}}) {
    EXPECT_FALSE(EncodeListDateTime(bad).has_value())
        << bad.Year << "-" << bad.Month << "-" << bad.Day;
  }
  for (const char* text : {"2024-02-29 23:59:59", "1899-12-29 06:00:00", "0001-01-01 00:00:01",
                           "9999-12-31 23:59:59", "1970-01-01 00:00:00"}) {
    const auto value = ParseListDateTime(text);
    ASSERT_TRUE(value.has_value()) << text;
    EXPECT_EQ(FormatListDateTime(*value), text);
  }
  EXPECT_FALSE(ParseListDateTime("2024-02-30 00:00:00").has_value());
  EXPECT_FALSE(ParseListDateTime("2024-2-3 00:00:00").has_value());
}

}  // namespace
}  // namespace ov

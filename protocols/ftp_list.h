// Turns the lines of an FTP directory listing into records: EPLF lines, every other LIST
// layout through an ordered list of masks (layout templates), and MLSD machine listings.
// Lines no mask takes, and entries whose date does not exist, go to UnparsedLines.
//
// A mask is read one character at a time against the line: letters collect the line character
// into a field (n name, v VMS name, D day, M month, T month name, U year or time, Y year,
// h/m/s time, H AM/PM, S size, p permissions, d directory flag); "." ":" "x" demand a
// character; "!" skips a word and its spaces, "$" spaces and tabs, "*" the rest of a word or
// a run of digits; "=" gives the previous letter a parameter from the mask; "\" continues on
// the next line; the section sign demands the end of the line; anything else takes any one
// character. Records and lists grow with each parse until Clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/ftp_list_rec.h"

namespace ov {

class TFTPList {
 public:
  TFTPList();
  virtual ~TFTPList();
  TFTPList(const TFTPList&) = delete;
  TFTPList& operator=(const TFTPList&) = delete;

  // The record at `Index`, or nullptr when Index is not below Count.
  virtual TFTPListRec* GetListItem(std::size_t Index) const;
  TFTPListRec* Items(std::size_t Index) const { return GetListItem(Index); }

  // Takes an EPLF line ("+facts<TAB>name") and appends its record; false when it is not one.
  virtual bool ParseEplfLine(const std::string& Line);
  virtual void ClearMatch();
  // 0 = no match, 1 = match on Line, 2 = match over Line and NextLine.
  virtual int MatchMask(std::string_view Line, std::string_view NextLine, std::string_view Mask);
  // Checks the fields of the last match (ranges, digits, month names). A mask with month
  // names installs them for all later month lookups of the process.
  virtual bool ValidateMatch();
  // Fills `Record` from the last match; false when its date or time does not exist.
  virtual bool BuildRecord(TFTPListRec& Record);
  // Frees the records and empties Lines and UnparsedLines; Masks stay.
  virtual void Clear();
  virtual std::size_t Count() const { return List_.size(); }
  // Clear, then copies of Value's records (without permissions), Lines, Masks, UnparsedLines.
  virtual void Assign(const TFTPList& Value);
  // Every line of Lines as EPLF or by the first mask that matches and validates; "." and ".."
  // directories are dropped. A two-line match consumes the next line too.
  virtual void ParseLines();
  // One record per line of Lines as a machine listing ("fact=value;... name"); the name is
  // everything after the first "; ", and facts are read only before it.
  virtual void ParseMLSDLines();

  const std::vector<std::unique_ptr<TFTPListRec>>& List() const { return List_; }
  std::vector<std::string>& Lines() { return Lines_; }
  const std::vector<std::string>& Lines() const { return Lines_; }
  std::vector<std::string>& Masks() { return Masks_; }
  const std::vector<std::string>& Masks() const { return Masks_; }
  std::vector<std::string>& UnparsedLines() { return UnparsedLines_; }
  const std::vector<std::string>& UnparsedLines() const { return UnparsedLines_; }

  // The local date and time now, used to date recent Unix entries that show a time instead
  // of a year; empty = the computer's clock.
  std::function<double()> CurrentTime;

 protected:
  // Working fields of one mask match, emptied before each match (UTF-8 text).
  std::string Monthnames, BlockSize, DirFlagValue, FileName, VMSFileName, Day, Month, ThreeMonth,
      YearTime, Year, Hours, HoursModif, Minutes, Seconds, Size, Permissions, DirFlag;

 private:
  double Now() const;
  void ApplyMonthnames() const;
  std::string* FieldOf(char32_t mask_char);
  std::optional<double> MatchedTime();
  std::size_t TakeRun(std::u32string_view line, std::size_t lp, char32_t prev, bool last_in_mask);
  std::size_t ReadParameter(std::u32string_view mask, std::size_t mp, char32_t prev);

  std::vector<std::unique_ptr<TFTPListRec>> List_;
  std::vector<std::string> Lines_;
  std::vector<std::string> Masks_;
  std::vector<std::string> UnparsedLines_;
};

// The value of the MLSD fact `Key` (such as "size=") in `Line`, found ignoring case, also
// inside a longer fact name; the text up to the next ";" or the end. Empty when absent.
std::string FactValue(std::string_view Line, std::string_view Key);

}  // namespace ov

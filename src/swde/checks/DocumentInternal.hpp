// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_CHECKS_DOCUMENTINTERNAL_HPP_
#define SWDE_CHECKS_DOCUMENTINTERNAL_HPP_

// What the sources of the document checks share. Internal to the library.

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {
namespace document {

// The verdict on one value: code 0 when it passes, else the finding's code and what was expected.
struct Verdict {
  int code = 0;
  AnsiString expected;
  explicit operator bool() const { return code != 0; }
};

inline Verdict Fail(smDocumentCode code, AnsiString expected) {
  return Verdict{code, std::move(expected)};
}

inline bool IsDigits(std::string_view text) {
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return !text.empty();
}

// The number of a run of at most nine digits; REQUIRES: IsDigits(text).
inline int DigitsValue(std::string_view text) {
  int value = 0;
  for (const char c : text) {
    value = value * 10 + (c - '0');
  }
  return value;
}

// StrictValues.cpp. A day is held as the number yyyymmdd.
// "rrrr.mm.dd" of a real day (year 1 to 9999) as its number; 0 when it is not one.
int ReadDay(std::string_view text);
// "rrrr.mm.dd" of a day's number.
AnsiString DayText(int day);
// "" when the day (year, month, day) exists, else what was expected of the first wrong field.
AnsiString CalendarFault(int year, int month, int day);
// Values that the catalogue's form check accepted ("DN", "HR", "DH"), judged strictly: digits
// only, a real day, a time of the clock, no day after `today` unless `futureOk`.
Verdict JudgeDate(std::string_view value, int today, bool futureOk);
Verdict JudgeTime(std::string_view value);
Verdict JudgeDateTime(std::string_view value, int today, bool futureOk);
// A number below zero (an area).
Verdict JudgeArea(std::string_view value);

// Shares.cpp. A share that the catalogue's fraction form accepted: n or n/d in natural numbers
// of at most 64 bits, d > 0, not negative. On success `numerator` and `denominator` hold it.
Verdict JudgeShare(std::string_view value, std::uint64_t& numerator, std::uint64_t& denominator);

// An exact sum of shares as a reduced fraction in 128 bits.
class ShareSum {
 public:
  // Adds n/d (d > 0). False, and the sum is lost, when it no longer fits 128 bits.
  bool add(std::uint64_t numerator, std::uint64_t denominator);
  bool overflowed() const { return overflowed_; }
  bool isOne() const { return !overflowed_ && numerator_ == denominator_; }
  bool exceedsOne() const { return !overflowed_ && numerator_ > denominator_; }
  // "p/q", or "p" when q is 1.
  AnsiString text() const;

 private:
  __extension__ using Wide = unsigned __int128;
  Wide numerator_ = 0;
  Wide denominator_ = 1;
  bool overflowed_ = false;
};

// Identifiers.cpp. The identifier checks of `check` (kPesel to kPrecinct) on a trimmed value;
// a valid parcel identifier leaves its precinct number in `precinct`.
Verdict JudgeIdentifier(ValueCheck check, std::string_view value, std::string_view* precinct);

// DocumentFindings.cpp. The object a finding is about.
struct Subject {
  const AnsiString& typeName;
  std::uint32_t line;
  std::uint32_t id;
};
// A finding of `code` about the entry (`entry`, `line`, `entryId`) of the object, with its
// severity and its message made from `args`.
smDocumentFinding MakeEntryFinding(smDocumentCode code, const Subject& object,
                                   const AnsiString& entry, std::uint32_t line,
                                   std::uint32_t entryId, std::initializer_list<AnsiString> args);

}  // namespace document
}  // namespace swde

#endif  // SWDE_CHECKS_DOCUMENTINTERNAL_HPP_

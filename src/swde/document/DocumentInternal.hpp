// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_DOCUMENT_DOCUMENTINTERNAL_HPP_
#define SWDE_DOCUMENT_DOCUMENTINTERNAL_HPP_

// What the sources of the document checks share. Internal to the library.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
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

// Whether the host wants `code` reported (it is not among options.notWanted).
inline bool Wanted(const smDocumentOptions& options, smDocumentCode code) {
  return std::find(options.notWanted.begin(), options.notWanted.end(), code) ==
         options.notWanted.end();
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

// The exact sum of a group of shares, the same whatever the order they come in. Shares are added
// into a reduced fraction of 128 bits while it holds them; a run that fills it becomes a leaf of
// a balanced tree of exact fractions (GMP's), adding pairs of leaves, then pairs of pairs,
// without reducing until the end, so that a group of many shares with unrelated denominators
// costs O(M(n) log n) and one reduction, not the O(n^2) of one growing sum. The numbers of any
// partial sum are at most as long as the shares' denominators together (each in lowest terms),
// plus 64 bits and a few: only a group whose denominators have more than `maxBits` bits together
// (a million denominators of 64 bits) is left unjudged, whatever the order of its shares.
class ShareSum {
 public:
  static constexpr std::uint32_t kMaxBits = std::uint32_t{1} << 26;
  explicit ShareSum(std::uint32_t maxBits = kMaxBits);
  ~ShareSum();
  ShareSum(ShareSum&& other) noexcept;
  ShareSum& operator=(ShareSum&& other) noexcept;

  // Adds n/d. REQUIRES: d > 0; settle() not called yet.
  void add(std::uint64_t numerator, std::uint64_t denominator);
  // Adds up what add() kept apart; call once, after the last add().
  void settle();
  // The shares' denominators have more than maxBits bits together: the sum is not made.
  bool beyondRange() const { return beyond_; }
  // Adds the shares of `other` (the same maxBits), which it settles. REQUIRES: settle() not
  // called yet on this one.
  void absorb(ShareSum& other);
  // After settle(): the sum is 1.
  bool isOne() const;
  // After settle(): -1, 0 or 1 as the sum is below, at or above 1. REQUIRES: !beyondRange().
  int compareOne() const;
  // After settle(): "p/q", or "p" when q is 1, when that takes at most kExactChars characters
  // (every sum that fits 128 bits does); otherwise an approximation: "~0.9876543" when it is
  // at least 10^-6 away from 1, else "~1 - 2.50e-40" or "~1 + 2.50e-40".
  AnsiString text() const;
  static constexpr std::size_t kExactChars = 80;

 private:
  class Rational;
  struct Big;
  __extension__ using Wide = unsigned __int128;
  Wide runNumerator() const { return Wide{run_[1]} << 64 | run_[0]; }
  Wide runDenominator() const { return Wide{run_[3]} << 64 | run_[2]; }
  void setRun(Wide numerator, Wide denominator);

  // The shares added since the last leaf as a reduced fraction: numerator and denominator, low
  // half first (as 64-bit halves, so that a group's sum takes 48 bytes, not 64).
  std::uint64_t run_[4] = {0, 0, 1, 0};
  std::unique_ptr<Big> big_;  // the tree, once there is one
  std::uint32_t room_;        // the bits that the shares' denominators may still take
  std::uint32_t max_;         // and at first
  bool beyond_ = false;
};

// Identifiers.cpp. What a valid parcel identifier names: views into its value.
struct ParcelParts {
  std::string_view unit;      // the cadastral unit WWPPGG_R
  std::string_view precinct;  // the precinct OOOO
};
// The identifier checks of `check` (pesel, nip, regon, teryt, precinct, parcel-id, kw) on a
// trimmed value, `today` the day of the check (yyyymmdd); a valid parcel identifier leaves its
// parts in `parcel`.
Verdict JudgeIdentifier(ValueCheck check, std::string_view value, int today, ParcelParts* parcel);

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

// Units.cpp. 7005 about the parcel identifier `value` (the attribute `attribute` at `line`, `id`)
// of `object`, whose relation names the precinct `precinct` of the cadastral unit `unit`.
smDocumentFinding MakeUnitFinding(const Subject& object, const AnsiString& attribute,
                                  std::uint32_t line, std::uint32_t id, const AnsiString& key,
                                  const AnsiString& value, const AnsiString& precinct,
                                  const AnsiString& unit);

}  // namespace document
}  // namespace swde

#endif  // SWDE_DOCUMENT_DOCUMENTINTERNAL_HPP_

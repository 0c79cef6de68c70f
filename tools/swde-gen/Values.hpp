// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_BENCH_GEN_VALUES_HPP_
#define SWDE_BENCH_GEN_VALUES_HPP_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "swde/metadata/Metadata.hpp"

#include "Random.hpp"

namespace swde::gen {

// The value form a base type code asks for; every code without a form rule is text.
enum class Form {
  kText,      // TX and any other code
  kReal,      // FL: "1234.56"
  kInteger,   // NO: "3"
  kLogical,   // LN: "0" or "1"
  kFraction,  // UL: "1/2"
  kDate,      // DN: "rrrr.mm.dd"
  kTime,      // HR: "gg:mm:ss"
  kDateTime,  // DH: "rrrr.mm.dd-gg:mm:ss"
};

Form formOf(std::string_view baseType);

// Days are counted from 1970-01-01 (negative before it), in the proleptic Gregorian calendar.
int daysFromCivil(int year, int month, int day);
// "rrrr.mm.dd" of a day number.
std::string formatDate(int days);
// "gg:mm:ss" of a second of the day.
std::string formatTime(int seconds);

// Makes plausible, well-formed values of a county register: parcel and building identifiers,
// Polish names and addresses, areas, dates. Every text is UTF-8 and fits CP1250. Identifiers
// are valid as the document checks judge them (check digits, forms) and never repeat within a
// document: each takes the next number of one running serial.
class Values {
 public:
  explicit Values(Random& random) : random_(random) {}

  // A well-formed value of `form` for the attribute `code`, valid for its `check` mark (a value
  // set, when the attribute has one, is the caller's business).
  std::string make(std::string_view code, Form form, ValueCheck check = ValueCheck::kNone);

  std::string text(std::string_view code);
  std::string real(std::string_view code);
  std::string integer(std::string_view code);
  std::string fraction();  // proper: numerator below denominator
  std::string date();      // a day between 1990 and 2024
  std::string time();
  std::string dateTime();
  std::string postalCode();  // "31-056"

  // A day between 1995 and 2023, as a day number; a creation day.
  int creationDay();

  // Starts a new object of record type `type`: the next identifiers refer to a fresh parcel, in
  // `precinct` (four digits) when it is not empty, of the cadastral unit `unit` (WWPPGG_R) when
  // that is not empty; or to the parcel `parcel` when it is not empty (a building standing on
  // it).
  void nextObject(std::string_view type, std::string precinct = {}, std::string unit = {},
                  std::string parcel = {});

  // PESEL and REGON numbers never repeat within a document: each names one subject.
  std::string pesel();
  std::string nip();
  std::string regon();
  std::string commune();   // a commune "WWPPGG_R" of the county
  std::string teryt();     // a commune "WWPPGG_R", a new one each time
  std::string precinct();  // "0001" to "9999", a new one for each object of a record type

 private:
  std::string digits(int count);
  std::string parcelId();

  Random& random_;
  std::string parcel_;    // identifier of the object's parcel; empty until asked for
  std::string precinct_;  // the object's precinct; empty: any
  std::unordered_map<std::string, std::uint64_t> registerUnits_;  // per precinct
  std::string unit_;       // the unit of the object's precinct; empty: any
  bool standsOn_ = false;  // parcel_ is the parcel a building stands on
  std::string builtOn_;    // the parcel of the last building, and its number there
  int building_ = 0;
  std::uint64_t subjects_ = 0;  // numbers the PESEL and REGON numbers
  std::uint64_t serial_ = 0;    // numbers the parcels and other identifiers
  std::uint64_t communes_ = 0;  // numbers the communes apart: their range is smaller
  std::unordered_map<std::string, std::uint64_t> precincts_;  // per record type
  std::uint64_t* precinctCount_ = nullptr;                    // of the current object's type
};

}  // namespace swde::gen

#endif  // SWDE_BENCH_GEN_VALUES_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Identifiers of the Polish registers: their forms and check digits.
//   PESEL  11 digits; weights 1 3 7 9 1 3 7 9 1 3, the check digit is (10 - sum mod 10) mod 10;
//          digits 1-6 are the birth date yymmdd, the month raised by 80 (1800s), 0 (1900s),
//          20 (2000s), 40 (2100s) or 60 (2200s); no one is born after the day of the check.
//   NIP    10 digits; weights 6 5 7 2 3 4 5 6 7, sum mod 11 is the check digit; 10 is never one.
//          Written with separators ("-", " ") or after a "PL" prefix, its digits are judged and
//          the form gets a warning of its own.
//   REGON  9 digits, weights 8 9 2 3 4 5 6 7, or 14 digits, weights 2 4 8 5 0 9 7 3 6 1 2 4 8,
//          whose first nine are a REGON of 9 digits themselves; sum mod 11 is the check digit,
//          10 counting as 0.
//   A NIP or REGON of zeros only passes its check digit, and is no number.
//   TERYT  a commune WWPPGG_R: an even voivodeship 02-32, a county and a commune from 01, and
//          the commune's type 1, 2, 3, 4, 5, 8 (a district of the capital, county 1465 only) or
//          9 (a delegation of a city with county rights, county 61 and above).
//   Parcel WWPPGG_R.OOOO[.AR_n].NDZ[/n]: the parcel number NDZ and its denominator n are natural
//          numbers from 1 without leading zeros; the map sheet AR_n (n from 1) comes only before
//          the number.
//   Precinct four digits, 0001 to 9999.
//   KW     a land and mortgage register number CCCC/NNNNNNNN/K: the court (two letters, a
//          digit, a letter), eight digits, and the check digit, the sum mod 10 of the first
//          twelve characters' values (digits as such, X 10, A 11 to Z 33 without Q and V)
//          weighted 1 3 7 1 3 7 ...
#include <string>
#include <string_view>
#include <vector>

#include "swde/document/DocumentInternal.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

constexpr const char* kParcelForm = "WWPPGG_R.OOOO[.AR_n].NDZ[/n]";
constexpr const char* kParcelNumber =
    "NDZ[/n] od 1, bez zer wiod\xB9"
    "cych";
constexpr const char* kSheet = "AR_n, n >= 1";
constexpr const char* kSheetFirst = "AR_n przed numerem dzia\xB3ki";
constexpr const char* kNoZeros = "nie same zera";
constexpr const char* kKwForm = "CCCC/NNNNNNNN/K";

int digitAt(std::string_view text, std::size_t i) {
  return text[i] - '0';
}

AnsiString checkDigitExpected(int digit) {
  return "cyfra kontrolna " + std::to_string(digit);
}

bool allZeros(std::string_view digits) {
  return digits.find_first_not_of('0') == std::string_view::npos;
}

// The weighted sum of the first N digits.
template <std::size_t N>
int weighted(std::string_view digits, const int (&weights)[N]) {
  int sum = 0;
  for (std::size_t i = 0; i < N; ++i) {
    sum += weights[i] * digitAt(digits, i);
  }
  return sum;
}

Verdict pesel(std::string_view value, int today) {
  static constexpr int kWeights[] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
  if (value.size() != 11 || !IsDigits(value)) {
    return Fail(dcPesel, "11 cyfr");
  }
  const int check = (10 - weighted(value, kWeights) % 10) % 10;
  if (check != digitAt(value, 10)) {
    return Fail(dcPesel, checkDigitExpected(check));
  }
  static constexpr int kCenturies[] = {1900, 2000, 2100, 2200, 1800};
  const int month = DigitsValue(value.substr(2, 2));
  const int year = kCenturies[month / 20] + DigitsValue(value.substr(0, 2));
  const int day = DigitsValue(value.substr(4, 2));
  if (!CalendarFault(year, month % 20, day).empty()) {
    return Fail(dcPesel,
                "data urodzenia istniej\xB9"
                "ca w kalendarzu");
  }
  if (year * 10000 + month % 20 * 100 + day > today) {
    return Fail(dcPesel, "data urodzenia <= " + DayText(today));
  }
  return {};
}

Verdict nip(std::string_view value) {
  static constexpr int kWeights[] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
  const bool prefixed = value.substr(0, 2) == "PL";
  std::string digits;
  for (const char c : value.substr(prefixed ? 2 : 0)) {
    if (c != '-' && c != ' ') {
      digits += c;
    }
  }
  if (digits.size() != 10 || !IsDigits(digits)) {
    return Fail(dcNip, "10 cyfr");
  }
  if (allZeros(digits)) {
    return Fail(dcNip, kNoZeros);
  }
  const int check = weighted(digits, kWeights) % 11;
  if (check == 10) {
    return Fail(dcNip,
                "reszta z dzielenia sumy kontrolnej przez 11 mniejsza ni\xBF"
                " 10");
  }
  if (check != digitAt(digits, 9)) {
    return Fail(dcNip, checkDigitExpected(check));
  }
  if (digits.size() != value.size()) {
    return Fail(dcNipForm, AnsiString(digits));  // the number is right, its writing is not
  }
  return {};
}

// A REGON of 9 or 14 digits, given as digits.
Verdict regonDigits(std::string_view value) {
  static constexpr int kWeights9[] = {8, 9, 2, 3, 4, 5, 6, 7};
  static constexpr int kWeights14[] = {2, 4, 8, 5, 0, 9, 7, 3, 6, 1, 2, 4, 8};
  if (allZeros(value)) {
    return Fail(dcRegon, kNoZeros);
  }
  if (value.size() == 14) {
    if (const Verdict unit = regonDigits(value.substr(0, 9))) {
      return Fail(dcRegon, "9 pierwszych cyfr: " + unit.expected);
    }
  }
  const int sum = value.size() == 9 ? weighted(value, kWeights9) : weighted(value, kWeights14);
  const int check = sum % 11 % 10;
  if (check != digitAt(value, value.size() - 1)) {
    return Fail(dcRegon, checkDigitExpected(check));
  }
  return {};
}

Verdict regon(std::string_view value) {
  if ((value.size() != 9 && value.size() != 14) || !IsDigits(value)) {
    return Fail(dcRegon, "9 lub 14 cyfr");
  }
  return regonDigits(value);
}

// "" when `value` is a commune code, else what was expected of it.
AnsiString terytFault(std::string_view value) {
  if (value.size() != 8 || value[6] != '_' || !IsDigits(value.substr(0, 6)) ||
      !IsDigits(value.substr(7))) {
    return "WWPPGG_R";
  }
  const int voivodeship = DigitsValue(value.substr(0, 2));
  const char type = value[7];
  if (voivodeship < 2 || voivodeship > 32 || voivodeship % 2 != 0 || value.substr(2, 2) == "00" ||
      value.substr(4, 2) == "00" ||
      std::string_view("1234589").find(type) == std::string_view::npos) {
    return "WWPPGG_R";
  }
  if (type == '8' && value.substr(0, 4) != "1465") {
    return "rodzaj 8 (dzielnica) tylko w powiecie 1465";
  }
  if (type == '9' && DigitsValue(value.substr(2, 2)) < 61) {
    return "rodzaj 9 (delegatura) tylko w powiecie od 61";
  }
  return {};
}

bool isPrecinct(std::string_view value) {
  return value.size() == 4 && IsDigits(value) && value != "0000";
}

// A natural number from 1, written without leading zeros.
bool isNatural(std::string_view value) {
  return IsDigits(value) && value[0] != '0';
}

// "" when `value` is a map sheet AR_n, else what was expected of it.
AnsiString sheetFault(std::string_view value) {
  if (value.substr(0, 3) != "AR_" || !IsDigits(value.substr(3))) {
    return kParcelForm;
  }
  return allZeros(value.substr(3)) ? kSheet : "";
}

// "" when `value` is a parcel number "n" or "n/m", else what was expected of it.
AnsiString numberFault(std::string_view value) {
  const std::size_t slash = value.find('/');
  const std::string_view number = value.substr(0, slash);
  const std::string_view denominator =
      slash == std::string_view::npos ? std::string_view("1") : value.substr(slash + 1);
  if (!IsDigits(number) || !IsDigits(denominator)) {
    return kParcelForm;
  }
  return isNatural(number) && isNatural(denominator) ? "" : kParcelNumber;
}

Verdict parcelId(std::string_view value, ParcelParts* parcel) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dot = value.find('.', start);
    parts.push_back(value.substr(start, dot - start));
    if (dot == std::string_view::npos) {
      break;
    }
    start = dot + 1;
  }
  if (parts.size() != 3 && parts.size() != 4) {
    return Fail(dcParcelId, kParcelForm);
  }
  AnsiString fault = terytFault(parts[0]);
  if (fault == "WWPPGG_R" || !isPrecinct(parts[1])) {
    fault = kParcelForm;
  } else if (fault.empty() && parts.size() == 4) {
    fault = sheetFault(parts[2]);
    if (!fault.empty() && sheetFault(parts[3]) != kParcelForm) {
      fault = kSheetFirst;  // the sheet after the number
    }
  }
  if (fault.empty()) {
    fault = numberFault(parts.back());
  }
  if (!fault.empty()) {
    return Fail(dcParcelId, std::move(fault));
  }
  *parcel = ParcelParts{parts[0], parts[1]};
  return {};
}

// The value of a character of a land and mortgage register number; -1 for any other.
int kwValue(char c) {
  static constexpr std::string_view kLetters = "XABCDEFGHIJKLMNOPRSTUWYZ";  // X is 10
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  const std::size_t at = kLetters.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at) + 10;
}

Verdict kw(std::string_view value) {
  const auto letter = [](char c) { return kwValue(c) >= 10; };
  if (value.size() != 15 || value[4] != '/' || value[13] != '/' || !letter(value[0]) ||
      !letter(value[1]) || !IsDigits(value.substr(2, 1)) || !letter(value[3]) ||
      !IsDigits(value.substr(5, 8)) || !IsDigits(value.substr(14))) {
    return Fail(dcKw, kKwForm);
  }
  static constexpr int kWeights[] = {1, 3, 7};
  int sum = 0;
  int position = 0;
  for (const std::string_view part : {value.substr(0, 4), value.substr(5, 8)}) {
    for (const char c : part) {
      sum += kWeights[position++ % 3] * kwValue(c);
    }
  }
  if (sum % 10 != digitAt(value, 14)) {
    return Fail(dcKw, checkDigitExpected(sum % 10));
  }
  return {};
}

}  // namespace

Verdict JudgeIdentifier(ValueCheck check, std::string_view value, int today, ParcelParts* parcel) {
  switch (check) {
    case ValueCheck::kPesel:
      return pesel(value, today);
    case ValueCheck::kNip:
      return nip(value);
    case ValueCheck::kRegon:
      return regon(value);
    case ValueCheck::kTeryt: {
      AnsiString fault = terytFault(value);
      return fault.empty() ? Verdict{} : Fail(dcTeryt, std::move(fault));
    }
    case ValueCheck::kPrecinct:
      return isPrecinct(value) ? Verdict{} : Fail(dcPrecinct, "0001-9999");
    case ValueCheck::kParcelId:
      return parcelId(value, parcel);
    case ValueCheck::kKw:
      return kw(value);
    case ValueCheck::kNone:
    case ValueCheck::kArea:
    case ValueCheck::kFutureOk:
      break;
  }
  return {};
}

}  // namespace document
}  // namespace swde

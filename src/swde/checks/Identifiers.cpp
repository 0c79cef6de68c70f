// swde — semantic checks of SWDE cadastral exchange objects.
//
// Identifiers of the Polish registers: their forms and check digits.
//   PESEL  11 digits; weights 1 3 7 9 1 3 7 9 1 3, the check digit is (10 - sum mod 10) mod 10;
//          digits 1-6 are the birth date yymmdd, the month raised by 80 (1800s), 0 (1900s),
//          20 (2000s), 40 (2100s) or 60 (2200s).
//   NIP    10 digits; weights 6 5 7 2 3 4 5 6 7, sum mod 11 is the check digit; 10 is never one.
//   REGON  9 digits, weights 8 9 2 3 4 5 6 7, or 14 digits, weights 2 4 8 5 0 9 7 3 6 1 2 4 8;
//          sum mod 11 is the check digit, 10 counting as 0.
//   TERYT  a commune WWPPGG_R: an even voivodeship 02-32, a county and a commune from 01, and
//          the commune's type 1, 2, 3, 4, 5, 8 or 9.
//   Parcel WWPPGG_R.OOOO.NDZ, the parcel number NDZ digits with an optional /n, and an optional
//          map sheet AR_n either before the number (as the register writes it) or after it.
//   Precinct four digits, 0001 to 9999.
#include <string>
#include <string_view>
#include <vector>

#include "swde/checks/DocumentInternal.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

constexpr const char* kParcelForm = "WWPPGG_R.OOOO[.AR_n].NDZ[/n]";

int digitAt(std::string_view text, std::size_t i) {
  return text[i] - '0';
}

AnsiString checkDigitExpected(int digit) {
  return "cyfra kontrolna " + std::to_string(digit);
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

Verdict pesel(std::string_view value) {
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
  if (!CalendarFault(year, month % 20, DigitsValue(value.substr(4, 2))).empty()) {
    return Fail(dcPesel,
                "data urodzenia istniej\xB9"
                "ca w kalendarzu");
  }
  return {};
}

Verdict nip(std::string_view value) {
  static constexpr int kWeights[] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
  if (value.size() != 10 || !IsDigits(value)) {
    return Fail(dcNip, "10 cyfr");
  }
  const int check = weighted(value, kWeights) % 11;
  if (check == 10) {
    return Fail(dcNip,
                "reszta z dzielenia sumy kontrolnej przez 11 mniejsza ni\xBF"
                " 10");
  }
  if (check != digitAt(value, 9)) {
    return Fail(dcNip, checkDigitExpected(check));
  }
  return {};
}

Verdict regon(std::string_view value) {
  static constexpr int kWeights9[] = {8, 9, 2, 3, 4, 5, 6, 7};
  static constexpr int kWeights14[] = {2, 4, 8, 5, 0, 9, 7, 3, 6, 1, 2, 4, 8};
  if ((value.size() != 9 && value.size() != 14) || !IsDigits(value)) {
    return Fail(dcRegon, "9 lub 14 cyfr");
  }
  const int sum = value.size() == 9 ? weighted(value, kWeights9) : weighted(value, kWeights14);
  const int check = sum % 11 % 10;
  if (check != digitAt(value, value.size() - 1)) {
    return Fail(dcRegon, checkDigitExpected(check));
  }
  return {};
}

bool isTeryt(std::string_view value) {
  if (value.size() != 8 || value[6] != '_' || !IsDigits(value.substr(0, 6)) ||
      !IsDigits(value.substr(7))) {
    return false;
  }
  const int voivodeship = DigitsValue(value.substr(0, 2));
  const char type = value[7];
  return voivodeship >= 2 && voivodeship <= 32 && voivodeship % 2 == 0 &&
         value.substr(2, 2) != "00" && value.substr(4, 2) != "00" &&
         std::string_view("1234589").find(type) != std::string_view::npos;
}

bool isPrecinct(std::string_view value) {
  return value.size() == 4 && IsDigits(value) && value != "0000";
}

// "n" or "n/m" in digits.
bool isParcelNumber(std::string_view value) {
  const std::size_t slash = value.find('/');
  return slash == std::string_view::npos
             ? IsDigits(value)
             : IsDigits(value.substr(0, slash)) && IsDigits(value.substr(slash + 1));
}

bool isSheet(std::string_view value) {
  return value.size() > 3 && value.substr(0, 3) == "AR_" && IsDigits(value.substr(3));
}

bool isParcelId(std::string_view value, std::string_view* precinct) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t dot = value.find('.', start);
    parts.push_back(value.substr(start, dot - start));
    if (dot == std::string_view::npos) {
      break;
    }
    start = dot + 1;
  }
  const bool rest = (parts.size() == 3 && isParcelNumber(parts[2])) ||
                    (parts.size() == 4 && ((isSheet(parts[2]) && isParcelNumber(parts[3])) ||
                                           (isParcelNumber(parts[2]) && isSheet(parts[3]))));
  if (!rest || !isTeryt(parts[0]) || !isPrecinct(parts[1])) {
    return false;
  }
  *precinct = parts[1];
  return true;
}

}  // namespace

Verdict JudgeIdentifier(ValueCheck check, std::string_view value, std::string_view* precinct) {
  switch (check) {
    case ValueCheck::kPesel:
      return pesel(value);
    case ValueCheck::kNip:
      return nip(value);
    case ValueCheck::kRegon:
      return regon(value);
    case ValueCheck::kTeryt:
      return isTeryt(value) ? Verdict{} : Fail(dcTeryt, "WWPPGG_R");
    case ValueCheck::kPrecinct:
      return isPrecinct(value) ? Verdict{} : Fail(dcPrecinct, "0001-9999");
    case ValueCheck::kParcelId:
      return isParcelId(value, precinct) ? Verdict{} : Fail(dcParcelId, kParcelForm);
    case ValueCheck::kNone:
    case ValueCheck::kArea:
    case ValueCheck::kFutureOk:
      break;
  }
  return {};
}

}  // namespace document
}  // namespace swde

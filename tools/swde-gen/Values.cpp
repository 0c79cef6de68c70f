// swde — semantic checks of SWDE cadastral exchange objects.
//
// Values are chosen by attribute code where the code has a recognisable meaning in the sample
// annex (identifiers, names, addresses); any other code gets a generic value of its form, so an
// annex with codes of its own still yields well-formed documents.
//
// A value made of several random parts draws them into named parts first: the operands of one
// expression may be evaluated in any order, and each compiler would make another document of
// the same seed.
#include "Values.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

namespace swde::gen {
namespace {

template <std::size_t N>
const char* pick(Random& random, const std::array<const char*, N>& list) {
  return list[random.below(N)];
}

const std::array<const char*, 6> kUnits = {"121905_2", "121906_5", "121907_2",
                                           "126101_1", "126102_1", "126103_1"};
const std::array<const char*, 16> kTowns = {
    "Kraków",   "Wieliczka", "Niepołomice",     "Skawina",   "Myślenice", "Bochnia",  "Zabierzów",
    "Liszki",   "Mogilany",  "Świątniki Górne", "Kocmyrzów", "Igołomia",  "Zielonki", "Michałowice",
    "Słomniki", "Gdów"};
const std::array<const char*, 16> kStreets = {
    "Długa",         "Krótka",       "Polna",    "Leśna",    "Słoneczna",   "Szkolna",
    "Kościelna",     "Ogrodowa",     "Łąkowa",   "Kwiatowa", "Mickiewicza", "Kościuszki",
    "Jana Pawła II", "Piłsudskiego", "Wiśniowa", "Źródlana"};
const std::array<const char*, 4> kProvinces = {"małopolskie", "śląskie", "podkarpackie",
                                               "świętokrzyskie"};
const std::array<const char*, 5> kCounties = {"krakowski", "wielicki", "myślenicki", "bocheński",
                                              "Kraków"};
const std::array<const char*, 20> kSurnames = {
    "Nowak",       "Kowalski",  "Wiśniewski", "Wójcik",    "Kowalczyk",  "Kamiński",  "Lewandowski",
    "Zieliński",   "Szymański", "Woźniak",    "Dąbrowski", "Kozłowski",  "Jankowski", "Mazur",
    "Kwiatkowski", "Krawczyk",  "Piotrowski", "Grabowski", "Nowakowski", "Pawłowski"};
const std::array<const char*, 20> kFirstNames = {
    "Anna",     "Maria",     "Katarzyna", "Małgorzata", "Agnieszka", "Barbara", "Ewa",
    "Krystyna", "Piotr",     "Krzysztof", "Andrzej",    "Tomasz",    "Paweł",   "Józef",
    "Marcin",   "Stanisław", "Łukasz",    "Grzegorz",   "Zofia",     "Jadwiga"};
const std::array<const char*, 6> kInstitutions = {
    "Gmina Wieliczka",
    "Skarb Państwa",
    "Spółdzielnia Mieszkaniowa „Nowy Dom”",
    "Parafia Rzymskokatolicka pw. św. Wojciecha",
    "Lasy Państwowe – Nadleśnictwo Myślenice",
    "Przedsiębiorstwo Handlowo-Usługowe „Żuraw” sp. z o.o."};
const std::array<const char*, 6> kDocumentKinds = {"akt notarialny",     "decyzja administracyjna",
                                                   "postanowienie sądu", "wypis z rejestru",
                                                   "umowa dzierżawy",    "operat techniczny"};
const std::array<const char*, 5> kIssuers = {
    "Kancelaria Notarialna Anna Wójcik, Kraków", "Sąd Rejonowy dla Krakowa-Podgórza",
    "Starosta Wielicki", "Wójt Gminy Liszki", "Prezydent Miasta Krakowa"};
const std::array<const char*, 6> kRemarks = {
    "podział działki",        "aktualizacja klasyfikacji gleboznawczej",
    "zmiana właściciela",     "wznowienie znaków granicznych",
    "modernizacja ewidencji", "sprostowanie błędu pisarskiego"};
const std::array<const char*, 3> kPropertyKinds = {"rolna", "leśna", "budowlana"};
const std::array<const char*, 6> kBuildingClasses = {"1110", "1121", "1122",
                                                     "1220", "1271", "1274"};
const std::array<const char*, 3> kBoundaryWays = {"ustalona w postępowaniu rozgraniczeniowym",
                                                  "przyjęta z operatu", "ustalona ugodą"};

constexpr bool codeIs(std::string_view code, std::string_view wanted) {
  return code == wanted;
}

void appendPadded(std::string& out, int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  out += buffer;
}

}  // namespace

Form formOf(std::string_view baseType) {
  if (baseType == "FL") {
    return Form::kReal;
  }
  if (baseType == "NO") {
    return Form::kInteger;
  }
  if (baseType == "LN") {
    return Form::kLogical;
  }
  if (baseType == "UL") {
    return Form::kFraction;
  }
  if (baseType == "DN") {
    return Form::kDate;
  }
  if (baseType == "HR") {
    return Form::kTime;
  }
  if (baseType == "DH") {
    return Form::kDateTime;
  }
  return Form::kText;
}

// Howard Hinnant's days_from_civil and civil_from_days.
int daysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yoe = year - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::string formatDate(int days) {
  days += 719468;
  const int era = (days >= 0 ? days : days - 146096) / 146097;
  const int doe = days - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int day = doy - (153 * mp + 2) / 5 + 1;
  const int month = mp < 10 ? mp + 3 : mp - 9;
  const int year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  std::string out;
  out.reserve(10);
  appendPadded(out, year, 4);
  out += '.';
  appendPadded(out, month, 2);
  out += '.';
  appendPadded(out, day, 2);
  return out;
}

std::string formatTime(int seconds) {
  std::string out;
  out.reserve(8);
  appendPadded(out, seconds / 3600, 2);
  out += ':';
  appendPadded(out, seconds / 60 % 60, 2);
  out += ':';
  appendPadded(out, seconds % 60, 2);
  return out;
}

std::string Values::make(std::string_view code, Form form, ValueCheck check) {
  switch (check) {
    case ValueCheck::kPesel:
      return pesel();
    case ValueCheck::kNip:
      return nip();
    case ValueCheck::kRegon:
      return regon();
    case ValueCheck::kParcelId:
      return parcelId();
    case ValueCheck::kTeryt:
      return teryt();
    case ValueCheck::kPrecinct:
      return precinct();
    default:
      break;
  }
  switch (form) {
    case Form::kText:
      return text(code);
    case Form::kReal:
      return real(code);
    case Form::kInteger:
      return integer(code);
    case Form::kLogical:
      return random_.chance(0.8) ? "0" : "1";
    case Form::kFraction:
      return fraction();
    case Form::kDate:
      return date();
    case Form::kTime:
      return time();
    case Form::kDateTime:
      return dateTime();
  }
  return text(code);
}

std::string Values::commune() {
  return pick(random_, kUnits);
}

void Values::nextObject(std::string_view type, std::string precinct, std::string unit,
                        std::string parcel) {
  standsOn_ = !parcel.empty();
  parcel_ = std::move(parcel);
  precinct_ = std::move(precinct);
  unit_ = std::move(unit);
  precinctCount_ = &precincts_[std::string(type)];
}

std::string Values::pesel() {
  static constexpr int kWeights[] = {1, 3, 7, 9, 1, 3, 7, 9, 1, 3};
  // The n-th number: a day of birth among 75 years of days (n times a number prime to their
  // count, so each day comes once in a round) and the round as the serial digits.
  constexpr std::uint64_t kDays = 75 * 365;
  const std::uint64_t n = subjects_++;
  const int born = daysFromCivil(1930, 1, 1) + static_cast<int>(n % kDays * 7919 % kDays);
  const std::string day = formatDate(born);  // "rrrr.mm.dd"
  const int year = std::stoi(day.substr(0, 4));
  std::string out = day.substr(2, 2);
  appendPadded(out, std::stoi(day.substr(5, 2)) + (year >= 2000 ? 20 : 0), 2);
  out += day.substr(8, 2);
  appendPadded(out, static_cast<int>(n / kDays % 10000), 4);
  int sum = 0;
  for (std::size_t i = 0; i < 10; ++i) {
    sum += kWeights[i] * (out[i] - '0');
  }
  out += static_cast<char>('0' + (10 - sum % 10) % 10);
  return out;
}

std::string Values::nip() {
  static constexpr int kWeights[] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
  for (;;) {
    const std::string rest = digits(8);
    std::string out = std::to_string(random_.between(1, 9)) + rest;
    int sum = 0;
    for (std::size_t i = 0; i < 9; ++i) {
      sum += kWeights[i] * (out[i] - '0');
    }
    if (sum % 11 != 10) {
      return out + static_cast<char>('0' + sum % 11);
    }
  }
}

std::string Values::regon() {
  static constexpr int kWeights[] = {8, 9, 2, 3, 4, 5, 6, 7};
  // The n-th of 10^8 numbers, in an order that looks random (7919 is prime to 10^8).
  std::string out;
  appendPadded(out, static_cast<int>((subjects_++ * 7919 + 12345678) % 100000000), 8);
  if (out == "00000000") {
    out[7] = '1';  // zeros only are no REGON
  }
  int sum = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    sum += kWeights[i] * (out[i] - '0');
  }
  return out + static_cast<char>('0' + sum % 11 % 10);
}

std::string Values::teryt() {
  // Voivodeships 02 to 32 (even), counties and communes from 01, the commune types 1 to 5 (the
  // types 8 and 9 belong to a few counties only).
  static constexpr char kTypes[] = "12345";
  const std::uint64_t n = communes_++;
  std::string out;
  appendPadded(out, 2 + 2 * static_cast<int>(n % 16), 2);
  appendPadded(out, 1 + static_cast<int>(n / 16 % 99), 2);
  appendPadded(out, 1 + static_cast<int>(n / 1584 % 99), 2);
  out += '_';
  out += kTypes[n / 156816 % 5];
  return out;
}

std::string Values::precinct() {
  std::string out;
  std::uint64_t& count = precinctCount_ != nullptr ? *precinctCount_ : precincts_[""];
  appendPadded(out, 1 + static_cast<int>(count++ % 9999), 4);
  return out;
}

std::string Values::digits(int count) {
  std::string out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    out += static_cast<char>('0' + random_.below(10));
  }
  return out;
}

std::string Values::parcelId() {
  if (parcel_.empty()) {
    parcel_ = pick(random_, kUnits);
    if (!unit_.empty()) {
      parcel_ = unit_;  // the random number is drawn all the same: the other values stay
    }
    parcel_ += '.';
    if (precinct_.empty()) {
      appendPadded(parcel_, random_.between(1, 40), 4);
    } else {
      parcel_ += precinct_;
    }
    parcel_ += '.';
    parcel_ += std::to_string(++serial_);
    if (random_.chance(0.3)) {
      parcel_ += '/';
      parcel_ += std::to_string(random_.between(1, 30));
    }
  }
  return parcel_;
}

std::string Values::text(std::string_view code) {
  if (codeIs(code, "G5IDD")) {
    return parcelId();
  }
  if (codeIs(code, "G5IDJ")) {
    return teryt();
  }
  if (codeIs(code, "G5NRO")) {
    return precinct();
  }
  if (codeIs(code, "G5NAZ") || codeIs(code, "G5MSC") || codeIs(code, "G5PCZ") ||
      codeIs(code, "G5GMN")) {
    return pick(random_, kTowns);
  }
  if (codeIs(code, "G5NOS")) {
    return std::to_string(random_.between(1, 60));
  }
  if (codeIs(code, "G5RZN")) {
    return pick(random_, kPropertyKinds);
  }
  if (codeIs(code, "G5NKW")) {
    // The court, eight digits and the check digit: the weighted sum (1 3 7 ...) of the values of
    // the twelve characters, mod 10. The court's letters count K 21, L 22, P 26, S 28.
    digits(1);  // once the check digit; still drawn, so that the other values stay
    const std::string number = digits(8);
    const std::size_t court = random_.below(4);
    static constexpr int kWeights[] = {1, 3, 7};
    int sum = 21 + 27 * 3 + 1 * 7 + std::array<int, 4>{26, 21, 28, 22}[court];
    for (std::size_t i = 0; i < number.size(); ++i) {
      sum += kWeights[(i + 4) % 3] * (number[i] - '0');
    }
    return "KR1" + std::string(1, "PKSL"[court]) + "/" + number + "/" + std::to_string(sum % 10);
  }
  if (codeIs(code, "G5UWG") || codeIs(code, "G5OPD") || codeIs(code, "G5OPZ")) {
    return pick(random_, kRemarks);
  }
  if (codeIs(code, "G5IDK") || codeIs(code, "G5IDT")) {
    const std::string part = std::to_string(random_.between(1, 9));
    return parcelId() + "." + part;
  }
  if (codeIs(code, "G5IDB")) {
    // Numbered on the parcel it stands on: the buildings of one parcel follow each other (and
    // no other parcel comes between them). On a parcel of its own: the first.
    if (!standsOn_) {
      return parcelId() + ".1_BUD";
    }
    building_ = parcel_ == builtOn_ ? building_ + 1 : 1;
    builtOn_ = parcel_;
    return parcel_ + "." + std::to_string(building_) + "_BUD";
  }
  if (codeIs(code, "G5IDL")) {
    const std::string unit = std::to_string(random_.between(1, 60));
    return parcelId() + ".1_BUD." + unit + "_LOK";
  }
  if (codeIs(code, "G5KLB")) {
    return pick(random_, kBuildingClasses);
  }
  if (codeIs(code, "G5KRJ")) {
    return "Polska";
  }
  if (codeIs(code, "G5WJD")) {
    return pick(random_, kProvinces);
  }
  if (codeIs(code, "G5PWJ")) {
    return pick(random_, kCounties);
  }
  if (codeIs(code, "G5ULC")) {
    return std::string("ul. ") + pick(random_, kStreets);
  }
  if (codeIs(code, "G5NRA")) {
    std::string out = std::to_string(random_.between(1, 180));
    if (random_.chance(0.15)) {
      out += "abc"[random_.below(3)];
    }
    return out;
  }
  if (codeIs(code, "G5NRL")) {
    return std::to_string(random_.between(1, 60));
  }
  if (codeIs(code, "G5KOD")) {
    return postalCode();
  }
  if (codeIs(code, "G5PSL")) {
    return pesel();
  }
  if (codeIs(code, "G5NIP")) {
    return nip();
  }
  if (codeIs(code, "G5RGN")) {
    return regon();
  }
  if (codeIs(code, "G5NZW")) {
    return pick(random_, kSurnames);
  }
  if (codeIs(code, "G5PIM") || codeIs(code, "G5DIM") || codeIs(code, "G5OJC") ||
      codeIs(code, "G5OMC")) {
    return pick(random_, kFirstNames);
  }
  if (codeIs(code, "G5NPE")) {
    return pick(random_, kInstitutions);
  }
  if (codeIs(code, "G5NSK")) {
    return "ZP-" + digits(3);
  }
  if (codeIs(code, "G5IJR")) {
    // Numbered within the precinct, as offices number register units: G1, B2, L3, ...
    return std::string(1, "GBL"[random_.below(3)]) + std::to_string(++registerUnits_[precinct_]);
  }
  if (codeIs(code, "G5TDOK")) {
    return pick(random_, kDocumentKinds);
  }
  if (codeIs(code, "G5SYG")) {
    const std::string year = std::to_string(random_.between(1995, 2024));
    return "Rep. A nr " + std::to_string(random_.between(1, 9999)) + "/" + year;
  }
  if (codeIs(code, "G5NSR")) {
    return pick(random_, kIssuers);
  }
  if (codeIs(code, "G5KDK") || codeIs(code, "G5NRZ")) {
    return "P.1219." + std::to_string(random_.between(1995, 2024)) + "." +
           std::to_string(++serial_);
  }
  if (codeIs(code, "G5NPL")) {
    std::string out = "obr";
    appendPadded(out, random_.between(1, 40), 4);
    out += "_ark";
    appendPadded(out, random_.between(1, 60), 2);
    out += ".tif";
    return out;
  }
  if (codeIs(code, "G5IDG")) {
    return "GR." + std::to_string(++serial_);
  }
  if (codeIs(code, "G5SUG")) {
    return pick(random_, kBoundaryWays);
  }
  if (codeIs(code, "G5IDP")) {
    return "1219.0" + digits(3) + "." + std::to_string(++serial_);
  }
  // A code without a known meaning: the code and a number, e.g. "G5XYZ-1234".
  return std::string(code) + "-" + std::to_string(random_.between(1, 99999));
}

std::string Values::real(std::string_view code) {
  int whole = 0;
  int decimals = 2;
  if (codeIs(code, "G5PEW")) {
    // Parcel areas in hectares, to four decimals; most parcels are small.
    whole = random_.chance(0.85) ? random_.between(0, 2) : random_.between(3, 250);
    decimals = 4;
  } else if (codeIs(code, "G5WRT")) {
    whole = random_.between(5000, 2500000);
  } else if (codeIs(code, "G5ISD")) {
    whole = 0;
  } else {
    whole = random_.between(0, 99999);
  }
  int fraction = static_cast<int>(random_.below(decimals == 4 ? 10000 : 100));
  if (whole == 0 && fraction == 0 && decimals == 4) {
    fraction = 1;  // an area is above zero
  }
  std::string out = std::to_string(whole);
  out += '.';
  appendPadded(out, fraction, decimals);
  return out;
}

std::string Values::integer(std::string_view code) {
  if (codeIs(code, "G5RBB")) {
    return std::to_string(random_.between(1890, 2024));
  }
  if (codeIs(code, "G5LKN")) {
    return std::to_string(random_.between(1, 11));
  }
  if (codeIs(code, "G5LKP")) {
    return std::to_string(random_.between(0, 2));
  }
  if (codeIs(code, "G5LIZ")) {
    return std::to_string(random_.between(1, 7));
  }
  if (codeIs(code, "G5KND")) {
    return std::to_string(random_.between(-1, 10));
  }
  if (codeIs(code, "G5SKL")) {
    static const std::array<const char*, 4> kScales = {"500", "1000", "2000", "5000"};
    return pick(random_, kScales);
  }
  return std::to_string(random_.between(0, 999));
}

std::string Values::fraction() {
  static const std::array<int, 11> kDenominators = {2, 2, 2, 3, 4, 4, 6, 8, 12, 24, 100};
  if (random_.chance(0.15)) {
    return "1/1";
  }
  const int denominator = kDenominators[random_.below(kDenominators.size())];
  const int numerator = random_.between(1, denominator - 1);
  return std::to_string(numerator) + "/" + std::to_string(denominator);
}

std::string Values::date() {
  return formatDate(daysFromCivil(1990, 1, 1) + random_.between(0, 35 * 365));
}

std::string Values::time() {
  return formatTime(random_.between(6 * 3600, 20 * 3600));
}

std::string Values::dateTime() {
  return formatDate(creationDay()) + "-" + time();
}

std::string Values::postalCode() {
  std::string out;
  appendPadded(out, random_.between(0, 99), 2);
  out += '-';
  appendPadded(out, random_.between(0, 999), 3);
  return out;
}

int Values::creationDay() {
  return daysFromCivil(1995, 1, 1) + random_.between(0, 29 * 365);
}

}  // namespace swde::gen

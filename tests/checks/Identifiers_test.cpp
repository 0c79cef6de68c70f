// swde — semantic checks of SWDE cadastral exchange objects.
//
// The identifier checks, as tables of right and wrong values. The right ones are made here by
// the public algorithms (PESEL, NIP, REGON, land and mortgage register numbers), each wrong one
// is a right one spoiled in one way; every row names the finding it must give (or none).
// Then the cadastral unit of a parcel identifier against its precinct's (7005), as documents.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/metadata/Metadata.hpp"

#include "checks/DocumentSupport.hpp"

namespace {

using swde::ValueCheck;
using swde_test::Obj;

constexpr const char* kToday = "2026.06.15";

// The digit that the weighted sum of `digits` asks for: sum mod `modulus`, then `map`.
int WeightedSum(const std::string& digits, const std::vector<int>& weights) {
  int sum = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    sum += weights[i] * (digits[i] - '0');
  }
  return sum;
}

std::string Two(int n) {
  return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

// A PESEL of someone born on the day, with a serial number of four digits.
std::string Pesel(int year, int month, int day, const std::string& serial) {
  const int raised = month + (year < 1900 ? 80 : (year - 1900) / 100 * 20);
  const std::string digits = Two(year % 100) + Two(raised) + Two(day) + serial;
  const int sum = WeightedSum(digits, {1, 3, 7, 9, 1, 3, 7, 9, 1, 3});
  return digits + std::to_string((10 - sum % 10) % 10);
}

// A NIP of nine digits and its check digit. REQUIRES: the sum does not leave 10.
std::string Nip(const std::string& nine) {
  const int check = WeightedSum(nine, {6, 5, 7, 2, 3, 4, 5, 6, 7}) % 11;
  EXPECT_NE(check, 10) << nine;
  return nine + std::to_string(check);
}

// A REGON of eight or thirteen digits and its check digit.
std::string Regon(const std::string& digits) {
  const std::vector<int> weights = digits.size() == 8
                                       ? std::vector<int>{8, 9, 2, 3, 4, 5, 6, 7}
                                       : std::vector<int>{2, 4, 8, 5, 0, 9, 7, 3, 6, 1, 2, 4, 8};
  return digits + std::to_string(WeightedSum(digits, weights) % 11 % 10);
}

// A land and mortgage register number of a court and eight digits, with its check digit.
std::string Kw(const std::string& court, const std::string& number) {
  const std::string letters = "XABCDEFGHIJKLMNOPRSTUWYZ";  // 10, 11, ... 33
  const int weights[] = {1, 3, 7};
  int sum = 0;
  int i = 0;
  for (const char c : court + number) {
    const int value = c <= '9' ? c - '0' : static_cast<int>(letters.find(c)) + 10;
    sum += weights[i++ % 3] * value;
  }
  return court + "/" + number + "/" + std::to_string(sum % 10);
}

// `value` with its last character replaced by `c`.
std::string Last(std::string value, char c) {
  value.back() = c;
  return value;
}

std::unique_ptr<swde::Metadata> MakeAnnex() {
  auto annex = std::make_unique<swde::Metadata>();
  const std::pair<const char*, ValueCheck> decls[] = {
      {"G5PSL", ValueCheck::kPesel},    {"G5NIP", ValueCheck::kNip},
      {"G5RGN", ValueCheck::kRegon},    {"G5IDJ", ValueCheck::kTeryt},
      {"G5IDD", ValueCheck::kParcelId}, {"G5NRO", ValueCheck::kPrecinct},
      {"G5NKW", ValueCheck::kKw}};
  for (const auto& [name, check] : decls) {
    annex->attribsSection->addAttribute(name, "TX")->check = check;
  }
  annex->typesSection->addType("G5JEW", "RO")->addAttribute("G5IDJ", "G5IDJ")->key = true;
  swde::RecordType* precinct = annex->typesSection->addType("G5OBR", "RO");
  precinct->addAttribute("G5NRO", "G5NRO")->key = true;
  precinct->addReference("G5RJEW", "G5RJEW")->addRefTypeName("G5JEW");
  swde::RecordType* parcel = annex->typesSection->addType("G5DZE", "RO");
  parcel->addAttribute("G5IDD", "G5IDD")->key = true;
  parcel->addReference("G5ROBR", "G5ROBR")->addRefTypeName("G5OBR");
  return annex;
}

struct Row {
  const char* attribute;
  std::string value;
  std::string expected;  // "code expected" of each finding, or "" for none
};

TEST(Identifiers, RightAndWrongValues) {
  const std::string nip = Nip("526025027");  // 5260250274
  const std::string regon = Regon("12345678");
  const std::string wrongUnit = Last(regon, '4');  // 123456784: its check digit is 5
  const std::string kw = Kw("KR1P", "00123456");
  const std::vector<Row> rows = {
      // PESEL: check digit, birth date in the calendar and not after the day of the check.
      {"G5PSL", Pesel(1944, 5, 14, "0135"), ""},
      {"G5PSL", Pesel(1850, 12, 31, "4321"), ""},
      {"G5PSL", Pesel(2026, 6, 15, "0007"), ""},
      {"G5PSL", Pesel(2026, 6, 16, "0007"), "7020 data urodzenia <= 2026.06.15"},
      {"G5PSL", Pesel(2150, 1, 1, "1234"), "7020 data urodzenia <= 2026.06.15"},
      {"G5PSL", Pesel(2299, 12, 31, "1234"), "7020 data urodzenia <= 2026.06.15"},
      {"G5PSL", Pesel(2001, 2, 29, "1234"), "7020 data urodzenia istniejąca w kalendarzu"},
      // NIP: the digits are judged, whatever separators or prefix; the form is a warning.
      {"G5NIP", nip, ""},
      {"G5NIP", "526-025-02-74", "7027 " + nip},
      {"G5NIP", "526-02-50-274", "7027 " + nip},
      {"G5NIP", "PL" + nip, "7027 " + nip},
      {"G5NIP", "PL 526 025 02 74", "7027 " + nip},
      {"G5NIP", "526-025-02-75", "7021 cyfra kontrolna 4"},
      {"G5NIP", "PL5260250275", "7021 cyfra kontrolna 4"},
      {"G5NIP", "0000000000", "7021 nie same zera"},
      {"G5NIP", "000-000-00-00", "7021 nie same zera"},
      {"G5NIP", "pl" + nip, "7021 10 cyfr"},
      {"G5NIP", "PL", "7021 10 cyfr"},
      {"G5NIP", "526.025.02.74", "7021 10 cyfr"},
      // REGON: 9 or 14 digits, the 14 beginning with a REGON of 9; never zeros only.
      {"G5RGN", regon, ""},
      {"G5RGN", Regon(regon + "0123"), ""},
      {"G5RGN", Regon(wrongUnit + "0123"), "7022 9 pierwszych cyfr: cyfra kontrolna 5"},
      {"G5RGN", Last(Regon(regon + "0123"), '0'),
       "7022 cyfra kontrolna " + std::string(1, Regon(regon + "0123").back())},
      {"G5RGN", "000000000", "7022 nie same zera"},
      {"G5RGN", "00000000000000", "7022 nie same zera"},
      {"G5RGN", Regon("0000000001234"), "7022 9 pierwszych cyfr: nie same zera"},
      // TERYT: type 8 only in the capital, type 9 only in a city with county rights.
      {"G5IDJ", "146502_8", ""},
      {"G5IDJ", "126101_9", ""},
      {"G5IDJ", "306401_9", ""},
      {"G5IDJ", "126102_8", "7024 rodzaj 8 (dzielnica) tylko w powiecie 1465"},
      {"G5IDJ", "146002_8", "7024 rodzaj 8 (dzielnica) tylko w powiecie 1465"},
      {"G5IDJ", "121905_9", "7024 rodzaj 9 (delegatura) tylko w powiecie od 61"},
      {"G5IDJ", "126001_9", "7024 rodzaj 9 (delegatura) tylko w powiecie od 61"},
      {"G5IDJ", "121905_6", "7024 WWPPGG_R"},
      // Parcel identifiers: numbers from 1 without leading zeros, the sheet before the number.
      {"G5IDD", "141201_1.0001.6509", ""},
      {"G5IDD", "141201_1.0001.AR_2.6509", ""},
      {"G5IDD", "141201_1.0001.AR_12.10/100", ""},
      {"G5IDD", "146502_8.0001.1", ""},
      {"G5IDD", "141201_1.0001.0", "7023 NDZ[/n] od 1, bez zer wiodących"},
      {"G5IDD", "141201_1.0001.17/0", "7023 NDZ[/n] od 1, bez zer wiodących"},
      {"G5IDD", "141201_1.0001.0012", "7023 NDZ[/n] od 1, bez zer wiodących"},
      {"G5IDD", "141201_1.0001.00/3", "7023 NDZ[/n] od 1, bez zer wiodących"},
      {"G5IDD", "141201_1.0001.12/03", "7023 NDZ[/n] od 1, bez zer wiodących"},
      {"G5IDD", "141201_1.0001.45.AR_3", "7023 AR_n przed numerem działki"},
      {"G5IDD", "141201_1.0001.AR_0.6509", "7023 AR_n, n >= 1"},
      {"G5IDD", "141201_1.0001.AR_.6509", "7023 WWPPGG_R.OOOO[.AR_n].NDZ[/n]"},
      {"G5IDD", "141201_1.0001.AR_1.AR_2", "7023 WWPPGG_R.OOOO[.AR_n].NDZ[/n]"},
      {"G5IDD", "141201_1.0000.5", "7023 WWPPGG_R.OOOO[.AR_n].NDZ[/n]"},
      {"G5IDD", "141201_1.0001.5.6", "7023 WWPPGG_R.OOOO[.AR_n].NDZ[/n]"},
      {"G5IDD", "126102_8.0001.5", "7023 rodzaj 8 (dzielnica) tylko w powiecie 1465"},
      // Land and mortgage register numbers.
      {"G5NKW", "KR1P/00123456/4", ""},
      {"G5NKW", kw, ""},
      {"G5NKW", Kw("WA4M", "00012345"), ""},
      {"G5NKW", Kw("XZ9Y", "99999999"), ""},
      {"G5NKW", "KR1P/00123456/7", "7026 cyfra kontrolna 4"},
      {"G5NKW", "KQ1P/00123456/4", "7026 CCCC/NNNNNNNN/K"},
      {"G5NKW", "kr1p/00123456/4", "7026 CCCC/NNNNNNNN/K"},
      {"G5NKW", "KRXP/00123456/4", "7026 CCCC/NNNNNNNN/K"},
      {"G5NKW", "KR1P/0012345/4", "7026 CCCC/NNNNNNNN/K"},
      {"G5NKW", "KR1P-00123456-4", "7026 CCCC/NNNNNNNN/K"},
      {"G5NKW", "KR1P/00123456/X", "7026 CCCC/NNNNNNNN/K"},
  };
  ASSERT_EQ(nip, "5260250274");
  ASSERT_EQ(kw, "KR1P/00123456/4");
  const auto annex = MakeAnnex();
  const swde::smObjectChecks checks(annex.get(), {kToday});
  for (const Row& row : rows) {
    const auto object = swde_test::Build({"G5OSF", 1, 7, {{row.attribute, row.value.c_str()}}, {}});
    std::vector<swde::smDocumentFinding> findings;
    checks.check(*object, findings);
    std::string rendered;
    for (const swde::smDocumentFinding& f : findings) {
      rendered += (rendered.empty() ? "" : "; ") + std::to_string(f.code) + " " +
                  swde::Cp1250ToUtf8(f.expected);
      EXPECT_EQ(f.value, row.value);
    }
    EXPECT_EQ(rendered, row.expected) << row.attribute << " = '" << row.value << "'";
  }
}

TEST(Identifiers, ParcelUnitAgainstItsPrecinctsUnit) {
  const auto annex = MakeAnnex();
  const std::vector<Obj> objects = {
      {"G5JEW", 1, 1, {{"G5IDJ", "141201_1"}}, {}},
      {"G5OBR", 10, 2, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141201_1"}}},
      // The same unit; another unit.
      {"G5DZE", 20, 3, {{"G5IDD", "141201_1.0001.5"}}, {{"G5ROBR", "G5OBR", "0001"}}},
      {"G5DZE", 30, 4, {{"G5IDD", "141202_1.0001.6"}}, {{"G5ROBR", "G5OBR", "0001"}}},
      // Before its precinct; a precinct number that differs too (7004).
      {"G5DZE", 40, 5, {{"G5IDD", "141203_2.0002.7"}}, {{"G5ROBR", "G5OBR", "0002"}}},
      {"G5DZE", 44, 6, {{"G5IDD", "141203_2.0001.7"}}, {{"G5ROBR", "G5OBR", "0002"}}},
      // A precinct that names no unit, one that is not in the document, an invalid identifier.
      {"G5DZE", 50, 7, {{"G5IDD", "141202_1.0003.7"}}, {{"G5ROBR", "G5OBR", "0003"}}},
      {"G5DZE", 54, 8, {{"G5IDD", "141202_1.0009.7"}}, {{"G5ROBR", "G5OBR", "0009"}}},
      {"G5DZE", 58, 9, {{"G5IDD", "141202_1.0001.07"}}, {{"G5ROBR", "G5OBR", "0001"}}},
      {"G5OBR", 60, 10, {{"G5NRO", "0002"}}, {{"G5RJEW", "G5JEW", "141201_1"}}},
      {"G5OBR", 70, 11, {{"G5NRO", "0003"}}, {}},
      // Left out: no finding, and its unit is nobody's.
      {"G5DZE", 80, 12, {{"G5IDD", "141202_1.0002.8"}}, {{"G5ROBR", "G5OBR", "0002"}}, "21"},
      {"G5OBR", 90, 13, {{"G5NRO", "0004"}}, {{"G5RJEW", "G5JEW", "141201_1"}}, "22"},
      {"G5DZE", 95, 14, {{"G5IDD", "141202_1.0004.8"}}, {{"G5ROBR", "G5OBR", "0004"}}},
  };
  EXPECT_EQ(swde_test::CheckDocument(annex.get(), {kToday}, objects),
            "7023@59 G5DZE G5IDD/1 v=141202_1.0001.07 e=NDZ[/n] od 1, bez zer wiodących "
            "k=141202_1.0001.07; "
            "7005@31 G5DZE G5IDD/1 v=141202_1.0001.6 e=141201_1 k=141202_1.0001.6; "
            "7005@41 G5DZE G5IDD/1 v=141203_2.0002.7 e=141201_1 k=141203_2.0002.7; "
            "7004@45 G5DZE G5IDD/1 v=141203_2.0001.7 e=0002 k=141203_2.0001.7; "
            "7005@45 G5DZE G5IDD/1 v=141203_2.0001.7 e=141201_1 k=141203_2.0001.7; "
            "7002@56 G5DZE G5ROBR/1 v=0009 k=141202_1.0009.7; "
            "7002@97 G5DZE G5ROBR/1 v=0004 k=141202_1.0004.8");

  std::vector<swde::smDocumentFinding> findings =
      swde_test::CheckObjects(annex.get(), {kToday}, {objects[0], objects[1], objects[3]});
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(swde::Cp1250ToUtf8(findings[0].message),
            "Jednostka ewidencyjna w identyfikatorze działki G5IDD w obiekcie G5DZE niezgodna z "
            "jednostką 141201_1 obrębu 0001");
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The value checks: the form of each base type (checkAttribute), blank values and value sets
// (checkAttribValueRange), fractions, real numbers and the dates of creation and verification.

#include <map>

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

using namespace swde_test;

// Checks one value in an object whose annex defines nothing, so that an accepted value reaches
// the per-type hook at once.
void ExpectForm(const std::string& baseType, const std::string& value, int code) {
  SCOPED_TRACE(Shown(baseType) + " " + Shown(value));
  Sets s;
  HookProbe object("G5TST");
  s.Wire(object);
  object.checkAttribute(baseType, Attr(object, "ATR", "", value, 41, 42));
  EXPECT_EQ(Rendered(object),
            code == 0 ? Lines{} : Lines{E(code, 0, 41, 42, "G5TST", {"ATR", "G5TST"})});
  EXPECT_EQ(object.hooked, code == 0 ? Lines{"ATR=" + value} : Lines{});
}

// data/value-forms.tsv: per base type, the values it accepts and hands on, those it reports with
// its code, and those reported for their ";" (6033) before any form is looked at.
TEST(CheckAttribute, FormOfEachBaseType) {
  std::size_t values = 0;
  for (const Lines& row : Table("value-forms.tsv")) {
    for (std::size_t i = 3; row[0] == "form" && i < row.size(); ++i, ++values) {
      ExpectForm(row[1], row[i], std::stoi(row[2]));
    }
  }
  EXPECT_EQ(values, 132u);
}

// data/object-checks.tsv "flags": a malformed DN of the code G5DTW, or DH of G5DTU, clears its
// flag; the code decides, compared trimmed; a ";" report clears nothing.
TEST(CheckAttribute, DateFlags) {
  for (const Lines& row : Rows("object-checks.tsv", "flags", 8)) {
    SCOPED_TRACE(testing::PrintToString(row));
    Sets s;
    swde::smObject object("G5DZE");
    s.Wire(object);
    object.checkAttribute(row[0], Attr(object, row[1], row[2], row[3]));
    EXPECT_EQ(object.creationDateValid, row[4] == "1");
    EXPECT_EQ(object.verificationDateValid, row[5] == "1");
  }
}

// "range": blank values by mandatory level, then the value set, compared trimmed; the annex's
// definition of the entry's CODE in the object's own record type decides, whatever the file
// defines.
TEST(CheckAttribValueRange, BlanksAndValueSets) {
  for (const Lines& row : Rows("object-checks.tsv", "range", 17)) {
    SCOPED_TRACE(testing::PrintToString(row));
    Sets s;
    swde::RecordType* type = row[0] == "file" ? s.FileType("G5TST") : s.AnnexType("G5TST");
    type->addAttribute("NAZ", "INNY", 1);  // named like the entry, but not its code
    const int level = row[0] == "other" ? -9 : row[0] == "file" ? -8 : std::stoi(row[0]);
    swde::AttributeDef* def = type->addAttribute("X", level == -9 ? "OTHER" : "ATR", level);
    for (int i = 0; i < std::stoi(row[1]); ++i) {
      def->addPossibleValue(i == 0 ? "A" : "B");
    }
    HookProbe object("G5TST");
    s.Wire(object);
    object.checkAttribValueRange(Attr(object, "ATR", "NAZ", row[2], 51, 52));
    const int code = std::stoi(row[3]);
    EXPECT_EQ(
        Rendered(object),
        code == 0 ? Lines{} : Lines{E(code, std::stoi(row[4]), 51, 52, "G5TST", {"NAZ", "G5TST"})});
    EXPECT_EQ(object.hooked, row[5] == "1" ? Lines{"NAZ=" + row[2]} : Lines{});
  }
}

// data/value-forms.tsv: whether each fraction is read and proper, and each real number read.
TEST(IsCorectFraction, FormAndPropernessAndRealNumbers) {
  std::size_t values = 0;
  swde::smObject real("G5TST");
  for (const Lines& row : Table("value-forms.tsv")) {
    for (std::size_t i = row[0] == "real" ? 2 : 3; row[0] != "form" && i < row.size();
         ++i, ++values) {
      const bool result = row[1] == "1";
      std::string value = row[i];
      SCOPED_TRACE(row[0] + " " + Shown(value));
      if (row[0] == "real") {
        EXPECT_EQ(real.isCorrectFloatData(value), result);
        EXPECT_EQ(value, row[i]);
        continue;
      }
      for (const bool before : {false, true}) {
        swde::smObject object("G5PDZ");
        swde::smAttribute* attribute = Attr(object, "G5UD", "UDZ", value, 71, 72);
        object.fractionProper = before;
        EXPECT_EQ(object.isCorectFraction(attribute), result);
        EXPECT_EQ(object.fractionProper, row[2] == "1");
        EXPECT_EQ(Rendered(object),
                  result ? Lines{} : Lines{E(6016, 0, 71, 72, "G5PDZ", {"UDZ", "G5PDZ"})});
      }
    }
  }
  EXPECT_EQ(values, 36u + 30u);
  EXPECT_TRUE(real.errors.empty());
}

// "date": 6003, 6004 for a present but empty (or ";") date, 6005 for a creation day after the
// verification date. G5DTU is found by name, and of equal names the first counts.
TEST(CheckDate, EmptinessAndOrder) {
  const std::map<std::string, std::string> lines = {
      {"6003", E(6003, 0, 11, 12, "G5DZE", {"G5DZE"})},
      {"6004", E(6004, 0, 21, 22, "G5DZE", {"G5DZE"})},
      {"6005", E(6005, 0, 21, 22, "G5DZE", {"G5DZE"})}};
  for (const Lines& row : Rows("object-checks.tsv", "date", 14)) {
    SCOPED_TRACE(testing::PrintToString(row));
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    if (row[0] != "-") {
      Attr(object, "X", "G5DTU", row[0], 11, 12);
      Attr(object, "G5DTU", "OTHER", "", 13, 14);
    }
    if (row[1] != "-") {
      Attr(object, "G5DTW", "", row[1], 21, 22);
      Attr(object, "G5DTW", "", "2000.01.01", 31, 32);
    }
    object.creationDateValid = row[2] == "1";
    object.verificationDateValid = row[3] == "1";
    object.checkDate();
    Lines expected;
    for (std::size_t i = 4; i < row.size(); ++i) {
      expected.push_back(lines.at(row[i]));
    }
    EXPECT_EQ(Rendered(object), expected);
  }
}

}  // namespace

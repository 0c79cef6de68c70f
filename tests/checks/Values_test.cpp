// swde — semantic checks of SWDE cadastral exchange objects.
//
// The value checks: the form of each base type (checkAttribute), blank values and value sets
// (checkAttribValueRange), fractions, real numbers and the dates of creation and verification.

#include <optional>
#include <string>
#include <vector>

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

// A malformed DN of the code G5DTW, or DH of G5DTU, clears its flag; the code decides,
// compared trimmed; a ";" report clears nothing.
TEST(CheckAttribute, DateFlags) {
  // clang-format off
  const struct {
    const char* baseType;
    const char* code;
    const char* name;
    const char* value;
    bool creation;
    bool verification;
  } rows[] = {
      {"DN", "G5DTW", "", "2005/01/01", true, false},
      {"DN", " G5DTW\t", "Y", "2005/01/01", true, false},
      {"DN", "X", "G5DTW", "2005/01/01", true, true}, {"DN", "G5DTW", "", "2005;01;01", true, true},
      {"DH", "G5DTU", "", "2005.01.01 12:30:00", false, true}, {"DH", "G5DTU", "", ";", true, true},
      {"DH", "G5DTW", "", "2005.01.01 12:30:00", true, true},
      {"HR", "G5DTW", "", "bad", true, true},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.baseType << " " << Shown(row.code) << " "
                                    << Shown(row.name) << " " << Shown(row.value));
    Sets s;
    swde::smObject object("G5DZE");
    s.Wire(object);
    object.checkAttribute(row.baseType, Attr(object, row.code, row.name, row.value));
    EXPECT_EQ(object.creationDateValid, row.creation);
    EXPECT_EQ(object.verificationDateValid, row.verification);
  }
}

// Blank values by mandatory level (1: error, 2: warning, 3 and up: not even the hook), then the
// value set, compared trimmed; the annex's definition of the entry's CODE in the object's own
// record type decides, whatever the file defines.
TEST(CheckAttribValueRange, BlanksAndValueSets) {
  // clang-format off
  const struct {
    int mandatory;  // -9: the annex defines only OTHER; -8: only the file defines ATR
    int values;     // the allowed values are the first of "A", "B"
    const char* value;
    int code;       // 0: no report
    int msgType;
    bool hooked;
  } rows[] = {
      {-1, 2, "", 0, 0, true}, {0, 2, "  \t ", 0, 0, true}, {1, 2, "", 6022, 0, true},
      {2, 2, "\r\n", 6022, 1, true}, {3, 2, "", 0, 0, false}, {4, 0, " ", 0, 0, false},
      {0, 2, "A", 0, 0, true}, {1, 2, "  A ", 0, 0, true}, {3, 2, "\nB\t", 0, 0, true},
      {0, 2, "C", 6021, 0, false}, {0, 2, "AB", 6021, 0, false}, {0, 2, "A B", 6021, 0, false},
      {0, 1, "B", 6021, 0, false}, {1, 0, "anything", 0, 0, true}, {-9, 2, "C", 0, 0, true},
      {-9, 2, "", 0, 0, true}, {-8, 2, "C", 0, 0, true}};
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "mandatory " << row.mandatory << " " << Shown(row.value));
    Sets s;
    swde::RecordType* type = row.mandatory == -8 ? s.FileType("G5TST") : s.AnnexType("G5TST");
    type->addAttribute("NAZ", "INNY", 1);  // named like the entry, but not its code
    swde::AttributeDef* def =
        type->addAttribute("X", row.mandatory == -9 ? "OTHER" : "ATR", row.mandatory);
    for (int i = 0; i < row.values; ++i) {
      def->addPossibleValue(i == 0 ? "A" : "B");
    }
    HookProbe object("G5TST");
    s.Wire(object);
    object.checkAttribValueRange(Attr(object, "ATR", "NAZ", row.value, 51, 52));
    EXPECT_EQ(Rendered(object),
              row.code == 0 ? Lines{}
                            : Lines{E(row.code, row.msgType, 51, 52, "G5TST", {"NAZ", "G5TST"})});
    EXPECT_EQ(object.hooked, row.hooked ? Lines{std::string("NAZ=") + row.value} : Lines{});
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

// 6003, 6004: a present but empty (or ";") date; 6005: the trimmed creation day before its
// first "-" sorts, as unsigned bytes, after the verification date as it stands, and both
// dates passed their form checks.
TEST(CheckDate, EmptinessAndOrder) {
  const std::string k6003 = E(6003, 0, 11, 12, "G5DZE", {"G5DZE"});
  const std::string k6004 = E(6004, 0, 21, 22, "G5DZE", {"G5DZE"});
  const std::string k6005 = E(6005, 0, 21, 22, "G5DZE", {"G5DZE"});
  using Value = std::optional<std::string>;  // absent when empty
  const struct {
    Value creation;
    Value verification;
    bool creationValid, verificationValid;
    Lines errors;
  } rows[] = {
      {std::nullopt, std::nullopt, true, true, {}},
      {";", std::nullopt, true, true, {k6003}},
      {"", "", true, true, {k6003, k6004}},
      {"", "2005.03.01", true, true, {k6003}},
      {"2005.03.02-00:00:00", "", true, true, {k6004}},
      {"2005.03.01-10:00:00", "2005.03.01", true, true, {}},
      {"2005.03.02-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.02-00:00:00", "2005.03.01", false, true, {}},
      {"2005.03.02-00:00:00", "2005.03.01", true, false, {}},
      {" ", "2005.03.01", true, true, {}},
      {" 2005.03.02\t-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.01-00:00:00", " 2005.03.01", true, true, {k6005}},
      {"2005.03.0\xB9-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.01-00:00:00", "2005.03.0\xB9", true, true, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "G5DTU " << Shown(row.creation.value_or("<absent>"))
                                    << " G5DTW " << Shown(row.verification.value_or("<absent>"))
                                    << " flags " << row.creationValid << row.verificationValid);
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    if (row.creation) {
      Attr(object, "X", "G5DTU", *row.creation, 11, 12);  // found by name
      Attr(object, "G5DTU", "OTHER", "", 13, 14);
    }
    if (row.verification) {
      Attr(object, "G5DTW", "", *row.verification, 21, 22);
      Attr(object, "G5DTW", "", "2000.01.01", 31, 32);  // the first of equal names counts
    }
    object.creationDateValid = row.creationValid;
    object.verificationDateValid = row.verificationValid;
    object.checkDate();
    EXPECT_EQ(Rendered(object), row.errors);
  }
}

}  // namespace

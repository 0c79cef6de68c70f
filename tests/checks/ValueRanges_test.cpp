// swde — semantic checks of SWDE cadastral exchange objects.
//
// checkAttribValueRange (blank values by mandatory level, the value set, the hook; the annex
// alone, by type name and entry code), isCorectFraction and isCorrectFloatData.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::E;
using swde_test::HookProbe;
using swde_test::Place;
using swde_test::Rendered;
using swde_test::Schema;
using swde_test::Shown;
using Lines = std::vector<std::string>;

struct RangeOutcome {
  Lines errors;
  Lines hooked;
};

// Runs checkAttribValueRange for one entry (code ATR, name NAZ) of a "G5TST" object.
RangeOutcome RunRange(Schema& annex, Schema& file, const std::string& value,
                      const std::string& typeName = "G5TST", const std::string& code = "ATR",
                      const std::string& name = "NAZ") {
  HookProbe object(typeName);
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  swde::smAttribute* attribute = Attr(object, code, name, value, 51, 52);
  object.checkAttribValueRange(attribute);
  return {Rendered(object), object.hooked};
}

TEST(CheckAttribValueRange, BlankValuesByMandatoryLevel) {
  struct Row {
    int mandatory;
    int msgType;  // -1: no report
    bool hooked;
  };
  const std::vector<Row> rows = {
      {-1, -1, true}, {0, -1, true}, {1, 0, true}, {2, 1, true}, {3, -1, false}, {4, -1, false},
  };
  for (const Row& row : rows) {
    for (const std::string value : {"", "  \t ", "\r\n"}) {
      Schema annex;
      Schema file;
      annex.Type("G5TST")->addAttribute("NAZ", "ATR", row.mandatory)->addPossibleValue("A");
      const RangeOutcome outcome = RunRange(annex, file, value);
      const Lines errors = row.msgType < 0
                               ? Lines{}
                               : Lines{E(6022, row.msgType, 51, 52, "G5TST", {"NAZ", "G5TST"})};
      const Lines hooked = row.hooked ? Lines{"NAZ=" + value} : Lines{};
      const std::string where = "mandatory " + std::to_string(row.mandatory) + " " + Shown(value);
      EXPECT_EQ(outcome.errors, errors) << where;
      EXPECT_EQ(outcome.hooked, hooked) << where;
    }
  }
}

TEST(CheckAttribValueRange, ValueSetComparedTrimmed) {
  struct Row {
    std::string value;
    bool inSet;
  };
  const std::vector<Row> rows = {
      {"A", true},  {"  A ", true}, {"B\t", true},  {"\nB", true},
      {"C", false}, {"AB", false},  {"A B", false}, {"0", false},
  };
  for (const Row& row : rows) {
    for (int mandatory : {0, 1, 3}) {
      Schema annex;
      Schema file;
      swde::AttributeDef* def = annex.Type("G5TST")->addAttribute("NAZ", "ATR", mandatory);
      def->addPossibleValue("A");
      def->addPossibleValue("B");
      const RangeOutcome outcome = RunRange(annex, file, row.value);
      const std::string where = Shown(row.value) + " mandatory " + std::to_string(mandatory);
      if (row.inSet) {
        EXPECT_EQ(outcome.errors, Lines{}) << where;
        EXPECT_EQ(outcome.hooked, Lines{"NAZ=" + row.value}) << where;
      } else {
        EXPECT_EQ(outcome.errors, Lines{E(6021, 0, 51, 52, "G5TST", {"NAZ", "G5TST"})}) << where;
        EXPECT_EQ(outcome.hooked, Lines{}) << where;
      }
    }
  }
}

TEST(CheckAttribValueRange, WithoutValueSetEveryValueGoesOn) {
  for (const std::string value : {"anything", " x ", "0"}) {
    Schema annex;
    Schema file;
    annex.Type("G5TST")->addAttribute("NAZ", "ATR", 1);
    const RangeOutcome outcome = RunRange(annex, file, value);
    EXPECT_EQ(outcome.errors, Lines{}) << Shown(value);
    EXPECT_EQ(outcome.hooked, Lines{"NAZ=" + value}) << Shown(value);
  }
}

// No type or no definition in the annex: the hook alone, whatever the file defines.
TEST(CheckAttribValueRange, OnlyTheAnnexIsAsked) {
  for (const std::string value : {"", "C"}) {
    {
      Schema annex;
      Schema file;
      file.Type("G5TST")->addAttribute("NAZ", "ATR", 1)->addPossibleValue("A");
      const RangeOutcome outcome = RunRange(annex, file, value);
      EXPECT_EQ(outcome.errors, Lines{}) << "type only in the file, " << Shown(value);
      EXPECT_EQ(outcome.hooked, Lines{"NAZ=" + value}) << "type only in the file, " << Shown(value);
    }
    {
      Schema annex;
      Schema file;
      annex.Type("G5TST")->addAttribute("OTHER", "OTHER", 1)->addPossibleValue("A");
      file.Type("G5TST")->addAttribute("NAZ", "ATR", 1)->addPossibleValue("A");
      const RangeOutcome outcome = RunRange(annex, file, value);
      EXPECT_EQ(outcome.errors, Lines{}) << "no annex definition, " << Shown(value);
      EXPECT_EQ(outcome.hooked, Lines{"NAZ=" + value}) << "no annex definition, " << Shown(value);
    }
    {
      // The type is found by the object's type name as it stands.
      Schema annex;
      Schema file;
      annex.Type("G5DZE")->addAttribute("NAZ", "ATR", 1)->addPossibleValue("A");
      const RangeOutcome outcome = RunRange(annex, file, value, "G5O_DZE");
      EXPECT_EQ(outcome.errors, Lines{}) << "alias type name, " << Shown(value);
      EXPECT_EQ(outcome.hooked, Lines{"NAZ=" + value}) << "alias type name, " << Shown(value);
    }
  }
}

// The definition is found by the entry's code: the definition named like the entry (mandatory
// 1, no set) must not be the one used.
TEST(CheckAttribValueRange, DefinitionFoundByTheEntryCode) {
  struct Row {
    std::string value;
    Lines errors;
    bool hooked;
  };
  const std::vector<Row> rows = {
      {"Z", {E(6021, 0, 51, 52, "G5TST", {"NAZ", "G5TST"})}, false},
      {"A", {}, true},
      {"", {}, true},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    swde::RecordType* type = annex.Type("G5TST");
    type->addAttribute("NAZ", "INNY", 1);
    type->addAttribute("X", "ATR", 0)->addPossibleValue("A");
    const RangeOutcome outcome = RunRange(annex, file, row.value);
    EXPECT_EQ(outcome.errors, row.errors) << Shown(row.value);
    EXPECT_EQ(outcome.hooked, row.hooked ? Lines{"NAZ=" + row.value} : Lines{}) << Shown(row.value);
  }
}

// Through checkMain: the base type comes from the declaration of the entry's NAME, the range
// from the definition of its CODE.
TEST(CheckAttribValueRange, DeclarationByNameRangeByCode) {
  struct Row {
    std::string value;
    Lines errors;
  };
  const std::vector<Row> rows = {
      {"5", {E(6015, 0, 61, 62, "G5DZE", {"NAZWA", "G5DZE"})}},
      {"x", {E(6015, 0, 61, 62, "G5DZE", {"NAZWA", "G5DZE"})}},
      {"1", {E(6021, 0, 61, 62, "G5DZE", {"NAZWA", "G5DZE"})}},
      {"0", {}},
      {"", {}},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    annex.Declare("NAZWA", "LN");
    annex.Declare("KOD", "NO");
    swde::RecordType* type = annex.Type("G5DZE");
    type->addAttribute("NAZWA", "INNY", 1);
    type->addAttribute("X", "KOD", 0)->addPossibleValue("0");
    HookProbe object("G5DZE");
    Place(object, 1, 2);
    Attr(object, "KOD", "NAZWA", row.value, 61, 62);
    EXPECT_TRUE(object.checkMain(annex.get(), file.get())) << Shown(row.value);
    EXPECT_EQ(Rendered(object), row.errors) << Shown(row.value);
  }
}

struct FractionRow {
  std::string value;
  bool result;
  bool proper;
};

TEST(IsCorectFraction, Table) {
  const std::vector<FractionRow> rows = {
      {"", true, false},
      {"   ", true, false},
      {"7", true, false},
      {"-7", true, false},
      {"+7", true, false},
      {"2147483647", true, false},
      {"2147483648", false, false},
      {"99999999999", false, false},
      {"-2147483648", false, false},  // the sign goes first, the rest is out of range
      {"1/2", true, true},
      {"-1/2", true, true},
      {"0/5", true, true},
      {"1 / 2", true, true},
      {" 1 /  2 ", true, true},
      {"2/3", true, true},
      {"1/1", true, true},
      {"2/2", true, false},
      {"3/2", true, false},
      {"5/0", true, false},
      {"-3/2", true, false},
      {"1a/2b", true, true},
      {"1/2/3", true, false},
      {"1/2/3/4", false, false},
      {"1/2/3/", false, false},
      {"1//2", false, false},
      {"/2", false, false},
      {"1/", false, false},
      {"1-2", false, false},
      {"1/-2", false, false},
      {"1/2+", false, false},
      {"+1/-2", true, false},
      {"+", false, false},
      {"-", false, false},
      {"a/2", false, false},
      {"1/b", false, false},
      {"1/2/x", false, false},
      {"1 2", false, false},
      {"x", false, false},
  };
  for (const FractionRow& row : rows) {
    for (bool before : {false, true}) {
      Schema annex;
      swde::smObject object("G5PDZ");
      object.annexMetadata = annex.get();
      swde::smAttribute* attribute = Attr(object, "G5UD", "UDZ", row.value, 71, 72);
      object.fractionProper = before;
      const std::string where =
          Shown(row.value) + " fractionProper before " + std::to_string(before);
      EXPECT_EQ(object.isCorectFraction(attribute), row.result) << where;
      EXPECT_EQ(object.fractionProper, row.proper) << where;
      const Lines expected =
          row.result ? Lines{} : Lines{E(6016, 0, 71, 72, "G5PDZ", {"UDZ", "G5PDZ"})};
      EXPECT_EQ(Rendered(object), expected) << where;
      EXPECT_EQ(attribute->value, row.value) << where;
    }
  }
}

TEST(IsCorrectFloatData, Table) {
  struct Row {
    std::string value;
    bool result;
  };
  const std::vector<Row> rows = {
      {"12.5", true},     {"-3", true},     {"+7", true},      {".5", true},   {"5.", true},
      {"1e5", true},      {"1.5E-3", true}, {"1 000.5", true}, {"", true},     {"   ", true},
      {"1e999", true},    {"\n1", true},    {"\v1", true},     {"\f1", true},  {"\r1", true},
      {"\r\n\t-2", true}, {"1\r", false},   {"\v", false},     {"\t1", true},  {" - 3 ", true},
      {"1E+05", true},    {"0", true},      {"12,5", false},   {"1x", false},  {"1.2.3", false},
      {"0,5", false},     {"-", false},     {".", false},      {"1\t", false}, {"1e", false},
      {"e1", false},      {"1..", false},   {"\t", false},     {"+", false},   {"1e+", false},
      {"1 x", false},     {"--2", false},
  };
  for (const Row& row : rows) {
    swde::smObject object("G5TST");
    std::string value = row.value;
    EXPECT_EQ(object.isCorrectFloatData(value), row.result) << Shown(row.value);
    EXPECT_EQ(value, row.value) << Shown(row.value);
    EXPECT_TRUE(object.errors.empty()) << Shown(row.value);
  }
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The per-type hooks, reached through checkMain: the postal code of G5ADR and the proper
// fraction of G5UD in G5JRZ, G5PDZ, G5UDD, G5UDW and G5UDZ.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"
#include "swde/types/Smobjectfactory.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::Codes;
using swde_test::E;
using swde_test::Place;
using swde_test::Rendered;
using swde_test::Schema;
using swde_test::Shown;
using Lines = std::vector<std::string>;

struct PostalRow {
  std::string value;
  bool reported;
};

const std::vector<PostalRow>& PostalRows() {
  static const std::vector<PostalRow> rows = {
      {"00-950", false}, {"12-345", false}, {"+1-234", false}, {"12-+34", false}, {"+1-+23", false},
      {"-1-234", true},  {"12345", true},   {"12-34", true},   {"12-3456", true}, {"1-2345", true},
      {"12-3-4", true},  {"AB-123", true},  {"12-34a", true},  {"1 -234", true},  {"12-", true},
      {"", false},       {"12--34", true},  {" 12-345", true}, {"12-345 ", true}, {"   ", true},
      {"1a-234", true},  {"12-34 ", true},  {"12-345-", true}, {"1--234", true},  {"-", true},
      {"12-a45", true},  {"1.-234", true},
  };
  return rows;
}

// An annex that declares G5KOD (and KODP) with a base type without form rule and defines
// `typeName` with both, neither required nor limited to a set.
void PostalAnnex(Schema& annex, const std::string& typeName) {
  annex.Declare("G5KOD", "TX");
  annex.Declare("KODP", "TX");
  swde::RecordType* type = annex.Type(typeName);
  type->addAttribute("G5KOD", "G5KOD");
  type->addAttribute("KODP", "KODP");
  type->addAttribute("KOD2", "G5KOD2");
}

Lines CheckPostal(const std::string& typeName, const std::string& code, const std::string& name,
                  const std::string& value) {
  Schema annex;
  Schema file;
  PostalAnnex(annex, typeName);
  swde::smObjectFactory factory;
  std::unique_ptr<swde::smObject> object(factory.createObject(typeName));
  Place(*object, 1, 2);
  Attr(*object, code, name, value, 33, 44);
  EXPECT_TRUE(object->checkMain(annex.get(), file.get())) << typeName << " " << Shown(value);
  return Rendered(*object);
}

TEST(G5ADRHook, PostalCodeForms) {
  for (const PostalRow& row : PostalRows()) {
    const Lines expected = row.reported ? Lines{E(6028, 0, 33, 44, "G5ADR", {"G5ADR"})} : Lines{};
    EXPECT_EQ(CheckPostal("G5ADR", "G5KOD", "", row.value), expected) << Shown(row.value);
  }
}

// The entry's code decides, not its name.
TEST(G5ADRHook, OnlyTheCodeG5KOD) {
  for (const PostalRow& row : PostalRows()) {
    const Lines expected = row.reported ? Lines{E(6028, 0, 33, 44, "G5ADR", {"G5ADR"})} : Lines{};
    EXPECT_EQ(CheckPostal("G5ADR", "G5KOD", "KODP", row.value), expected)
        << "code G5KOD, name KODP, " << Shown(row.value);
    EXPECT_EQ(CheckPostal("G5ADR", "KODP", "G5KOD", row.value), Lines{})
        << "code KODP, name G5KOD, " << Shown(row.value);
    EXPECT_EQ(CheckPostal("G5ADR", "G5KOD2", "G5KOD", row.value), Lines{})
        << "code G5KOD2, name G5KOD, " << Shown(row.value);
  }
}

TEST(G5ADRHook, NoPostalCheckInOtherClasses) {
  for (const std::string typeName : {"G5DZE", "G5BUD", "G5PDZ", "G5O_ADR", "G5OBR"}) {
    for (const PostalRow& row : PostalRows()) {
      EXPECT_EQ(CheckPostal(typeName, "G5KOD", "", row.value), Lines{})
          << typeName << " " << Shown(row.value);
    }
  }
}

// The hook only runs when the value-range check hands the entry on.
TEST(G5ADRHook, NotReachedPastAValueSetOrABlankAtLevelThree) {
  {
    Schema annex;
    Schema file;
    annex.Declare("G5KOD", "TX");
    annex.Type("G5ADR")->addAttribute("G5KOD", "G5KOD")->addPossibleValue("00-950");
    swde::smObjectFactory factory;
    std::unique_ptr<swde::smObject> object(factory.createObject("G5ADR"));
    Place(*object, 1, 2);
    Attr(*object, "G5KOD", "", "12345", 33, 44);
    EXPECT_TRUE(object->checkMain(annex.get(), file.get()));
    EXPECT_EQ(Rendered(*object), Lines{E(6021, 0, 33, 44, "G5ADR", {"G5KOD", "G5ADR"})});
  }
  {
    Schema annex;
    Schema file;
    annex.Declare("G5KOD", "TX");
    annex.Type("G5ADR")->addAttribute("G5KOD", "G5KOD", 3);
    swde::smObjectFactory factory;
    std::unique_ptr<swde::smObject> object(factory.createObject("G5ADR"));
    Place(*object, 1, 2);
    Attr(*object, "G5KOD", "", "   ", 33, 44);
    EXPECT_TRUE(object->checkMain(annex.get(), file.get()));
    EXPECT_EQ(Rendered(*object), Lines{});
  }
}

struct FractionRow {
  std::string value;
  std::vector<int> codes;  // for the five fraction classes
};

const std::vector<FractionRow>& FractionRows() {
  static const std::vector<FractionRow> rows = {
      {"1/2", {}},     {"3/2", {6017}},   {"2/2", {6017}},     {"1/1", {}},      {"0/5", {}},
      {"-1/2", {}},    {"7", {6017}},     {"1/2/3", {6017}},   {"", {6017}},     {"1a/2b", {}},
      {"5/0", {6017}}, {"+1/-2", {6017}}, {"1/2/3/4", {6016}}, {"1/2;", {6033}},
  };
  return rows;
}

std::unique_ptr<swde::smObject> CheckFraction(const std::string& typeName,
                                              const std::vector<std::string>& values,
                                              int mandatory = 0, const std::string& code = "G5UD",
                                              const std::string& name = "") {
  Schema annex;
  Schema file;
  annex.Declare("G5UD", "UL");
  annex.Declare("UDZIAL", "UL");
  swde::RecordType* type = annex.Type(typeName);
  type->addAttribute("G5UD", "G5UD", mandatory, true);
  type->addAttribute("UDZ", "G5UDX", 0, true);
  swde::smObjectFactory factory;
  std::unique_ptr<swde::smObject> object(factory.createObject(typeName));
  Place(*object, 1, 2);
  std::uint32_t line = 10;
  for (const std::string& value : values) {
    Attr(*object, code, name, value, line, line + 100);
    ++line;
  }
  EXPECT_TRUE(object->checkMain(annex.get(), file.get())) << typeName;
  return object;
}

const std::vector<std::string> kFractionClasses = {"G5JRZ", "G5PDZ", "G5UDD", "G5UDW", "G5UDZ"};

TEST(ProperFractionHook, FiveClasses) {
  for (const std::string& typeName : kFractionClasses) {
    for (const FractionRow& row : FractionRows()) {
      std::unique_ptr<swde::smObject> object = CheckFraction(typeName, {row.value});
      EXPECT_EQ(Codes(*object), row.codes) << typeName << " " << Shown(row.value);
    }
  }
}

TEST(ProperFractionHook, ReportNamesTheEntryAndTheObject) {
  for (const std::string& typeName : kFractionClasses) {
    std::unique_ptr<swde::smObject> object = CheckFraction(typeName, {"3/2"});
    EXPECT_EQ(Rendered(*object), Lines{E(6017, 0, 10, 110, typeName, {"G5UD", typeName})})
        << typeName;
  }
}

TEST(ProperFractionHook, NoneInOtherClasses) {
  for (const std::string typeName : {"G5DZE", "G5ADR", "G5BUD", "G5JEW", "G5OBR", "G5X"}) {
    for (const FractionRow& row : FractionRows()) {
      std::unique_ptr<swde::smObject> object = CheckFraction(typeName, {row.value});
      std::vector<int> expected;
      for (int code : row.codes) {
        if (code != 6017) {
          expected.push_back(code);
        }
      }
      EXPECT_EQ(Codes(*object), expected) << typeName << " " << Shown(row.value);
    }
  }
}

// Each entry is judged by its own fraction check, which runs right before its hook.
TEST(ProperFractionHook, VerdictOfTheSameEntry) {
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5PDZ", {"1/2", "3/2", "1/3"});
    EXPECT_EQ(Rendered(*object), Lines{E(6017, 0, 11, 111, "G5PDZ", {"G5UD", "G5PDZ"})});
  }
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5UDZ", {"3/2", "1/2"});
    EXPECT_EQ(Rendered(*object), Lines{E(6017, 0, 10, 110, "G5UDZ", {"G5UD", "G5UDZ"})});
  }
}

// The entry's code must be exactly G5UD; its name plays no part.
TEST(ProperFractionHook, OnlyTheCodeG5UD) {
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5JRZ", {"3/2"}, 0, "G5UD", "UDZIAL");
    EXPECT_EQ(Rendered(*object), Lines{E(6017, 0, 10, 110, "G5JRZ", {"UDZIAL", "G5JRZ"})});
  }
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5JRZ", {"3/2"}, 0, "G5UDX", "G5UD");
    EXPECT_EQ(Rendered(*object), Lines{});
  }
}

// A blank value at level 3 never reaches the hook; at level 1 it is reported empty first.
TEST(ProperFractionHook, BlankValueByMandatoryLevel) {
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5UDW", {""}, 3);
    EXPECT_EQ(Rendered(*object), Lines{});
  }
  {
    std::unique_ptr<swde::smObject> object = CheckFraction("G5UDW", {"  "}, 1);
    EXPECT_EQ(Rendered(*object), (Lines{E(6022, 0, 10, 110, "G5UDW", {"G5UD", "G5UDW"}),
                                        E(6017, 0, 10, 110, "G5UDW", {"G5UD", "G5UDW"})}));
  }
}

}  // namespace

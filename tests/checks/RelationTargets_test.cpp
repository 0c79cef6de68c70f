// swde — semantic checks of SWDE cadastral exchange objects.
//
// checkRelationDest (the annex alone; the reference found by name with the relation's code) and
// checkAttrAndRelatMultiple (the annex's type first; counted by the definition's own name).

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::E;
using swde_test::Place;
using swde_test::Rel;
using swde_test::Rendered;
using swde_test::Schema;
using Lines = std::vector<std::string>;

void RunDest(swde::smObject& object, Schema& annex, Schema& file) {
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.checkRelationDest();
}

void RunMultiple(swde::smObject& object, Schema& annex, Schema& file) {
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.checkAttrAndRelatMultiple();
}

// The annex's G5BUD has the reference named RDZE with the code CDZE. The relation's code is the
// key of a lookup by name, so only a relation whose code is "RDZE" finds the definition.
TEST(CheckRelationDest, ReferenceFoundByNameWithTheRelationCode) {
  struct Row {
    std::string code;
    std::string name;
    std::string destType;
    bool checkDest;
    bool reported;
  };
  const std::vector<Row> rows = {
      {"RDZE", "N1", "G5DZE", true, false},  {"RDZE", "N2", "G5BUD", true, true},
      {"RDZE", "N3", "G5BUD", false, false}, {"CDZE", "N4", "G5BUD", true, false},
      {"RDZE", "", "", true, true},          {"RDZE", "N6", "g5dze", true, true},
      {"XXX", "RDZE", "G5BUD", true, false}, {"RDZE", "N8", "G5O_DZE", true, false},
      {"RDZE", "N9", " G5DZE", true, true},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    swde::ReferenceDef* ref = annex.Type("G5BUD")->addReference("RDZE", "CDZE");
    ref->addRefTypeName("G5DZE");
    ref->addRefTypeName("G5O_DZE");
    swde::smObject object("G5BUD");
    Place(object, 1, 2);
    Rel(object, row.code, row.name, row.destType, 30, 31)->checkDest = row.checkDest;
    RunDest(object, annex, file);
    const std::string shownName = row.name.empty() ? row.code : row.name;
    const Lines expected =
        row.reported ? Lines{E(6010, 0, 30, 31, "G5BUD", {shownName, "G5BUD"})} : Lines{};
    EXPECT_EQ(Rendered(object), expected) << "relation " << row.code << "/" << row.name << " -> \""
                                          << row.destType << "\" checkDest " << row.checkDest;
  }
}

TEST(CheckRelationDest, NewRelationIsCheckedUntilTheHostClearsTheFlag) {
  Schema annex;
  Schema file;
  annex.Type("G5BUD")->addReference("R", "R")->addRefTypeName("G5DZE");
  swde::smObject object("G5BUD");
  swde::smRelation* relation = object.addRelation("R", "");
  relation->destType = "G5ADR";
  relation->line = 3;
  relation->id = 4;
  RunDest(object, annex, file);
  EXPECT_EQ(Rendered(object), Lines{E(6010, 0, 3, 4, "G5BUD", {"R", "G5BUD"})});
}

// Only the annex is asked: a type only the file defines gets no 6010, and where both define
// the type, the annex's admitted targets decide.
TEST(CheckRelationDest, AnnexAlone) {
  struct Row {
    bool annexHasType;
    std::string destType;
    bool reported;
  };
  const std::vector<Row> rows = {
      {false, "G5BUD", false},
      {false, "G5DZE", false},
      {true, "G5BUD", true},
      {true, "G5DZE", false},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    if (row.annexHasType) {
      annex.Type("G5BUD")->addReference("R", "R")->addRefTypeName("G5DZE");
    }
    file.Type("G5BUD")->addReference("R", "R")->addRefTypeName("G5BUD");
    swde::smObject object("G5BUD");
    Rel(object, "R", "", row.destType, 5, 6);
    RunDest(object, annex, file);
    const Lines expected =
        row.reported ? Lines{E(6010, 0, 5, 6, "G5BUD", {"R", "G5BUD"})} : Lines{};
    EXPECT_EQ(Rendered(object), expected)
        << "annex has type " << row.annexHasType << " dest " << row.destType;
  }
}

TEST(CheckRelationDest, EachEntryReportedInMapOrder) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5BUD");
  type->addReference("RB", "RB", 0, true)->addRefTypeName("G5DZE");
  type->addReference("RA", "RA")->addRefTypeName("G5DZE");
  swde::smObject object("G5BUD");
  Rel(object, "RB", "B", "G5ADR", 10, 11);
  Rel(object, "RB", "B", "G5DZE", 12, 13);
  Rel(object, "RB", "B", "G5ADR", 14, 15);
  Rel(object, "RA", "A", "G5ADR", 16, 17);
  RunDest(object, annex, file);
  const Lines expected = {
      E(6010, 0, 16, 17, "G5BUD", {"A", "G5BUD"}),
      E(6010, 0, 10, 11, "G5BUD", {"B", "G5BUD"}),
      E(6010, 0, 14, 15, "G5BUD", {"B", "G5BUD"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

TEST(CheckAttrAndRelatMultiple, OneReportPerDefinitionWhateverTheCount) {
  for (bool multiple : {false, true}) {
    for (int count : {0, 1, 2, 5}) {
      Schema annex;
      Schema file;
      swde::RecordType* type = annex.Type("G5DZE");
      type->addAttribute("A", "A", 1, multiple);
      type->addReference("R", "R", 1, multiple);
      swde::smObject object("G5DZE");
      Place(object, 7, 8);
      for (int i = 0; i < count; ++i) {
        Attr(object, "A", "", std::to_string(i), 100, 100);
        Rel(object, "R", "", "G5BUD", 200, 200);
      }
      RunMultiple(object, annex, file);
      const Lines expected = (!multiple && count > 1)
                                 ? Lines{E(6011, 0, 7, 8, "G5DZE", {"A", "G5DZE"}),
                                         E(6012, 0, 7, 8, "G5DZE", {"R", "G5DZE"})}
                                 : Lines{};
      EXPECT_EQ(Rendered(object), expected) << "multiple " << multiple << " count " << count;
    }
  }
}

TEST(CheckAttrAndRelatMultiple, DefinitionOrderAttributesFirst) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addReference("RZ", "RZ");
  type->addAttribute("Z", "Z");
  type->addReference("RA", "RA");
  type->addAttribute("A", "A");
  swde::smObject object("G5DZE");
  Place(object, 7, 8);
  for (const char* name : {"A", "Z"}) {
    Attr(object, name, "", "1", 1, 1);
    Attr(object, name, "", "2", 2, 2);
  }
  for (const char* name : {"RA", "RZ"}) {
    Rel(object, name, "", "", 3, 3);
    Rel(object, name, "", "", 4, 4);
  }
  RunMultiple(object, annex, file);
  const Lines expected = {
      E(6011, 0, 7, 8, "G5DZE", {"Z", "G5DZE"}),
      E(6011, 0, 7, 8, "G5DZE", {"A", "G5DZE"}),
      E(6012, 0, 7, 8, "G5DZE", {"RZ", "G5DZE"}),
      E(6012, 0, 7, 8, "G5DZE", {"RA", "G5DZE"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

// The annex's G5NAZ has the code NAZ, which the file names PLIK. The count uses G5NAZ as it
// stands and the entries' names, never codes.
TEST(CheckAttrAndRelatMultiple, CountedByTheDefinitionsOwnName) {
  struct Row {
    std::string entryCode;
    std::string entryName;
    bool reported;
  };
  const std::vector<Row> rows = {
      {"NAZ", "PLIK", false},
      {"NAZ", "G5NAZ", true},
      {"G5NAZ", "X", false},
      {"X", "G5NAZ", true},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    annex.Type("G5DZE")->addAttribute("G5NAZ", "NAZ");
    annex.Type("G5BUD")->addReference("G5NAZ", "NAZ");
    file.Type("G5DZE")->addAttribute("PLIK", "NAZ");
    file.Type("G5BUD")->addReference("PLIK", "NAZ");
    const std::string where = "entry " + row.entryCode + "/" + row.entryName;
    {
      swde::smObject object("G5DZE");
      Place(object, 7, 8);
      Attr(object, row.entryCode, row.entryName, "1", 1, 1);
      Attr(object, row.entryCode, row.entryName, "2", 2, 2);
      RunMultiple(object, annex, file);
      const Lines expected =
          row.reported ? Lines{E(6011, 0, 7, 8, "G5DZE", {"G5NAZ", "G5DZE"})} : Lines{};
      EXPECT_EQ(Rendered(object), expected) << "attribute, " << where;
    }
    {
      swde::smObject object("G5BUD");
      Place(object, 7, 8);
      Rel(object, row.entryCode, row.entryName, "", 1, 1);
      Rel(object, row.entryCode, row.entryName, "", 2, 2);
      RunMultiple(object, annex, file);
      const Lines expected =
          row.reported ? Lines{E(6012, 0, 7, 8, "G5BUD", {"G5NAZ", "G5BUD"})} : Lines{};
      EXPECT_EQ(Rendered(object), expected) << "relation, " << where;
    }
  }
}

// The annex's definition of the type wins over the file's; the file's counts when the annex
// lacks the type.
TEST(CheckAttrAndRelatMultiple, AnnexTypeFirstThenFile) {
  struct Row {
    int annexMultiple;  // -1: the annex does not define the type
    int fileMultiple;   // -1: the file does not define the type
    bool reported;
  };
  const std::vector<Row> rows = {
      {0, 1, true}, {1, 0, false}, {-1, 0, true}, {-1, 1, false}, {-1, -1, false}, {0, -1, true},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    if (row.annexMultiple >= 0) {
      swde::RecordType* type = annex.Type("G5DZE");
      type->addAttribute("A", "A", 0, row.annexMultiple == 1);
      type->addReference("R", "R", 0, row.annexMultiple == 1);
    }
    if (row.fileMultiple >= 0) {
      swde::RecordType* type = file.Type("G5DZE");
      type->addAttribute("A", "A", 0, row.fileMultiple == 1);
      type->addReference("R", "R", 0, row.fileMultiple == 1);
    }
    swde::smObject object("G5DZE");
    Place(object, 7, 8);
    Attr(object, "A", "", "1", 1, 1);
    Attr(object, "A", "", "2", 2, 2);
    Rel(object, "R", "", "", 3, 3);
    Rel(object, "R", "", "", 4, 4);
    RunMultiple(object, annex, file);
    const Lines expected = row.reported ? Lines{E(6011, 0, 7, 8, "G5DZE", {"A", "G5DZE"}),
                                                E(6012, 0, 7, 8, "G5DZE", {"R", "G5DZE"})}
                                        : Lines{};
    EXPECT_EQ(Rendered(object), expected)
        << "annex multiple " << row.annexMultiple << " file multiple " << row.fileMultiple;
  }
}

}  // namespace

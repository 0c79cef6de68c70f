// swde — semantic checks of SWDE cadastral exchange objects.
//
// isCorrectBaseType (the annex's definition first) and existsAttribsRelationsInST (the file's
// definition first): entries looked up by code, named by name, attributes before relations.

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

const char* const kAbsent = "<absent>";

TEST(IsCorrectBaseType, AnnexDefinitionCountsFirst) {
  struct Row {
    std::string annexBase;  // kAbsent: the annex does not define the type
    std::string fileBase;   // kAbsent: the file's sections do not define it
    std::string objectBase;
    bool reported;
  };
  const std::vector<Row> rows = {
      {"OBJ", "OTHER", "OBJ", false},
      {"OBJ", "OTHER", "OTHER", true},
      {kAbsent, "OTHER", "OTHER", false},
      {kAbsent, "OTHER", "OBJ", true},
      {"OBJ", kAbsent, "", true},
      {"", kAbsent, "", false},
      {"", "FILE", "", false},
      {"", "FILE", "FILE", true},
      {kAbsent, kAbsent, "ANY", false},
      {"OBJ", kAbsent, "obj", true},
      {"OBJ", kAbsent, "OBJ ", true},
      {"OBJ", kAbsent, " OBJ", true},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    if (row.annexBase != kAbsent) {
      annex.Type("G5DZE", row.annexBase);
    }
    if (row.fileBase != kAbsent) {
      file.Type("G5DZE", row.fileBase);
    }
    swde::smObject object("G5DZE");
    Place(object, 3, 4);
    object.baseType = row.objectBase;
    object.annexMetadata = annex.get();
    object.fileMetadata = file.get();
    object.isCorrectBaseType();
    const Lines expected = row.reported ? Lines{E(6006, 0, 3, 4, "G5DZE", {"G5DZE"})} : Lines{};
    EXPECT_EQ(Rendered(object), expected)
        << "annex \"" << row.annexBase << "\" file \"" << row.fileBase << "\" object \""
        << row.objectBase << "\"";
  }
}

TEST(IsCorrectBaseType, EmptyTypeNameIsNeverReported) {
  Schema annex;
  Schema file;
  annex.Type("", "OBJ");
  file.Type("", "OBJ");
  swde::smObject object("");
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.isCorrectBaseType();
  EXPECT_EQ(Rendered(object), Lines{});
}

// The annex and the file define different attributes and relations for one type: the file's
// definition decides while it exists, the annex's otherwise. Attribute names sort after the
// relation names, yet every attribute report comes first.
TEST(ExistsAttribsRelationsInST, FileDefinitionFirstAttributesBeforeRelations) {
  for (bool fileDefinesType : {true, false}) {
    Schema annex;
    Schema file;
    swde::RecordType* annexType = annex.Type("G5DZE");
    annexType->addAttribute("ANN", "A1");
    annexType->addReference("RANN", "R1");
    if (fileDefinesType) {
      swde::RecordType* fileType = file.Type("G5DZE");
      fileType->addAttribute("PLK", "F1");
      fileType->addReference("RPLK", "Q1");
    }
    swde::smObject object("G5DZE");
    Place(object, 1, 1);
    Attr(object, "A1", "ZA", "v", 11, 12);
    Attr(object, "F1", "ZF", "v", 13, 14);
    Rel(object, "R1", "AR", "G5BUD", 15, 16);
    Rel(object, "Q1", "AQ", "G5BUD", 17, 18);
    object.annexMetadata = annex.get();
    object.fileMetadata = file.get();
    object.existsAttribsRelationsInST();
    const Lines expected = fileDefinesType ? Lines{E(6001, 1, 11, 12, "G5DZE", {"ZA", "G5DZE"}),
                                                   E(6002, 1, 15, 16, "G5DZE", {"AR", "G5DZE"})}
                                           : Lines{E(6001, 1, 13, 14, "G5DZE", {"ZF", "G5DZE"}),
                                                   E(6002, 1, 17, 18, "G5DZE", {"AQ", "G5DZE"})};
    EXPECT_EQ(Rendered(object), expected) << "file defines the type: " << fileDefinesType;
  }
}

// Definitions whose names differ from their codes: only the code finds them.
TEST(ExistsAttribsRelationsInST, LookedUpByCodeNamedByName) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addAttribute("DZN", "F1");
  type->addReference("RDN", "RC");
  swde::smObject object("G5DZE");
  Place(object, 1, 1);
  Attr(object, "F1", "whatever", "v", 2, 3);  // defined by its code
  Attr(object, "DZN", "DZN", "v", 4, 5);      // the definition's name is no code
  Rel(object, "RC", "other", "", 6, 7);
  Rel(object, "RDN", "", "", 8, 9);
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.existsAttribsRelationsInST();
  const Lines expected = {
      E(6001, 1, 4, 5, "G5DZE", {"DZN", "G5DZE"}),
      E(6002, 1, 8, 9, "G5DZE", {"RDN", "G5DZE"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

TEST(ExistsAttribsRelationsInST, EveryEntryIsReportedInMapOrder) {
  Schema annex;
  Schema file;
  annex.Type("G5DZE");
  swde::smObject object("G5DZE");
  Attr(object, "X", "N", "1", 30, 31);
  Attr(object, "Y", "M", "1", 20, 21);
  Attr(object, "Z", "N", "2", 10, 11);
  Rel(object, "S", "B", "", 40, 41);
  Rel(object, "T", "A", "", 50, 51);
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.existsAttribsRelationsInST();
  const Lines expected = {
      E(6001, 1, 20, 21, "G5DZE", {"M", "G5DZE"}), E(6001, 1, 30, 31, "G5DZE", {"N", "G5DZE"}),
      E(6001, 1, 10, 11, "G5DZE", {"N", "G5DZE"}), E(6002, 1, 50, 51, "G5DZE", {"A", "G5DZE"}),
      E(6002, 1, 40, 41, "G5DZE", {"B", "G5DZE"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

TEST(ExistsAttribsRelationsInST, NothingWithoutTypeOrEntries) {
  {
    Schema annex;
    Schema file;
    swde::smObject object("G5DZE");
    Attr(object, "X", "", "1", 1, 1);
    Rel(object, "R", "", "", 2, 2);
    object.annexMetadata = annex.get();
    object.fileMetadata = file.get();
    object.existsAttribsRelationsInST();
    EXPECT_EQ(Rendered(object), Lines{}) << "type defined nowhere";
  }
  {
    Schema annex;
    Schema file;
    annex.Type("G5DZE");
    file.Type("G5DZE");
    swde::smObject object("G5DZE");
    object.annexMetadata = annex.get();
    object.fileMetadata = file.get();
    object.existsAttribsRelationsInST();
    EXPECT_EQ(Rendered(object), Lines{}) << "object without entries";
  }
}

}  // namespace

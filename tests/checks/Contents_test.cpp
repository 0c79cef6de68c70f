// swde — semantic checks of SWDE cadastral exchange objects.
//
// existsAttribsInSO and existsRelationsInSO: what is required comes from the annex, the name
// under which the object carries it from the file's definition of the same code.

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

void RunContents(swde::smObject& object, Schema& annex, Schema& file) {
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  object.existsAttribsInSO();
  object.existsRelationsInSO();
}

// Levels 1 and 2 are required (message types 0 and 1); 0, negative and 3 or more are not. The
// reports follow the annex's definition order, not the names' order.
TEST(Contents, MandatoryLevelsInAnnexOrder) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addAttribute("Z", "Z", 1);
  type->addAttribute("A", "A", 2);
  type->addAttribute("B", "B", 0);
  type->addAttribute("C", "C", 3);
  type->addAttribute("D", "D", -1);
  type->addAttribute("E", "E", 7);
  type->addAttribute("F", "F", 1);
  type->addReference("RZ", "RZ", 2);
  type->addReference("RA", "RA", 1);
  type->addReference("RB", "RB", 0);
  type->addReference("RC", "RC", 3);
  type->addReference("RD", "RD", -2);
  type->addReference("RF", "RF", 1);
  swde::smObject object("G5DZE");
  Place(object, 8, 9);
  Attr(object, "F", "", "", 1, 1);  // present with an empty value: present
  Rel(object, "RF", "", "G5BUD", 2, 2);
  RunContents(object, annex, file);
  const Lines expected = {
      E(6008, 0, 8, 9, "G5DZE", {"Z", "G5DZE"}),
      E(6008, 1, 8, 9, "G5DZE", {"A", "G5DZE"}),
      E(6009, 1, 8, 9, "G5DZE", {"RZ", "G5DZE"}),
      E(6009, 0, 8, 9, "G5DZE", {"RA", "G5DZE"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

TEST(Contents, TypeOnlyInTheFileRequiresNothing) {
  Schema annex;
  Schema file;
  swde::RecordType* type = file.Type("G5DZE");
  type->addAttribute("Z", "Z", 1);
  type->addReference("RZ", "RZ", 1);
  swde::smObject object("G5DZE");
  RunContents(object, annex, file);
  EXPECT_EQ(Rendered(object), Lines{});
}

// The annex requires G5NAZ (code NAZ); where the file defines the code NAZ under another name,
// the object must carry that name, and the report still names the annex's definition.
TEST(Contents, NameTranslatedThroughTheFileDefinitionOfTheCode) {
  struct Row {
    std::string fileName;  // "" : the file type has no definition with the code
    std::string fileCode;
    bool fileHasType;
    std::string entryCode;
    std::string entryName;
    bool reported;
  };
  const std::vector<Row> rows = {
      {"PLIK", "NAZ", true, "NAZ", "G5NAZ", true},
      {"PLIK", "NAZ", true, "NAZ", "PLIK", false},
      {"PLIK", "NAZ", true, "X", "PLIK", false},  // the entry's code plays no part
      {"", "", true, "NAZ", "G5NAZ", false},
      {"", "", true, "NAZ", "PLIK", true},
      {"PLIK", "OTHER", true, "NAZ", "PLIK", true},
      {"PLIK", "OTHER", true, "NAZ", "G5NAZ", false},
      {"", "", false, "NAZ", "G5NAZ", false},
      {"", "", false, "NAZ", "X", true},  // the object is searched by name
      {"", "", false, "G5NAZ", "X", true},
  };
  for (const Row& row : rows) {
    const std::string where = "file def \"" + row.fileName + "\"/\"" + row.fileCode + "\" entry " +
                              row.entryCode + "/" + row.entryName;
    {
      Schema annex;
      Schema file;
      annex.Type("G5DZE")->addAttribute("G5NAZ", "NAZ", 1);
      if (row.fileHasType) {
        swde::RecordType* type = file.Type("G5DZE");
        if (!row.fileName.empty()) {
          type->addAttribute(row.fileName, row.fileCode, 0);
        }
      }
      swde::smObject object("G5DZE");
      Place(object, 4, 5);
      Attr(object, row.entryCode, row.entryName, "v", 6, 7);
      RunContents(object, annex, file);
      const Lines expected =
          row.reported ? Lines{E(6008, 0, 4, 5, "G5DZE", {"G5NAZ", "G5DZE"})} : Lines{};
      EXPECT_EQ(Rendered(object), expected) << "attribute, " << where;
    }
    {
      Schema annex;
      Schema file;
      annex.Type("G5DZE")->addReference("G5NAZ", "NAZ", 2);
      if (row.fileHasType) {
        swde::RecordType* type = file.Type("G5DZE");
        if (!row.fileName.empty()) {
          type->addReference(row.fileName, row.fileCode, 0);
        }
      }
      swde::smObject object("G5DZE");
      Place(object, 4, 5);
      Rel(object, row.entryCode, row.entryName, "G5BUD", 6, 7);
      RunContents(object, annex, file);
      const Lines expected =
          row.reported ? Lines{E(6009, 1, 4, 5, "G5DZE", {"G5NAZ", "G5DZE"})} : Lines{};
      EXPECT_EQ(Rendered(object), expected) << "relation, " << where;
    }
  }
}

TEST(Contents, PresenceExemptRelationsAreNeverRequired) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addReference("R1", "R1", 1, false, true);
  type->addReference("R2", "R2", 2, true, true);
  type->addReference("R3", "R3", 1, false, false);
  file.Type("G5DZE")->addReference("PLIK", "R1", 0);
  swde::smObject object("G5DZE");
  Place(object, 1, 2);
  RunContents(object, annex, file);
  EXPECT_EQ(Rendered(object), Lines{E(6009, 0, 1, 2, "G5DZE", {"R3", "G5DZE"})});
}

TEST(Contents, SeveralEntriesSatisfyTheRequirementOnce) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addAttribute("A", "A", 1);
  type->addReference("R", "R", 1);
  swde::smObject object("G5DZE");
  Attr(object, "A", "", "1");
  Attr(object, "A", "", "2");
  Rel(object, "R", "", "");
  Rel(object, "R", "", "");
  RunContents(object, annex, file);
  EXPECT_EQ(Rendered(object), Lines{});
}

}  // namespace

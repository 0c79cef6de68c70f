// swde — semantic checks of SWDE cadastral exchange objects.
//
// checkMain: the two gates and their order, which set is asked for the record type, the status
// marks, the fixed order of the checks and the value step over the annex's attribute section.

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
using swde_test::Rel;
using swde_test::Rendered;
using swde_test::Schema;
using Lines = std::vector<std::string>;

// Where the record type "G5DZE" is defined, and what checkMain then does. The file's definition
// holds the attribute X that the object carries; the annex's holds none, so a 6001 shows that
// the annex's definition was used for the structural checks.
struct TypeGateRow {
  bool existMetadata;
  bool inAnnex;
  bool inFile;
  bool result;
  Lines errors;
};

TEST(CheckDriver, TypeGateAsksTheFileOnlyWhenItHasOwnSections) {
  const std::string k6007 = E(6007, 0, 5, 6, "G5DZE", {"G5DZE"});
  const std::string k6001 = E(6001, 1, 7, 8, "G5DZE", {"X", "G5DZE"});
  const std::vector<TypeGateRow> rows = {
      {false, true, true, true, {}},        {false, true, false, true, {k6001}},
      {false, false, true, false, {k6007}}, {false, false, false, false, {k6007}},
      {true, true, true, true, {}},         {true, true, false, true, {k6007, k6001}},
      {true, false, true, true, {}},        {true, false, false, false, {k6007}},
  };
  for (const TypeGateRow& row : rows) {
    Schema annex;
    Schema file;
    if (row.inAnnex) {
      annex.Type("G5DZE");
    }
    if (row.inFile) {
      file.Type("G5DZE")->addAttribute("X", "X");
    }
    swde::smObject object("G5DZE");
    Place(object, 5, 6);
    Attr(object, "X", "", "1", 7, 8);
    Rel(object, "R", "", "G5BUD", 9, 10)->checkDest = false;
    object.setExistMetadata(row.existMetadata);
    const std::string where = std::string("existMetadata=") + (row.existMetadata ? "1" : "0") +
                              " annex=" + (row.inAnnex ? "1" : "0") +
                              " file=" + (row.inFile ? "1" : "0");
    EXPECT_EQ(object.checkMain(annex.get(), file.get()), row.result) << where;
    // The relation R is undefined everywhere: 6002 follows whenever the checks ran.
    Lines expected = row.errors;
    if (row.result) {
      expected.push_back(E(6002, 1, 9, 10, "G5DZE", {"R", "G5DZE"}));
    }
    EXPECT_EQ(Rendered(object), expected) << where;
    EXPECT_EQ(object.annexMetadata, annex.get()) << where;
    EXPECT_EQ(object.fileMetadata, file.get()) << where;
    if (row.result) {
      EXPECT_NE(object.getAttribute("X"), nullptr) << where;
      EXPECT_NE(object.getRelation("R"), nullptr) << where;
    } else {
      EXPECT_EQ(object.getAttribute("X"), nullptr) << where;
      EXPECT_EQ(object.getRelation("R"), nullptr) << where;
      EXPECT_TRUE(object.attributes.empty()) << where;
      EXPECT_TRUE(object.relations.empty()) << where;
      // The 6007 stays walkable after the entries are gone.
      ASSERT_NE(object.getFirstError(), nullptr) << where;
      EXPECT_EQ(object.getFirstError()->code, swde::errTypeNotDefined) << where;
    }
  }
}

// Status marks: accepted, excluding (no report, not checked) and malformed (6024, checked).
TEST(CheckDriver, StatusMarks) {
  const std::vector<std::string> accepted = {"00", "01", "02", "10", "11", "12"};
  const std::vector<std::string> excluded = {"20", "21", "22"};
  const std::vector<std::string> malformed = {"",   "0",  "3",    "30",  "00 ", " 00", "03",
                                              "13", "23", "2",    "200", "0 0", "O0",  "00\n",
                                              "32", "33", "02\t", "1",   "-0"};
  const std::string k6001 = E(6001, 1, 7, 8, "G5DZE", {"X", "G5DZE"});
  const std::string k6024 = E(6024, 0, 5, 6, "G5DZE", {"G5DZE"});
  auto run = [&](const std::string& status, bool result, const Lines& expected) {
    Schema annex;
    Schema file;
    annex.Type("G5DZE");
    swde::smObject object("G5DZE");
    Place(object, 5, 6, status);
    Attr(object, "X", "", "1", 7, 8);
    Rel(object, "R", "", "G5BUD", 9, 10);
    EXPECT_EQ(object.checkMain(annex.get(), file.get()), result) << "status \"" << status << "\"";
    EXPECT_EQ(Rendered(object), expected) << "status \"" << status << "\"";
    EXPECT_EQ(object.attributes.empty(), !result) << "status \"" << status << "\"";
    EXPECT_EQ(object.relations.empty(), !result) << "status \"" << status << "\"";
  };
  const std::string k6002 = E(6002, 1, 9, 10, "G5DZE", {"R", "G5DZE"});
  for (const std::string& status : accepted) {
    run(status, true, {k6001, k6002});
  }
  for (const std::string& status : excluded) {
    run(status, false, {});
  }
  for (const std::string& status : malformed) {
    run(status, true, {k6024, k6001, k6002});
  }
}

TEST(CheckDriver, StatusIsReadOnlyAfterTheTypeGate) {
  struct Row {
    bool existMetadata;
    bool inAnnex;
    std::string status;
    bool result;
    Lines errors;
  };
  const std::string k6007 = E(6007, 0, 5, 6, "G5DZE", {"G5DZE"});
  const std::string k6024 = E(6024, 0, 5, 6, "G5DZE", {"G5DZE"});
  const std::vector<Row> rows = {
      {false, false, "x", false, {k6007}}, {false, false, "21", false, {k6007}},
      {true, false, "x", false, {k6007}},  {true, false, "", false, {k6007}},
      {true, true, "21", false, {k6007}},  {true, true, "x", true, {k6007, k6024}},
      {false, true, "22", false, {}},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    if (row.inAnnex) {
      annex.Type("G5DZE");
    }
    swde::smObject object("G5DZE");
    Place(object, 5, 6, row.status);
    object.setExistMetadata(row.existMetadata);
    const std::string where = "existMetadata=" + std::to_string(row.existMetadata) +
                              " annex=" + std::to_string(row.inAnnex) + " status \"" + row.status +
                              "\"";
    EXPECT_EQ(object.checkMain(annex.get(), file.get()), row.result) << where;
    EXPECT_EQ(Rendered(object), row.errors) << where;
  }
}

// One object that trips every check once, so the order of the checks shows in its errors.
TEST(CheckDriver, ChecksRunInTheirFixedOrder) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5XYZ", "BT");
  type->addAttribute("A", "A");
  type->addAttribute("M", "M", 1);
  type->addAttribute("G5DTU", "G5DTU");
  type->addReference("R", "R")->addRefTypeName("G5TGT");
  type->addReference("Q", "Q", 1);
  annex.Declare("A", "NO");
  annex.Declare("G5DTU", "DH");
  annex.Declare("U", "NO");

  swde::smObject object("G5XYZ");
  Place(object, 1, 2);
  Attr(object, "U", "", "5", 10, 11);
  Attr(object, "A", "", "x", 12, 13);
  Attr(object, "A", "", "y", 14, 15);
  Attr(object, "G5DTU", "", "", 16, 17);
  Rel(object, "V", "", "G5TGT", 18, 19);
  Rel(object, "R", "", "G5BAD", 20, 21);
  Rel(object, "R", "", "G5BAD", 22, 23);
  EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
  const Lines expected = {
      E(6006, 0, 1, 2, "G5XYZ", {"G5XYZ"}),        E(6001, 1, 10, 11, "G5XYZ", {"U", "G5XYZ"}),
      E(6002, 1, 18, 19, "G5XYZ", {"V", "G5XYZ"}), E(6008, 0, 1, 2, "G5XYZ", {"M", "G5XYZ"}),
      E(6009, 0, 1, 2, "G5XYZ", {"Q", "G5XYZ"}),   E(6010, 0, 20, 21, "G5XYZ", {"R", "G5XYZ"}),
      E(6010, 0, 22, 23, "G5XYZ", {"R", "G5XYZ"}), E(6011, 0, 1, 2, "G5XYZ", {"A", "G5XYZ"}),
      E(6012, 0, 1, 2, "G5XYZ", {"R", "G5XYZ"}),   E(6014, 0, 12, 13, "G5XYZ", {"A", "G5XYZ"}),
      E(6014, 0, 14, 15, "G5XYZ", {"A", "G5XYZ"}), E(6003, 0, 16, 17, "G5XYZ", {"G5XYZ"}),
  };
  EXPECT_EQ(Rendered(object), expected);
}

TEST(CheckDriver, SecondCheckMainAppendsItsErrors) {
  Schema annex;
  Schema file;
  annex.Type("G5DZE");
  annex.Declare("X", "NO");
  swde::smObject object("G5DZE");
  Place(object, 5, 6, "9");
  Attr(object, "X", "", "a", 7, 8);
  const Lines once = {
      E(6024, 0, 5, 6, "G5DZE", {"G5DZE"}),
      E(6001, 1, 7, 8, "G5DZE", {"X", "G5DZE"}),
      E(6014, 0, 7, 8, "G5DZE", {"X", "G5DZE"}),
  };
  EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
  EXPECT_EQ(Rendered(object), once);
  EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
  Lines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(Rendered(object), twice);
}

// The value step asks the annex's attribute section, never the file's, whatever existMetadata.
TEST(CheckDriver, ValueStepUsesTheAnnexAttributeSectionOnly) {
  for (bool existMetadata : {false, true}) {
    Schema annex;
    Schema file;
    for (Schema* set : {&annex, &file}) {
      swde::RecordType* type = set->Type("G5DZE");
      type->addAttribute("A", "A");
      type->addAttribute("B", "B");
    }
    annex.Declare("A", "FL");  // 1.5 is a real number ...
    file.Declare("A", "NO");   // ... but no integer
    file.Declare("B", "NO");   // B is declared in the file's section only
    HookProbe object("G5DZE");
    Place(object, 1, 1);
    Attr(object, "A", "", "1.5", 2, 2);
    Attr(object, "B", "", "x;y", 3, 3);
    object.setExistMetadata(existMetadata);
    EXPECT_TRUE(object.checkMain(annex.get(), file.get())) << "existMetadata=" << existMetadata;
    EXPECT_EQ(Rendered(object), Lines{}) << "existMetadata=" << existMetadata;
    EXPECT_EQ(object.hooked, Lines{"A=1.5"}) << "existMetadata=" << existMetadata;
  }
}

// The annex declares attributes by name: an entry whose name it does not declare is skipped,
// even when its code is declared.
TEST(CheckDriver, UndeclaredNamesNeverReachTheValueCheck) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addAttribute("K", "K");
  annex.Declare("K", "NO");
  HookProbe object("G5DZE");
  Place(object, 1, 1);
  Attr(object, "K", "NAME", "bad", 2, 3);  // code declared, name not
  Attr(object, "Z", "", "bad;", 4, 5);     // declared nowhere
  EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
  EXPECT_EQ(Rendered(object), Lines{E(6001, 1, 4, 5, "G5DZE", {"Z", "G5DZE"})});
  EXPECT_EQ(object.hooked, Lines{});
}

// Entries under one name are all checked, in the order they were added; names in map order.
TEST(CheckDriver, DuplicateNamesAreCheckedInOrderOfAddition) {
  Schema annex;
  Schema file;
  swde::RecordType* type = annex.Type("G5DZE");
  type->addAttribute("X", "X", 0, true);
  type->addAttribute("W", "W");
  annex.Declare("X", "NO");
  annex.Declare("W", "NO");
  {
    swde::smObject object("G5DZE");
    Place(object, 1, 1);
    Attr(object, "X", "", "b", 9, 9);
    Attr(object, "X", "", "a", 3, 3);
    Attr(object, "W", "", "z", 5, 5);
    EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
    const Lines expected = {
        E(6014, 0, 5, 5, "G5DZE", {"W", "G5DZE"}),
        E(6014, 0, 9, 9, "G5DZE", {"X", "G5DZE"}),
        E(6014, 0, 3, 3, "G5DZE", {"X", "G5DZE"}),
    };
    EXPECT_EQ(Rendered(object), expected);
  }
  {
    HookProbe object("G5DZE");
    Place(object, 1, 1);
    Attr(object, "X", "", "2", 9, 9);
    Attr(object, "X", "", "1", 3, 3);
    Attr(object, "W", "", "7", 5, 5);
    EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
    EXPECT_EQ(Rendered(object), Lines{});
    EXPECT_EQ(object.hooked, (Lines{"W=7", "X=2", "X=1"}));
  }
}

}  // namespace

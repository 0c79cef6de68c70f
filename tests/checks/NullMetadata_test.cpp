// swde — semantic checks of SWDE cadastral exchange objects.
//
// A null metadata set is taken as a set that defines nothing: checkMain and the checks never
// dereference it.

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
using Lines = std::vector<std::string>;

TEST(NullMetadata, BothSetsNull) {
  for (bool existMetadata : {false, true}) {
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    Attr(object, "X", "", "a", 3, 4);
    object.setExistMetadata(existMetadata);
    EXPECT_FALSE(object.checkMain(nullptr, nullptr)) << "existMetadata " << existMetadata;
    EXPECT_EQ(Rendered(object), Lines{E(6007, 0, 1, 2, "G5DZE", {"G5DZE"})})
        << "existMetadata " << existMetadata;
    EXPECT_EQ(object.getAttribute("X"), nullptr) << "existMetadata " << existMetadata;
  }
}

TEST(NullMetadata, FileSetNull) {
  for (bool existMetadata : {false, true}) {
    Schema annex;
    annex.Type("G5DZE");
    annex.Declare("X", "NO");
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    Attr(object, "X", "", "a", 3, 4);
    object.setExistMetadata(existMetadata);
    EXPECT_TRUE(object.checkMain(annex.get(), nullptr)) << "existMetadata " << existMetadata;
    Lines expected;
    if (existMetadata) {
      expected.push_back(E(6007, 0, 1, 2, "G5DZE", {"G5DZE"}));
    }
    expected.push_back(E(6001, 1, 3, 4, "G5DZE", {"X", "G5DZE"}));
    expected.push_back(E(6014, 0, 3, 4, "G5DZE", {"X", "G5DZE"}));
    EXPECT_EQ(Rendered(object), expected) << "existMetadata " << existMetadata;
  }
}

TEST(NullMetadata, AnnexSetNull) {
  {
    Schema file;
    file.Type("G5DZE");
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    EXPECT_FALSE(object.checkMain(nullptr, file.get()));
    EXPECT_EQ(Rendered(object), Lines{E(6007, 0, 1, 2, "G5DZE", {"G5DZE"})});
  }
  {
    Schema file;
    file.Type("G5DZE", "FB")->addAttribute("M", "M");
    file.Declare("X", "NO");
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    Attr(object, "X", "", "a", 3, 3);
    Attr(object, "M", "", "1", 4, 4);
    Attr(object, "M", "", "2", 5, 5);
    Attr(object, "G5DTU", "", "", 6, 6);
    object.setExistMetadata(true);
    EXPECT_TRUE(object.checkMain(nullptr, file.get()));
    const Lines expected = {
        E(6006, 0, 1, 2, "G5DZE", {"G5DZE"}),      E(6001, 1, 6, 6, "G5DZE", {"G5DTU", "G5DZE"}),
        E(6001, 1, 3, 3, "G5DZE", {"X", "G5DZE"}), E(6011, 0, 1, 2, "G5DZE", {"M", "G5DZE"}),
        E(6003, 0, 6, 6, "G5DZE", {"G5DZE"}),
    };
    EXPECT_EQ(Rendered(object), expected);
  }
}

// Called on their own, before any checkMain, the checks find nothing defined.
TEST(NullMetadata, ChecksBeforeCheckMain) {
  HookProbe object("G5DZE");
  Place(object, 1, 2, "00");
  object.baseType = "B";
  swde::smAttribute* attribute = Attr(object, "G5UD", "", "", 3, 4);
  swde_test::Rel(object, "R", "", "G5BUD", 5, 6);
  object.isCorrectBaseType();
  object.existsAttribsRelationsInST();
  object.existsAttribsInSO();
  object.existsRelationsInSO();
  object.checkRelationDest();
  object.checkAttrAndRelatMultiple();
  object.checkAttribValueRange(attribute);
  EXPECT_EQ(Rendered(object), Lines{});
  EXPECT_EQ(object.hooked, Lines{"G5UD="});
}

}  // namespace

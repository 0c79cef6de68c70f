// swde — semantic checks of SWDE cadastral exchange objects.
#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

namespace {

// Entries filed under one name are found first-added first, whatever names sort around them.
TEST(EqualNames, TheEntryAddedFirstIsFound) {
  for (const char* other : {"A", "G5NAZ0", "G5ZZZ"}) {
    swde::smObject object("G5DZE");
    object.addAttribute(other, other, "x");
    const swde::smAttribute* first = object.addAttribute("G5X", "G5NAZ", "1");
    const swde::smRelation* firstRelation = object.addRelation("G5R", "G5RDZE");
    object.addAttribute(other, other, "y");
    object.addAttribute("G5Y", "G5NAZ", "2");
    object.addRelation("G5S", "G5RDZE");
    EXPECT_EQ(object.getAttribute("G5NAZ"), first) << other;
    EXPECT_EQ(object.getRelation("G5RDZE"), firstRelation) << other;
    EXPECT_EQ(object.getAttribute("G5NA"), nullptr);
  }
}

}  // namespace

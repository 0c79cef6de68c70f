// swde — semantic checks of SWDE cadastral exchange objects.
//
// Entries filed under one name are found first-added first, whatever names sort around them.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

namespace {

TEST(EqualNames, TheEntryAddedFirstIsFound) {
  for (const char* before : {"", "A", "G5ZZZ"}) {
    swde::smObject object("G5DZE");
    object.addAttribute("B", "B", "x");
    object.addRelation("B", "B");
    const swde::smAttribute* first = object.addAttribute("G5X", "G5NAZ", "1");
    const swde::smRelation* firstRelation = object.addRelation("G5R", "G5RDZE");
    if (*before != '\0') {
      object.addAttribute(before, before, "y");
    }
    object.addAttribute("G5Y", "G5NAZ", "2");
    object.addRelation("G5S", "G5RDZE");
    object.addAttribute("G5Z", "G5NAZ", "3");
    EXPECT_EQ(object.getAttribute("G5NAZ"), first) << before;
    EXPECT_EQ(object.getRelation("G5RDZE"), firstRelation) << before;
    EXPECT_EQ(object.getAttribute("G5NA"), nullptr);
    EXPECT_EQ(object.getAttribute("G5NAZZ"), nullptr);
  }
}

}  // namespace

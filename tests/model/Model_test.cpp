// swde — semantic checks of SWDE cadastral exchange objects.
//
// The object model: entries filed under their name (or code), the lookups and the error walk;
// the host's record with its two walkable queues.

#include <gtest/gtest.h>

#include "swde/model/Smrecord.hpp"

#include "Support.hpp"

namespace {

using swde::smAttribute;
using swde::smError;
using swde::smObject;
using swde::smRelation;

// Entries are filed under their name, or their code when they have none; a lookup by name
// finds the first added, one by code the first in name order; both are exact.
TEST(SmObject, EntriesFiledUnderNameOrCodeAndFoundExactly) {
  smObject object("G5ADR");
  smAttribute* byCode = object.addAttribute("G5DTU", "", "2020.01.01");
  smAttribute* byName = object.addAttribute("G5KOD", "KOD", " 12-345 ");
  object.addAttribute("CODE", "B", "b");
  smAttribute* firstInNameOrder = object.addAttribute("CODE", "A", "a");
  smAttribute* firstAdded = object.addAttribute("X1", "X", "1");
  object.addAttribute("X2", "X", "2");
  EXPECT_EQ(byCode->name + "/" + byCode->code + "=" + byCode->value, "G5DTU/G5DTU=2020.01.01");
  EXPECT_EQ(byName->name + "/" + byName->code + "=" + byName->value, "KOD/G5KOD= 12-345 ");
  EXPECT_EQ(object.getAttribute("G5DTU"), byCode);
  EXPECT_EQ(object.getAttributeByCode("G5KOD"), byName);
  EXPECT_EQ(object.getAttributeByCode("CODE"), firstInNameOrder);
  EXPECT_EQ(object.getAttribute("X"), firstAdded);
  for (const char* probe : {"g5dtu", "G5DTU ", " KOD", ""}) {
    EXPECT_EQ(object.getAttribute(probe), nullptr) << probe;
    EXPECT_EQ(object.getAttributeByCode(probe), nullptr) << probe;
  }
  EXPECT_EQ(object.getAttribute("G5KOD"), nullptr);
  EXPECT_EQ(object.getAttributeByCode("KOD"), nullptr);
  smRelation* relByName = object.addRelation("G5RPOD", "POD");
  object.addRelation("RC", "b");  // lower case sorts after upper case
  smRelation* relFirstInNameOrder = object.addRelation("RC", "B");
  EXPECT_EQ(relByName->name + "/" + relByName->code, "POD/G5RPOD");
  EXPECT_EQ(object.getRelation("POD"), relByName);
  EXPECT_EQ(object.getRelation("G5RPOD"), nullptr);
  EXPECT_EQ(object.getRelationByCode("G5RPOD"), relByName);
  EXPECT_EQ(object.getRelationByCode("POD"), nullptr);
  EXPECT_EQ(object.getRelationByCode("RC"), relFirstInNameOrder);
}

// The walks of errors, relations and element relations from where they stand: "a,b,-" where "-"
// is a null. Begun with next, a walk starts at the second entry; past the end it stays there.
template <typename Next>
std::string Walk(Next next, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    out += next() + ",";
  }
  return out;
}

TEST(SmObject, ErrorWalk) {
  smObject object("T");
  const auto next = [&] {
    const smError* e = object.getNextError();
    return e == nullptr ? std::string("-") : std::to_string(e->code);
  };
  EXPECT_EQ(Walk(next, 2), "-,-,");
  EXPECT_EQ(object.getFirstError(), nullptr);
  for (const int code : {6001, 6002}) {
    object.errors.push_back(new smError(static_cast<swde::smErrorCode>(code)));
  }
  EXPECT_EQ(Walk(next, 3), "6002,-,-,");
  EXPECT_EQ(object.getFirstError()->code, 6001);
  EXPECT_EQ(Walk(next, 2), "6002,-,");
  object.errorIndex = UINT32_MAX - 1;  // the index stops at its limit rather than wrap
  EXPECT_EQ(Walk(next, 3), "-,-,-,");
}

// Entries appended while the cursor waits are reached; an empty queue neither reads nor moves
// the cursor; an element relation is looked up exactly, the first of a name without a walk.
TEST(SmRecord, RelationWalksAndLookup) {
  swde::smRecord record;
  const auto next = [&record] {
    const smRelation* r = record.getNextRelation();
    return r == nullptr ? std::string("-") : r->name;
  };
  EXPECT_EQ(record.getFirstRelation(), nullptr);
  smRelation* a = record.addRelation("A");
  EXPECT_EQ(a->name + "/" + a->code, "A/");
  record.addRelation("B");
  EXPECT_EQ(Walk(next, 2), "-,-,");  // the cursor was set before the entries came
  EXPECT_EQ(record.getFirstRelation(), a);
  record.addRelation("N");
  EXPECT_EQ(Walk(next, 4), "B,N,-,-,");
  const auto nextElem = [&record] {
    const auto* r = record.getNextElemRelation();
    return r == nullptr ? std::string("-") : r->name;
  };
  for (const char* name : {"X", "Y", "X"}) {
    record.addElemRelation(name);
  }
  record.elemRelationQueue.tail->hostValue = 3;
  EXPECT_EQ(record.getFirstElemRelation()->name + record.getFirstRelation()->name, "XA");
  EXPECT_EQ(Walk(nextElem, 1), "Y,");
  EXPECT_EQ(record.getElemRelation("X"), record.elemRelationQueue.head);
  EXPECT_EQ(record.getElemRelation("Y"), record.elemRelationQueue.head->next);
  EXPECT_EQ(Walk(nextElem, 3), "X,-,-,");
  EXPECT_EQ(record.getElemRelation("X")->hostValue, 0);
  for (const char* probe : {"x", "X ", " X", "", "XY"}) {
    EXPECT_EQ(record.getElemRelation(probe), nullptr) << probe;
  }
  swde::smRecord empty;
  smRelation outside;
  empty.relationCursor = &outside;
  EXPECT_TRUE(empty.getNextRelation() == nullptr && empty.getFirstRelation() == nullptr);
  EXPECT_EQ(empty.relationCursor, &outside);
  empty.relationCursor = nullptr;
}

// Entries filed under one name are found first-added first, whatever names sort around them.
TEST(EqualNames, TheEntryAddedFirstIsFound) {
  for (const char* other : {"A", "G5NAZ0", "G5ZZZ"}) {
    smObject object("G5DZE");
    object.addAttribute(other, other, "x");
    const smAttribute* first = object.addAttribute("G5X", "G5NAZ", "1");
    const smRelation* firstRelation = object.addRelation("G5R", "G5RDZE");
    object.addAttribute(other, other, "y");
    object.addAttribute("G5Y", "G5NAZ", "2");
    object.addRelation("G5S", "G5RDZE");
    EXPECT_EQ(object.getAttribute("G5NAZ"), first) << other;
    EXPECT_EQ(object.getRelation("G5RDZE"), firstRelation) << other;
    EXPECT_EQ(object.getAttribute("G5NA"), nullptr);
  }
}

}  // namespace

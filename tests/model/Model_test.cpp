// swde — semantic checks of SWDE cadastral exchange objects.
//
// The object model: entries filed under their name (or code), the lookups and the error walk;
// the host's record with its two walkable queues.

#include <string>
#include <vector>

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

smError* NewError(int code) {
  return new smError(static_cast<swde::smErrorCode>(code), smError::rsObjects, smError::rmError, 0,
                     0, "T");
}

// Walks the errors from the current position: "6001,6002,-" where "-" is a null.
std::string WalkNext(smObject& object, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    const smError* e = object.getNextError();
    out += (e == nullptr ? std::string("-") : std::to_string(e->code)) + ",";
  }
  return out;
}

// The walk the tool reads errors with (its reports pin the usual case): begun with next it
// starts at the second error, and past the end it stays there.
TEST(SmObject, ErrorWalk) {
  smObject empty("T");
  EXPECT_EQ(WalkNext(empty, 2), "-,-,");
  smObject object("T");
  EXPECT_EQ(object.getFirstError(), nullptr);
  object.errors.push_back(NewError(6001));
  object.errors.push_back(NewError(6002));
  EXPECT_EQ(WalkNext(object, 3), "6002,-,-,");
  EXPECT_EQ(object.getFirstError()->code, 6001);
  EXPECT_EQ(WalkNext(object, 2), "6002,-,");
  object.errorIndex = UINT32_MAX - 1;  // the index stops at its limit rather than wrap
  EXPECT_EQ(WalkNext(object, 3), "-,-,-,");
}

// Walks the relations (or element relations) from the current position, as WalkNext does.
template <typename Next>
std::string Walk(Next next, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    const auto* entry = next();
    out += (entry == nullptr ? std::string("-") : entry->name) + ",";
  }
  return out;
}

TEST(SmRecord, RelationWalks) {
  swde::smRecord record;
  const auto next = [&record] { return record.getNextRelation(); };
  EXPECT_EQ(record.getFirstRelation(), nullptr);
  smRelation* a = record.addRelation("A");
  EXPECT_EQ(a->name + "/" + a->code, "A/");
  record.addRelation("B");
  EXPECT_EQ(Walk(next, 2), "-,-,");  // the cursor was set before the entries came
  EXPECT_EQ(record.getFirstRelation(), a);
  record.addRelation("N");  // appended while the cursor waits on B: the walk reaches it
  EXPECT_EQ(Walk(next, 3), "B,N,-,");
  EXPECT_EQ(record.getFirstRelation()->name, "A");
  EXPECT_EQ(Walk(next, 4), "B,N,-,-,");

  swde::smRecord empty;  // an empty queue neither reads nor moves the cursor
  smRelation outside;
  empty.relationCursor = &outside;
  EXPECT_EQ(empty.getNextRelation(), nullptr);
  EXPECT_EQ(empty.getFirstRelation(), nullptr);
  EXPECT_EQ(empty.relationCursor, &outside);
  empty.relationCursor = nullptr;
}

TEST(SmRecord, ElemRelationWalkAndLookup) {
  swde::smRecord record;
  const auto next = [&record] { return record.getNextElemRelation(); };
  record.addRelation("R1");
  record.addElemRelation("X");
  record.addElemRelation("Y");
  record.addElemRelation("X");
  record.elemRelationQueue.tail->hostValue = 3;
  EXPECT_EQ(record.getFirstElemRelation()->name, "X");
  EXPECT_EQ(record.getFirstRelation()->name, "R1");
  EXPECT_EQ(Walk(next, 1), "Y,");
  EXPECT_EQ(record.getElemRelation("X"), record.elemRelationQueue.head);  // the first: no walk
  EXPECT_EQ(record.getElemRelation("Y"), record.elemRelationQueue.head->next);
  EXPECT_EQ(Walk(next, 3), "X,-,-,");
  EXPECT_EQ(record.getElemRelation("X")->hostValue, 0);
  for (const char* probe : {"x", "X ", " X", "", "XY"}) {
    EXPECT_EQ(record.getElemRelation(probe), nullptr) << probe;
  }
  EXPECT_EQ(record.getNextRelation(), nullptr);
}

}  // namespace

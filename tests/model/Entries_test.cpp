// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstdint>
#include <memory>
#include <type_traits>

#include <gtest/gtest.h>

#include "swde/model/Smattribute.hpp"
#include "swde/model/Smelemrelation.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/model/Smrecord.hpp"
#include "swde/model/Smrelation.hpp"

namespace {

using swde::smAttribute;
using swde::smElemRelation;
using swde::smRelation;

// An object deletes its attributes through the virtual destructor; relations and element
// relations have no virtual operation.
static_assert(std::has_virtual_destructor_v<smAttribute>);
static_assert(!std::is_polymorphic_v<smRelation>);
static_assert(!std::is_polymorphic_v<smElemRelation>);
static_assert(std::is_same_v<decltype(smAttribute::line), std::uint32_t>);
static_assert(std::is_same_v<decltype(smRelation::id), std::uint32_t>);
static_assert(std::is_same_v<decltype(smElemRelation::hostValue), std::int32_t>);

TEST(Entries, AttributeStartsEmpty) {
  const smAttribute attribute;
  EXPECT_EQ(attribute.code, "");
  EXPECT_EQ(attribute.name, "");
  EXPECT_EQ(attribute.value, "");
}

TEST(Entries, RelationDefaults) {
  const smRelation relation;
  EXPECT_EQ(relation.code, "");
  EXPECT_EQ(relation.name, "");
  EXPECT_EQ(relation.destType, "");
  EXPECT_EQ(relation.destObject, "");
  EXPECT_TRUE(relation.checkDest);  // takes part in the target check until the host clears it
  EXPECT_FALSE(relation.hostFlag);
  EXPECT_EQ(relation.next, nullptr);
}

TEST(Entries, ElemRelationDefaults) {
  const smElemRelation elem;
  EXPECT_EQ(elem.name, "");
  EXPECT_EQ(elem.hostValue, 0);
  EXPECT_EQ(elem.next, nullptr);
}

TEST(Entries, DestroyingOneLinkLeavesItsSuccessor) {
  auto second = std::make_unique<smRelation>();
  second->name = "second";
  {
    auto first = std::make_unique<smRelation>();
    first->next = second.get();
  }
  EXPECT_EQ(second->name, "second");

  auto elemSecond = std::make_unique<smElemRelation>();
  elemSecond->name = "kept";
  {
    auto elemFirst = std::make_unique<smElemRelation>();
    elemFirst->next = elemSecond.get();
  }
  EXPECT_EQ(elemSecond->name, "kept");
}

TEST(Entries, CodeAndNameDependOnTheCreator) {
  swde::smObject object("G5DZE");
  const smRelation* fromObject = object.addRelation("G5RJDR", "");
  EXPECT_EQ(fromObject->code, "G5RJDR");
  EXPECT_EQ(fromObject->name, "G5RJDR");
  swde::smRecord record;
  const smRelation* fromRecord = record.addRelation("G5RJDR");
  EXPECT_EQ(fromRecord->code, "");
  EXPECT_EQ(fromRecord->name, "G5RJDR");
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The schema sets: exact lookups (the first of equal keys wins), walks in order of addition with
// a cursor per walk, and deep, independent clones; a set is empty until something is added.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/metadata/Metadata.hpp"

#include "MetadataDump.hpp"

namespace {

using swde::Metadata;
using swde::RecordType;

std::string AttrWalk(RecordType& type) {
  std::string out;
  for (const swde::AttributeDef* d = type.getFirstAttr(); d != nullptr; d = type.getNextAttr()) {
    out += d->name + ":" + d->code + ",";
  }
  return out;
}

std::unique_ptr<Metadata> Sample() {
  auto meta = std::make_unique<Metadata>();
  meta->attribsSection->addAttribute("G5IDD", "NO");
  meta->attribsSection->addAttribute("G5DTU", "DH");
  RecordType* dze = meta->typesSection->addType("G5DZE", "G5OBJ");
  swde::AttributeDef* status = dze->addAttribute("G5STA", "STA", 1, false);
  status->addPossibleValue("1");
  status->addPossibleValue("2");
  dze->addAttribute("G5IDD", "IDD", 2, true);
  dze->addReference("G5RJDR", "RJDR", 1, false, false)->addRefTypeName("G5JDR");
  dze->addReference("G5RPOD", "RPOD", 0, true, true);
  meta->typesSection->addType("G5BUD", "G5OBJ")->addAttribute("G5FUZ", "FUZ");
  return meta;
}

TEST(Metadata, LookupsAreExactAndTheFirstOfEqualKeysWins) {
  std::unique_ptr<Metadata> meta = Sample();
  RecordType* dze = meta->typesSection->getType("G5DZE");
  ASSERT_NE(dze, nullptr);
  EXPECT_EQ(dze->getAttribute("G5STA")->code + dze->getAttributeByCode("STA")->name, "STAG5STA");
  EXPECT_EQ(dze->getReference("G5RJDR")->code + dze->getReferenceByCode("RPOD")->name,
            "RJDRG5RPOD");
  EXPECT_EQ(meta->attribsSection->getAttribute("G5DTU")->baseType, "DH");
  for (const char* probe : {"g5sta", "G5STA ", " G5STA", "G5ST", "", "STA", "G5STAX", "RJDR"}) {
    EXPECT_EQ(dze->getAttribute(probe), nullptr) << probe;
    EXPECT_EQ(dze->getReference(probe), nullptr) << probe;
    EXPECT_EQ(meta->typesSection->getType(probe), nullptr) << probe;
    EXPECT_EQ(meta->attribsSection->getAttribute(probe), nullptr) << probe;
  }
  EXPECT_EQ(dze->getAttributeByCode("G5STA"), nullptr);
  EXPECT_EQ(dze->getReferenceByCode("G5RJDR"), nullptr);

  RecordType* first = meta->typesSection->addType("T", "first");
  meta->typesSection->addType("T", "second");
  swde::AttributeDef* byName = first->addAttribute("N", "C1");
  first->addAttribute("N", "C2");
  swde::AttributeDef* byCode = first->addAttribute("N3", "C");
  first->addAttribute("N4", "C");
  swde::ReferenceDef* ref = first->addReference("R", "RC");
  first->addReference("R", "RC");
  const swde::AttributeDecl* decl = meta->attribsSection->addAttribute("D", "NO");
  meta->attribsSection->addAttribute("D", "FL");
  EXPECT_EQ(meta->typesSection->getType("T"), first);
  EXPECT_EQ(first->getAttribute("N"), byName);
  EXPECT_EQ(first->getAttributeByCode("C"), byCode);
  EXPECT_EQ(first->getAttributeByCode("C2")->name, "N");
  EXPECT_EQ(first->getReference("R"), ref);
  EXPECT_EQ(first->getReferenceByCode("RC"), ref);
  EXPECT_EQ(meta->attribsSection->getAttribute("D"), decl);
  EXPECT_EQ(meta->attribsSection->declarations()[3]->baseType, "FL");  // walks see both
  EXPECT_EQ(AttrWalk(*first), "N:C1,N:C2,N3:C,N4:C,");
}

// Each walk keeps its own cursor and stays at the end once there; the views list what the walks
// list and move no cursor.
TEST(Metadata, WalksEachWithItsCursorAndViews) {
  Metadata meta;
  RecordType* type = meta.typesSection->addType("T", "B");
  EXPECT_TRUE(type->getFirstAttr() == nullptr && type->getFirstReference() == nullptr);
  for (const char* name : {"Z", "A", "Z"}) {
    type->addAttribute(name, std::string("c") + name);
    type->addReference(std::string("r") + name, name);
  }
  meta.typesSection->addType("U", "B")->addAttribute("O1", "o1");
  EXPECT_EQ(type->getFirstAttr()->name + type->getFirstReference()->name, "ZrZ");
  EXPECT_EQ(meta.typesSection->getType("U")->getFirstAttr()->name, "O1");
  std::string seen;
  for (const swde::AttributeDef* def : type->attributes()) {
    seen += def->name + ":" + def->code + ",";
  }
  for (const swde::ReferenceDef* def : type->references()) {
    seen += def->name + ",";
  }
  EXPECT_EQ(seen, "Z:cZ,A:cA,Z:cZ,rZ,rA,rZ,");
  EXPECT_EQ(type->attributes()[0], type->getAttribute("Z"));  // lookups find the first of a repeat
  EXPECT_EQ(type->getNextAttr()->name + type->getNextReference()->name, "ArA");
  EXPECT_EQ(meta.typesSection->getType("U")->getNextAttr(), nullptr);
  EXPECT_EQ(type->getNextReference()->name + type->getNextAttr()->code, "rZcZ");
  EXPECT_TRUE(type->getNextReference() == nullptr && type->getNextReference() == nullptr);
  EXPECT_TRUE(type->getNextAttr() == nullptr && type->getNextAttr() == nullptr);
}

TEST(Metadata, CloneIsDeepAndIndependent) {
  std::unique_ptr<Metadata> original = Sample();
  const std::string before = swde_test::Dump(*original);
  EXPECT_EQ(before,
            "SP{G5IDD:NO,G5DTU:DH,} ST{G5DZE:G5OBJ[A G5STA/STA m=1 1 (1|2|)][A G5IDD/IDD m=2 * "
            "()][R G5RJDR/RJDR m=1 1 - ->G5JDR|][R G5RPOD/RPOD m=0 * inv ->];G5BUD:G5OBJ[A "
            "G5FUZ/FUZ m=0 1 ()];}");
  std::unique_ptr<Metadata> copy = original->clone();
  EXPECT_EQ(swde_test::Dump(*copy), before);
  RecordType* origDze = original->typesSection->getType("G5DZE");
  RecordType* copyDze = copy->typesSection->getType("G5DZE");
  EXPECT_EQ(origDze->getFirstAttr()->name, "G5STA");  // a cursor the copy must not share
  EXPECT_EQ(copyDze->getAttribute("G5STA"), copyDze->getFirstAttr());
  EXPECT_EQ(copyDze->getAttributeByCode("IDD"), copyDze->getNextAttr());
  EXPECT_EQ(origDze->getNextAttr()->name, "G5IDD");
  EXPECT_EQ(copyDze->getReferenceByCode("RJDR"), copyDze->getFirstReference());
  EXPECT_EQ(copy->attribsSection->getAttribute("G5IDD"),
            copy->attribsSection->declarations()[0].get());
  copyDze->getAttribute("G5STA")->addPossibleValue("3");
  copyDze->getReference("G5RJDR")->addRefTypeName("G5BUD");
  copyDze->addAttribute("EXTRA", "X");
  copy->typesSection->addType("G5NEW", "B");
  copy->attribsSection->addAttribute("G5NEW", "NO");
  EXPECT_EQ(swde_test::Dump(*original), before);
  // Equal keys keep their first-wins lookup in a copy, which outlives its original.
  original->typesSection->getType("G5BUD")->addAttribute("G5FUZ", "SECOND");
  std::unique_ptr<Metadata> second = original->clone();
  original.reset();
  EXPECT_EQ(second->typesSection->getType("G5BUD")->getAttribute("G5FUZ")->code, "FUZ");
  EXPECT_EQ(AttrWalk(*second->typesSection->getType("G5BUD")), "G5FUZ:FUZ,G5FUZ:SECOND,");
  EXPECT_TRUE(Metadata().clone()->empty());
  Metadata declarationsOnly;
  declarationsOnly.attribsSection->addAttribute("A", "NO");
  EXPECT_FALSE(declarationsOnly.empty());
}

}  // namespace

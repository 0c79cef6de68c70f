// swde — semantic checks of SWDE cadastral exchange objects.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/metadata/Metadata.hpp"

namespace {

using swde::AttributeDef;
using swde::Metadata;
using swde::RecordType;
using swde::ReferenceDef;

// The attribute walk of a record type as "name:code" items; restarts the walk.
std::string AttrWalk(RecordType& type) {
  std::string out;
  for (const AttributeDef* d = type.getFirstAttr(); d != nullptr; d = type.getNextAttr()) {
    out += (out.empty() ? "" : ",") + d->name + ":" + d->code;
  }
  return out;
}

std::string RefWalk(RecordType& type) {
  std::string out;
  for (const ReferenceDef* d = type.getFirstReference(); d != nullptr;
       d = type.getNextReference()) {
    out += (out.empty() ? "" : ",") + d->name + ":" + d->code;
  }
  return out;
}

// One-line form of a whole set, for comparing a set with its copy.
std::string Dump(const Metadata& meta) {
  std::string out = "SP[";
  for (const auto& decl : meta.attribsSection->declarations()) {
    out += decl->name + "=" + decl->baseType + ";";
  }
  out += "] ST[";
  for (const auto& type : meta.typesSection->types()) {
    out += type->name + "<" + type->baseType + ">{";
    for (AttributeDef* d = type->getFirstAttr(); d != nullptr; d = type->getNextAttr()) {
      out += "A " + d->name + "/" + d->code + "/" + std::to_string(d->mandatory) +
             (d->multiple ? "*" : "") + "(";
      for (const auto& v : d->possibleValues()) {
        out += v + "|";
      }
      out += ")";
    }
    for (ReferenceDef* d = type->getFirstReference(); d != nullptr; d = type->getNextReference()) {
      out += "R " + d->name + "/" + d->code + "/" + std::to_string(d->mandatory) +
             (d->multiple ? "*" : "") + (d->presenceExempt ? "!" : "") + "(";
      for (const auto& t : d->refTypeNames()) {
        out += t + "|";
      }
      out += ")";
    }
    out += "}";
  }
  return out + "]";
}

std::unique_ptr<Metadata> Sample() {
  auto meta = std::make_unique<Metadata>();
  meta->attribsSection->addAttribute("G5IDD", "NO");
  meta->attribsSection->addAttribute("G5DTU", "DH");
  RecordType* dze = meta->typesSection->addType("G5DZE", "G5OBJ");
  AttributeDef* status = dze->addAttribute("G5STA", "STA", 1, false);
  status->addPossibleValue("1");
  status->addPossibleValue("2");
  dze->addAttribute("G5IDD", "IDD", 2, true);
  ReferenceDef* jdr = dze->addReference("G5RJDR", "RJDR", 1, false, false);
  jdr->addRefTypeName("G5JDR");
  dze->addReference("G5RPOD", "RPOD", 0, true, true);
  meta->typesSection->addType("G5BUD", "G5OBJ")->addAttribute("G5FUZ", "FUZ");
  return meta;
}

TEST(Metadata, EmptyUntilSomethingIsAdded) {
  EXPECT_TRUE(Metadata().empty());
  Metadata declOnly;
  declOnly.attribsSection->addAttribute("A", "NO");
  EXPECT_FALSE(declOnly.empty());
  Metadata typeOnly;
  typeOnly.typesSection->addType("T", "B");
  EXPECT_FALSE(typeOnly.empty());
  EXPECT_FALSE(Sample()->empty());
}

TEST(Metadata, BuilderDefaults) {
  Metadata meta;
  RecordType* type = meta.typesSection->addType("G5DZE", "G5OBJ");
  EXPECT_EQ(type->baseType, "G5OBJ");
  const AttributeDef* attribute = type->addAttribute("N", "C");
  EXPECT_EQ(attribute->mandatory, 0);
  EXPECT_FALSE(attribute->multiple);
  const ReferenceDef* ref = type->addReference("R", "RC");
  EXPECT_EQ(ref->mandatory, 0);
  EXPECT_FALSE(ref->multiple);
  EXPECT_FALSE(ref->presenceExempt);
}

TEST(Metadata, WalksRunInOrderOfAdditionAndRestart) {
  Metadata meta;
  RecordType* type = meta.typesSection->addType("T", "B");
  EXPECT_EQ(type->getFirstAttr(), nullptr);
  EXPECT_EQ(type->getNextAttr(), nullptr);
  EXPECT_EQ(type->getFirstReference(), nullptr);
  for (const char* name : {"Z", "A", "M"}) {
    type->addAttribute(name, std::string("c") + name);
    type->addReference(std::string("r") + name, name);
  }
  EXPECT_EQ(AttrWalk(*type), "Z:cZ,A:cA,M:cM");
  EXPECT_EQ(RefWalk(*type), "rZ:Z,rA:A,rM:M");
  EXPECT_EQ(type->getNextAttr(), nullptr);  // stays at the end
  EXPECT_EQ(type->getNextAttr(), nullptr);
  EXPECT_EQ(type->getFirstAttr()->name, "Z");
  // The two walks of one type and the walks of two types keep their own cursors.
  RecordType* other = meta.typesSection->addType("U", "B");
  other->addAttribute("O1", "o1");
  other->addAttribute("O2", "o2");
  EXPECT_EQ(type->getFirstReference()->name, "rZ");
  EXPECT_EQ(other->getFirstAttr()->name, "O1");
  EXPECT_EQ(type->getNextAttr()->name, "A");
  EXPECT_EQ(type->getNextReference()->name, "rA");
  EXPECT_EQ(other->getNextAttr()->name, "O2");
  EXPECT_EQ(type->getNextAttr()->name, "M");
  EXPECT_EQ(other->getNextAttr(), nullptr);
}

TEST(Metadata, LookupsAreExact) {
  std::unique_ptr<Metadata> meta = Sample();
  RecordType* dze = meta->typesSection->getType("G5DZE");
  ASSERT_NE(dze, nullptr);
  EXPECT_EQ(dze->getAttribute("G5STA")->code, "STA");
  EXPECT_EQ(dze->getAttributeByCode("STA")->name, "G5STA");
  EXPECT_EQ(dze->getReference("G5RJDR")->code, "RJDR");
  EXPECT_EQ(dze->getReferenceByCode("RPOD")->name, "G5RPOD");
  EXPECT_EQ(meta->attribsSection->getAttribute("G5DTU")->baseType, "DH");
  for (const char* probe : {"g5sta", "G5STA ", " G5STA", "G5ST", "", "STA"}) {
    EXPECT_EQ(dze->getAttribute(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"sta", "STA ", " STA", "G5STA", ""}) {
    EXPECT_EQ(dze->getAttributeByCode(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"g5rjdr", "G5RJDR ", "RJDR"}) {
    EXPECT_EQ(dze->getReference(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"rjdr", " RJDR", "G5RJDR"}) {
    EXPECT_EQ(dze->getReferenceByCode(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"g5dze", "G5DZE ", " G5DZE", "G5DZ", ""}) {
    EXPECT_EQ(meta->typesSection->getType(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"g5dtu", "G5DTU ", "DH"}) {
    EXPECT_EQ(meta->attribsSection->getAttribute(probe), nullptr) << "case: " << probe;
  }
}

TEST(Metadata, DuplicatesFirstWinsForLookupWalksSeeBoth) {
  Metadata meta;
  RecordType* first = meta.typesSection->addType("T", "first");
  RecordType* second = meta.typesSection->addType("T", "second");
  EXPECT_EQ(meta.typesSection->getType("T"), first);
  EXPECT_EQ(meta.typesSection->types().size(), 2u);
  EXPECT_EQ(meta.typesSection->types()[1].get(), second);

  AttributeDef* byName1 = first->addAttribute("N", "C1");
  first->addAttribute("N", "C2");
  AttributeDef* byCode1 = first->addAttribute("N3", "C");
  first->addAttribute("N4", "C");
  EXPECT_EQ(first->getAttribute("N"), byName1);
  EXPECT_EQ(first->getAttributeByCode("C"), byCode1);
  EXPECT_EQ(first->getAttributeByCode("C2")->name, "N");
  EXPECT_EQ(AttrWalk(*first), "N:C1,N:C2,N3:C,N4:C");

  ReferenceDef* ref1 = first->addReference("R", "RC1");
  first->addReference("R", "RC");
  ReferenceDef* refCode = first->addReference("R2", "RC");
  EXPECT_EQ(first->getReference("R"), ref1);
  EXPECT_EQ(first->getReferenceByCode("RC")->name, "R");
  EXPECT_NE(first->getReferenceByCode("RC"), refCode);
  EXPECT_EQ(RefWalk(*first), "R:RC1,R:RC,R2:RC");

  const swde::AttributeDecl* decl1 = meta.attribsSection->addAttribute("D", "NO");
  meta.attribsSection->addAttribute("D", "FL");
  EXPECT_EQ(meta.attribsSection->getAttribute("D"), decl1);
  EXPECT_EQ(meta.attribsSection->size(), 2u);
}

TEST(Metadata, PossibleValuesAreCountedOnceAndMatchedExactly) {
  AttributeDef def("G5STA", "STA", 1, false);
  EXPECT_EQ(def.getPossibleValuesCount(), 0);
  EXPECT_FALSE(def.isValuePresent(""));
  for (const char* v : {"1", "2", "2", "a", "1"}) {
    def.addPossibleValue(v);
  }
  EXPECT_EQ(def.getPossibleValuesCount(), 3);
  EXPECT_EQ(def.possibleValues(), (std::vector<std::string>{"1", "2", "a"}));
  const struct {
    const char* value;
    bool present;
  } cases[] = {{"1", true},   {"2", true},   {"a", true}, {"A", false}, {" 1", false},
               {"1 ", false}, {"01", false}, {"", false}, {"3", false}, {"12", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(def.isValuePresent(c.value), c.present) << "case: " << c.value;
  }
  AttributeDef blank("N", "C", 0, false);
  blank.addPossibleValue("");
  EXPECT_EQ(blank.getPossibleValuesCount(), 1);
  EXPECT_TRUE(blank.isValuePresent(""));
}

TEST(Metadata, RefTypeNames) {
  ReferenceDef ref("G5RJDR", "RJDR", 1, false, false);
  EXPECT_FALSE(ref.isRefTypeNamePresent("G5JDR"));
  ref.addRefTypeName("G5JDR");
  ref.addRefTypeName("G5BUD");
  ref.addRefTypeName("G5JDR");
  EXPECT_EQ(ref.refTypeNames(), (std::vector<std::string>{"G5JDR", "G5BUD"}));
  const struct {
    const char* type;
    bool present;
  } cases[] = {{"G5JDR", true},   {"G5BUD", true}, {"g5jdr", false},
               {"G5JDR ", false}, {"", false},     {"G5JD", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ref.isRefTypeNamePresent(c.type), c.present) << "case: " << c.type;
  }
}

TEST(Metadata, CloneIsDeepAndIndependent) {
  std::unique_ptr<Metadata> original = Sample();
  const std::string before = Dump(*original);
  EXPECT_TRUE(Metadata().clone()->empty());

  std::unique_ptr<Metadata> copy = original->clone();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Dump(*copy), before);
  EXPECT_NE(copy->attribsSection, original->attribsSection);
  EXPECT_NE(copy->typesSection, original->typesSection);

  RecordType* origDze = original->typesSection->getType("G5DZE");
  RecordType* copyDze = copy->typesSection->getType("G5DZE");
  ASSERT_NE(copyDze, nullptr);
  EXPECT_NE(copyDze, origDze);
  // The copy's indexes point into the copy.
  EXPECT_EQ(copyDze->getAttribute("G5STA"), copyDze->getFirstAttr());
  EXPECT_EQ(copyDze->getAttributeByCode("STA"), copyDze->getFirstAttr());
  EXPECT_EQ(copyDze->getReference("G5RJDR"), copyDze->getFirstReference());
  EXPECT_EQ(copyDze->getReferenceByCode("RJDR"), copyDze->getFirstReference());
  EXPECT_NE(copyDze->getAttribute("G5STA"), origDze->getAttribute("G5STA"));
  EXPECT_NE(copy->attribsSection->getAttribute("G5IDD"),
            original->attribsSection->getAttribute("G5IDD"));
  EXPECT_EQ(copy->attribsSection->getAttribute("G5IDD"),
            copy->attribsSection->declarations()[0].get());

  // Cursors: each set walks on its own.
  EXPECT_EQ(origDze->getFirstAttr()->name, "G5STA");
  EXPECT_EQ(copyDze->getFirstAttr()->name, "G5STA");
  EXPECT_EQ(copyDze->getNextAttr()->name, "G5IDD");
  EXPECT_EQ(copyDze->getNextAttr(), nullptr);
  EXPECT_EQ(origDze->getNextAttr()->name, "G5IDD");

  // Changing the copy leaves the original as it was.
  copyDze->getAttribute("G5STA")->addPossibleValue("3");
  copyDze->getAttribute("G5STA")->name = "RENAMED";
  copyDze->getReference("G5RJDR")->addRefTypeName("G5BUD");
  copyDze->addAttribute("EXTRA", "X");
  copyDze->baseType = "CHANGED";
  copy->typesSection->addType("G5NEW", "B");
  copy->attribsSection->addAttribute("G5NEW", "NO");
  EXPECT_EQ(Dump(*original), before);
  EXPECT_NE(Dump(*copy), before);
  EXPECT_EQ(origDze->getAttribute("G5STA")->getPossibleValuesCount(), 2);
  EXPECT_FALSE(origDze->getReference("G5RJDR")->isRefTypeNamePresent("G5BUD"));

  // Duplicates keep their first-wins lookup in the copy, and the copy outlives its original.
  original->typesSection->getType("G5BUD")->addAttribute("G5FUZ", "SECOND");
  std::unique_ptr<Metadata> second = original->clone();
  original.reset();
  EXPECT_EQ(second->typesSection->getType("G5BUD")->getAttribute("G5FUZ")->code, "FUZ");
  EXPECT_EQ(AttrWalk(*second->typesSection->getType("G5BUD")), "G5FUZ:FUZ,G5FUZ:SECOND");
}

}  // namespace

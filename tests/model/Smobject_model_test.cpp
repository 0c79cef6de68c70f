// swde — semantic checks of SWDE cadastral exchange objects.
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/package/Orvane.hpp"

namespace {

using swde::AnsiString;
using swde::smAttribute;
using swde::smError;
using swde::smObject;
using swde::smRelation;

class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { swde::Initialize(); }
  void TearDown() override { swde::Finalize(); }
};
[[maybe_unused]] ::testing::Environment* const kCatalogue =
    ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);

static_assert(std::has_virtual_destructor_v<smObject>);

// The keys of a map in iteration order.
template <typename Map>
std::vector<std::string> Keys(const Map& map) {
  std::vector<std::string> keys;
  for (const auto& entry : map) {
    keys.push_back(entry.first);
  }
  return keys;
}

smError* NewError(int code) {
  return new smError(static_cast<swde::smErrorCode>(code), smError::rsObjects, smError::rmError, 0,
                     0, "T");
}

TEST(SmObject, InitialState) {
  const smObject object("G5DZE");
  EXPECT_EQ(object.annexMetadata, nullptr);
  EXPECT_EQ(object.fileMetadata, nullptr);
  EXPECT_FALSE(object.existMetadata);
  EXPECT_EQ(object.typeName, "G5DZE");
  EXPECT_TRUE(object.attributes.empty());
  EXPECT_TRUE(object.relations.empty());
  EXPECT_TRUE(object.errors.empty());
  EXPECT_GE(object.errors.capacity(), 1u);
  EXPECT_EQ(object.errorIndex, 0u);
  EXPECT_TRUE(object.creationDateValid);
  EXPECT_TRUE(object.verificationDateValid);
  EXPECT_EQ(object.baseType, "");
  EXPECT_EQ(object.hostText1, "");
  EXPECT_EQ(object.hostText2, "");
  EXPECT_EQ(object.hostText3, "");
  EXPECT_EQ(object.status, "");
  EXPECT_EQ(smObject("").typeName, "");
}

TEST(SmObject, AddAttributeFilesUnderNameOrCode) {
  smObject object("G5ADR");
  const struct {
    const char* code;
    const char* name;
    const char* value;
    const char* key;
  } cases[] = {
      {"G5DTU", "", "2020.01.01", "G5DTU"},
      {"G5KOD", "KOD", "12-345", "KOD"},
      {"", "", "", ""},
      {"", "ONLY_NAME", " v ", "ONLY_NAME"},
  };
  for (const auto& c : cases) {
    smAttribute* added = object.addAttribute(c.code, c.name, c.value);
    ASSERT_NE(added, nullptr) << "case: " << c.code << "/" << c.name;
    EXPECT_EQ(added->code, c.code) << "case: " << c.code << "/" << c.name;
    EXPECT_EQ(added->name, c.key) << "case: " << c.code << "/" << c.name;
    EXPECT_EQ(added->value, c.value) << "case: " << c.code << "/" << c.name;
    EXPECT_EQ(object.getAttribute(c.key), added) << "case: " << c.code << "/" << c.name;
    if (*c.code != '\0') {
      EXPECT_EQ(object.getAttributeByCode(c.code), added) << "case: " << c.code;
    }
  }
  EXPECT_EQ(object.attributes.size(), 4u);
  // The host fills the location through the returned pointer.
  smAttribute* dtu = object.getAttribute("G5DTU");
  dtu->line = 10;
  dtu->id = 20;
  EXPECT_EQ(object.getAttributeByCode("G5DTU")->line, 10u);
  EXPECT_EQ(object.getAttributeByCode("G5DTU")->id, 20u);
}

TEST(SmObject, AddRelationFilesUnderNameOrCodeWithDefaults) {
  smObject object("G5DZE");
  smRelation* byCode = object.addRelation("G5RJDR", "");
  smRelation* byName = object.addRelation("G5RPOD", "POD");
  EXPECT_EQ(byCode->code, "G5RJDR");
  EXPECT_EQ(byCode->name, "G5RJDR");
  EXPECT_EQ(byName->code, "G5RPOD");
  EXPECT_EQ(byName->name, "POD");
  for (const smRelation* r : {byCode, byName}) {
    EXPECT_TRUE(r->checkDest) << "case: " << r->name;
    EXPECT_FALSE(r->hostFlag) << "case: " << r->name;
    EXPECT_EQ(r->next, nullptr) << "case: " << r->name;
    EXPECT_EQ(r->destType, "") << "case: " << r->name;
    EXPECT_EQ(r->destObject, "") << "case: " << r->name;
  }
  EXPECT_EQ(object.getRelation("G5RJDR"), byCode);
  EXPECT_EQ(object.getRelation("POD"), byName);
  EXPECT_EQ(object.getRelation("G5RPOD"), nullptr);
  EXPECT_EQ(object.getRelationByCode("G5RPOD"), byName);
  EXPECT_EQ(object.getRelationByCode("POD"), nullptr);
}

// Ordinal order: unsigned bytes, a proper prefix first, upper case before lower case.
TEST(SmObject, MapsIterateInOrdinalByteOrder) {
  const std::vector<std::string> added = {"\xB3", "z",    "Z",    "a", "G5DZE", "G5D",
                                          "",     "\x80", "\x7F", "B", "G5DZEX"};
  const std::vector<std::string> sorted = {"",  "B", "G5D",  "G5DZE", "G5DZEX", "Z",
                                           "a", "z", "\x7F", "\x80",  "\xB3"};
  smObject object("T");
  for (const std::string& key : added) {
    // An empty name makes the code the key; use the code so that "" stays a real key.
    object.addAttribute(key, "", "v");
    object.addRelation(key, "");
  }
  EXPECT_EQ(Keys(object.attributes), sorted);
  EXPECT_EQ(Keys(object.relations), sorted);
}

TEST(SmObject, LookupsAreExact) {
  smObject object("G5ADR");
  smAttribute* kod = object.addAttribute("G5KOD", "", "00-950");
  smRelation* rel = object.addRelation("G5RADR", "");
  for (const char* probe : {"g5kod", "G5KOD ", " G5KOD", "G5KO", "G5KODX", "\xB3"}) {
    EXPECT_EQ(object.getAttribute(probe), nullptr) << "case: " << probe;
    EXPECT_EQ(object.getAttributeByCode(probe), nullptr) << "case: " << probe;
  }
  for (const char* probe : {"g5radr", "G5RADR ", ""}) {
    EXPECT_EQ(object.getRelation(probe), nullptr) << "case: " << probe;
    EXPECT_EQ(object.getRelationByCode(probe), nullptr) << "case: " << probe;
  }
  EXPECT_EQ(object.getAttribute("G5KOD"), kod);
  EXPECT_EQ(object.getRelation("G5RADR"), rel);
  const smObject empty("T");
  EXPECT_EQ(empty.getAttribute(""), nullptr);
  EXPECT_EQ(empty.getAttributeByCode(""), nullptr);
  EXPECT_EQ(empty.getRelation(""), nullptr);
  EXPECT_EQ(empty.getRelationByCode(""), nullptr);
}

TEST(SmObject, DuplicateNamesKeepOrderOfAddition) {
  smObject object("G5DZE");
  smAttribute* first = object.addAttribute("C1", "X", "1");
  object.addAttribute("C0", "Y", "y");
  smAttribute* second = object.addAttribute("C2", "X", "2");
  object.addAttribute("C3", "", "3");
  smAttribute* fourth = object.addAttribute("C4", "X", "4");
  EXPECT_EQ(object.getAttribute("X"), first);
  const auto range = object.attributes.equal_range("X");
  std::vector<smAttribute*> inOrder;
  for (auto it = range.first; it != range.second; ++it) {
    inOrder.push_back(it->second);
  }
  EXPECT_EQ(inOrder, (std::vector<smAttribute*>{first, second, fourth}));

  smRelation* r1 = object.addRelation("R1", "SAME");
  smRelation* r2 = object.addRelation("R2", "SAME");
  EXPECT_EQ(object.getRelation("SAME"), r1);
  EXPECT_EQ(object.relations.count("SAME"), 2u);
  EXPECT_EQ(std::next(object.relations.find("SAME"))->second, r2);
}

// Lookup by code walks the map: the first match in name order, not in order of addition.
TEST(SmObject, LookupByCodeTakesFirstInNameOrder) {
  for (const bool bFirst : {true, false}) {
    smObject object("T");
    smAttribute* a = nullptr;
    smRelation* ra = nullptr;
    if (bFirst) {
      object.addAttribute("CODE", "B", "b");
      a = object.addAttribute("CODE", "A", "a");
      object.addRelation("RC", "b");  // lower case sorts after upper case
      ra = object.addRelation("RC", "B");
    } else {
      a = object.addAttribute("CODE", "A", "a");
      object.addAttribute("CODE", "B", "b");
      ra = object.addRelation("RC", "B");
      object.addRelation("RC", "b");
    }
    EXPECT_EQ(object.getAttributeByCode("CODE"), a) << "case: B added first = " << bFirst;
    EXPECT_EQ(object.getRelationByCode("RC"), ra) << "case: b added first = " << bFirst;
  }
  // Equal names and equal codes: the one added first.
  smObject object("T");
  smAttribute* first = object.addAttribute("K", "N", "1");
  object.addAttribute("K", "N", "2");
  EXPECT_EQ(object.getAttributeByCode("K"), first);
  // A byte above 0x7F sorts after 'z'.
  smObject upper("T");
  upper.addAttribute("K", "\xB3", "l-stroke");
  smAttribute* z = upper.addAttribute("K", "z", "z");
  EXPECT_EQ(upper.getAttributeByCode("K"), z);
}

TEST(SmObject, ErrorWalk) {
  smObject object("T");
  EXPECT_EQ(object.getFirstError(), nullptr);
  EXPECT_EQ(object.getNextError(), nullptr);
  EXPECT_EQ(object.getNextError(), nullptr);

  object.errors.push_back(NewError(6001));
  object.errors.push_back(NewError(6002));
  object.errors.push_back(NewError(6003));
  std::vector<int> walked;
  for (smError* e = object.getFirstError(); e != nullptr; e = object.getNextError()) {
    walked.push_back(e->code);
  }
  EXPECT_EQ(walked, (std::vector<int>{6001, 6002, 6003}));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(object.getNextError(), nullptr) << "case: call " << i << " past the end";
  }
  ASSERT_NE(object.getFirstError(), nullptr);
  EXPECT_EQ(object.getFirstError()->code, 6001);
  EXPECT_EQ(object.getNextError()->code, 6002);
}

TEST(SmObject, WalkBegunWithNextStartsAtSecondError) {
  smObject object("T");
  object.errors.push_back(NewError(6001));
  object.errors.push_back(NewError(6002));
  smError* e = object.getNextError();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->code, 6002);
  EXPECT_EQ(object.getNextError(), nullptr);

  smObject single("T");
  single.errors.push_back(NewError(6007));
  EXPECT_EQ(single.getNextError(), nullptr);
  ASSERT_NE(single.getFirstError(), nullptr);
  EXPECT_EQ(single.getFirstError()->code, 6007);
}

// Reports made the way every check makes them.
class ReportingObject : public smObject {
 public:
  using smObject::report;
  using smObject::smObject;
};

TEST(SmObject, ReportAppendsWithObjectTypeName) {
  ReportingObject object("G5ADR");
  const AnsiString args[] = {"G5KOD", "G5ADR"};
  object.report(swde::errMissingAttr, smError::rmWarning, 7, 9, args, 1);
  object.report(swde::errPostalCode, smError::rmError, 11, 13, args + 1, 0);
  ASSERT_EQ(object.errors.size(), 2u);
  const smError* first = object.getFirstError();
  EXPECT_EQ(first->code, 6008);
  EXPECT_EQ(first->section, 49);
  EXPECT_EQ(first->msgType, smError::rmWarning);
  EXPECT_EQ(first->line, 7u);
  EXPECT_EQ(first->id, 9u);
  EXPECT_EQ(first->typeName, "G5ADR");
  EXPECT_EQ(first->message, "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR");
  const smError* second = object.getNextError();
  EXPECT_EQ(second->code, 6028);
  EXPECT_EQ(second->line, 11u);
  EXPECT_EQ(second->message, "Niepoprawny format kodu pocztowego w rekordzie G5ADR");
}

// Entries and errors that log their destruction, filed the way the object files its own.
std::string destroyed;

class LoggedAttribute : public smAttribute {
 public:
  explicit LoggedAttribute(std::string tag) : tag_(std::move(tag)) {}
  ~LoggedAttribute() override { destroyed += tag_; }

 private:
  std::string tag_;
};

class LoggedError : public smError {
 public:
  explicit LoggedError(std::string tag) : smError(swde::errStatus), tag_(std::move(tag)) {}
  ~LoggedError() override { destroyed += tag_; }

 private:
  std::string tag_;
};

TEST(SmObject, ClearMapsDeletesEntriesAndKeepsErrors) {
  destroyed.clear();
  smObject object("T");
  object.addAttribute("A", "", "1");
  object.addRelation("R", "");
  object.attributes.emplace("B", new LoggedAttribute("b"));
  object.attributes.emplace("A", new LoggedAttribute("a"));
  object.attributes.emplace("C", nullptr);
  object.errors.push_back(new LoggedError("E"));

  object.clearMaps();
  EXPECT_EQ(destroyed, "ab");  // map order: A (after the plain one), then B
  EXPECT_TRUE(object.attributes.empty());
  EXPECT_TRUE(object.relations.empty());
  EXPECT_EQ(object.getAttribute("A"), nullptr);
  EXPECT_EQ(object.getRelation("R"), nullptr);
  ASSERT_EQ(object.errors.size(), 1u);
  EXPECT_EQ(object.getFirstError()->code, 6024);

  // The object stays usable.
  smAttribute* again = object.addAttribute("A", "", "2");
  EXPECT_EQ(object.getAttribute("A"), again);
  object.clearMaps();
  object.clearMaps();
  EXPECT_TRUE(object.attributes.empty());
}

TEST(SmObject, DestroyingAnUncheckedObjectFreesErrorsThenEntries) {
  destroyed.clear();
  swde::Metadata annex;
  annex.typesSection->addType("G5DZE", "G5OBJ");
  {
    std::unique_ptr<smObject> object = std::make_unique<smObject>("G5DZE");
    object->annexMetadata = &annex;
    object->fileMetadata = &annex;
    object->attributes.emplace("X", new LoggedAttribute("A1"));
    object->errors.push_back(new LoggedError("E1"));
    object->attributes.emplace("Y", new LoggedAttribute("A2"));
    object->errors.push_back(nullptr);
    object->errors.push_back(new LoggedError("E2"));
    object->addAttribute("Z", "", "z");
    object->addRelation("R", "");
  }
  EXPECT_EQ(destroyed, "E1E2A1A2");
  // The metadata belongs to the host and is untouched.
  ASSERT_NE(annex.typesSection->getType("G5DZE"), nullptr);
  EXPECT_EQ(annex.typesSection->getType("G5DZE")->baseType, "G5OBJ");
}

}  // namespace

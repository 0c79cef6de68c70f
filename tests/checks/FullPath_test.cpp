// swde — semantic checks of SWDE cadastral exchange objects.
//
// The whole road of several objects: created by the factory, filled, checked with checkMain
// against an annex and a file with its own sections, and the exact list of findings, in order.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"
#include "swde/types/Smobjectfactory.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::E;
using swde_test::Place;
using swde_test::Rel;
using swde_test::Rendered;
using swde_test::Schema;
using Lines = std::vector<std::string>;

// The annex: four record types with attributes of several base types, required levels, value
// sets and relations with admitted targets.
void BuildAnnex(Schema& annex) {
  annex.Declare("G5IDD", "TX");
  annex.Declare("G5PEW", "NO");
  annex.Declare("G5STI", "TX");
  annex.Declare("G5DTU", "DH");
  annex.Declare("G5DTW", "DN");
  annex.Declare("G5TAR", "TX");
  annex.Declare("G5KOD", "TX");
  annex.Declare("G5MSC", "TX");
  annex.Declare("G5UD", "UL");
  annex.Declare("G5IDB", "TX");
  annex.Declare("G5FUZ", "NO");
  annex.Declare("G5WRT", "FL");
  annex.Declare("G5LOG", "LN");

  swde::RecordType* dze = annex.Type("G5DZE", "OBJ");
  dze->addAttribute("G5IDD", "G5IDD", 1);
  dze->addAttribute("G5PEW", "G5PEW", 1);
  swde::AttributeDef* sti = dze->addAttribute("G5STI", "G5STI", 2);
  for (const char* value : {"1", "2", "3"}) {
    sti->addPossibleValue(value);
  }
  dze->addAttribute("G5DTU", "G5DTU", 1);
  dze->addAttribute("G5DTW", "G5DTW", 1);
  dze->addReference("RADR", "RADR", 0, true)->addRefTypeName("G5ADR");
  dze->addReference("RPOD", "RPOD", 1, true, true)->addRefTypeName("G5PDZ");

  swde::RecordType* adr = annex.Type("G5ADR", "OBJ");
  swde::AttributeDef* tar = adr->addAttribute("G5TAR", "G5TAR", 1);
  tar->addPossibleValue("1");
  tar->addPossibleValue("2");
  adr->addAttribute("G5KOD", "G5KOD", 0);
  adr->addAttribute("G5MSC", "G5MSC", 1);
  adr->addAttribute("G5DTU", "G5DTU", 1);
  adr->addAttribute("G5DTW", "G5DTW", 2);

  swde::RecordType* pdz = annex.Type("G5PDZ", "OBJ");
  pdz->addAttribute("G5UD", "G5UD", 1);
  pdz->addAttribute("G5DTU", "G5DTU", 1);
  pdz->addReference("RPOD", "RPOD", 1)->addRefTypeName("G5DZE");

  swde::RecordType* bud = annex.Type("G5BUD", "OBJ");
  bud->addAttribute("G5IDB", "G5IDB", 1);
  swde::AttributeDef* fuz = bud->addAttribute("G5FUZ", "G5FUZ", 3);
  for (const char* value : {"1", "2", "3"}) {
    fuz->addPossibleValue(value);
  }
  bud->addAttribute("G5WRT", "G5WRT", 0);
  bud->addAttribute("G5DTU", "G5DTU", 1);
  bud->addAttribute("G5DTW", "G5DTW", 0);
  bud->addReference("RDZE", "RDZE", 1, true)->addRefTypeName("G5DZE");
  bud->addReference("RADR", "RADR", 0, false)->addRefTypeName("G5ADR");
}

// The file's own sections: G5DZE and G5ADR as in the annex, G5BUD with G5LOG instead of G5WRT,
// and no G5PDZ. Its attribute section declares nothing the value step could use.
void BuildFile(Schema& file) {
  file.Declare("G5IDD", "NO");
  swde::RecordType* dze = file.Type("G5DZE", "OBJ");
  for (const char* code : {"G5IDD", "G5PEW", "G5STI", "G5DTU", "G5DTW"}) {
    dze->addAttribute(code, code);
  }
  dze->addReference("RADR", "RADR", 0, true);
  dze->addReference("RPOD", "RPOD", 0, true);
  swde::RecordType* adr = file.Type("G5ADR", "OBJ");
  for (const char* code : {"G5TAR", "G5KOD", "G5MSC", "G5DTU", "G5DTW"}) {
    adr->addAttribute(code, code);
  }
  swde::RecordType* bud = file.Type("G5BUD", "OBJ");
  for (const char* code : {"G5IDB", "G5FUZ", "G5DTU", "G5DTW", "G5LOG"}) {
    bud->addAttribute(code, code);
  }
  bud->addReference("RDZE", "RDZE", 0, true);
  bud->addReference("RADR", "RADR");
}

TEST(FullPath, SeveralObjectsAgainstAnnexAndFile) {
  Schema annex;
  Schema file;
  BuildAnnex(annex);
  BuildFile(file);
  swde::smObjectFactory factory;
  std::vector<std::unique_ptr<swde::smObject>> objects;
  auto make = [&](const std::string& code, std::uint32_t line, const std::string& status,
                  const std::string& baseType) {
    objects.emplace_back(factory.createObject(code));
    swde::smObject& object = *objects.back();
    Place(object, line, line, status);
    object.baseType = baseType;
    object.setExistMetadata(true);
    return &object;
  };

  // A parcel with a malformed integer, a value outside its set and a verification date
  // before the creation date.
  swde::smObject* dze = make("G5DZE", 10, "00", "OBJ");
  Attr(*dze, "G5IDD", "", "142301_1.0001.12/3", 11, 2);
  Attr(*dze, "G5PEW", "", "12a", 12, 3);
  Attr(*dze, "G5STI", "", "4", 13, 4);
  Attr(*dze, "G5DTU", "", "2005.03.02-10:00:00", 14, 5);
  Attr(*dze, "G5DTW", "", "2005.03.01", 15, 6);
  Rel(*dze, "RADR", "", "G5ADR", 16, 7);

  // An address: an undefined attribute, a missing required one, an empty level-2 value, a
  // postal code without its dash and an empty verification date.
  swde::smObject* adr = make("G5ADR", 20, "01", "OBJ");
  Attr(*adr, "G5KOD", "", "12345", 21, 21);
  Attr(*adr, "G5TAR", "", "1", 22, 22);
  Attr(*adr, "G5DTU", "", "2005.01.01-12:00:00", 23, 23);
  Attr(*adr, "G5DTW", "", "", 24, 24);
  Attr(*adr, "G5XYZ", "", "q", 25, 25);

  // A share that the file does not define, with an empty status mark, an undefined relation, a
  // missing required one, a ";" creation date and an improper fraction.
  swde::smObject* pdz = make("G5PDZ", 30, "", "OBJ");
  Attr(*pdz, "G5UD", "", "3/2", 31, 31);
  Attr(*pdz, "G5DTU", "", ";", 32, 32);
  Rel(*pdz, "RDZE", "", "G5DZE", 33, 33);

  // A building: wrong base type, an attribute only the annex defines, a relation to a type the
  // annex does not admit, repeated single items, and malformed values; its malformed creation
  // date keeps the (later) dates from being compared.
  swde::smObject* bud = make("G5BUD", 40, "10", "BUD");
  Attr(*bud, "G5IDB", "", "B1", 41, 41);
  Attr(*bud, "G5FUZ", "", "", 42, 42);
  Attr(*bud, "G5FUZ", "", "7", 43, 43);
  Attr(*bud, "G5WRT", "", "1,5", 44, 44);
  Attr(*bud, "G5LOG", "", "2", 45, 45);
  Attr(*bud, "G5DTU", "", "2005.01.01 12:00:00", 46, 46);
  Attr(*bud, "G5DTW", "", "2004.01.01", 47, 47);
  Rel(*bud, "RDZE", "", "G5DZE", 48, 48);
  Rel(*bud, "RDZE", "", "G5BUD", 49, 49);
  Rel(*bud, "RADR", "", "G5ADR", 50, 50);
  Rel(*bud, "RADR", "", "G5ADR", 51, 51);

  // A faultless address.
  swde::smObject* goodAdr = make("G5ADR", 60, "12", "OBJ");
  Attr(*goodAdr, "G5TAR", "", "2", 61, 61);
  Attr(*goodAdr, "G5KOD", "", "00-950", 62, 62);
  Attr(*goodAdr, "G5MSC", "", "Warszawa", 63, 63);
  Attr(*goodAdr, "G5DTU", "", "2005.01.01-12:00:00", 64, 64);
  Attr(*goodAdr, "G5DTW", "", "2005.01.01", 65, 65);

  // An archived parcel: not checked.
  swde::smObject* oldDze = make("G5DZE", 70, "21", "XXX");
  Attr(*oldDze, "G5PEW", "", "x;", 71, 71);

  // A building of a record type defined nowhere.
  swde::smObject* oBud = make("G5O_BUD", 80, "0", "OBJ");
  Attr(*oBud, "G5IDB", "", "B2", 81, 81);

  Lines transcript;
  for (const auto& object : objects) {
    const bool checked = object->checkMain(annex.get(), file.get());
    transcript.push_back(object->typeName + "@" + std::to_string(object->line) + " -> " +
                         (checked ? "checked" : "turned away"));
    for (const std::string& line : Rendered(*object)) {
      transcript.push_back(line);
    }
  }

  const Lines expected = {
      "G5DZE@10 -> checked",
      E(6014, 0, 12, 3, "G5DZE", {"G5PEW", "G5DZE"}),
      E(6021, 0, 13, 4, "G5DZE", {"G5STI", "G5DZE"}),
      E(6005, 0, 15, 6, "G5DZE", {"G5DZE"}),

      "G5ADR@20 -> checked",
      E(6001, 1, 25, 25, "G5ADR", {"G5XYZ", "G5ADR"}),
      E(6008, 0, 20, 20, "G5ADR", {"G5MSC", "G5ADR"}),
      E(6022, 1, 24, 24, "G5ADR", {"G5DTW", "G5ADR"}),
      E(6028, 0, 21, 21, "G5ADR", {"G5ADR"}),
      E(6004, 0, 24, 24, "G5ADR", {"G5ADR"}),

      "G5PDZ@30 -> checked",
      E(6007, 0, 30, 30, "G5PDZ", {"G5PDZ"}),
      E(6024, 0, 30, 30, "G5PDZ", {"G5PDZ"}),
      E(6002, 1, 33, 33, "G5PDZ", {"RDZE", "G5PDZ"}),
      E(6009, 0, 30, 30, "G5PDZ", {"RPOD", "G5PDZ"}),
      E(6033, 0, 32, 32, "G5PDZ", {"G5DTU", "G5PDZ"}),
      E(6017, 0, 31, 31, "G5PDZ", {"G5UD", "G5PDZ"}),
      E(6003, 0, 32, 32, "G5PDZ", {"G5PDZ"}),

      "G5BUD@40 -> checked",
      E(6006, 0, 40, 40, "G5BUD", {"G5BUD"}),
      E(6001, 1, 44, 44, "G5BUD", {"G5WRT", "G5BUD"}),
      E(6010, 0, 49, 49, "G5BUD", {"RDZE", "G5BUD"}),
      E(6011, 0, 40, 40, "G5BUD", {"G5FUZ", "G5BUD"}),
      E(6012, 0, 40, 40, "G5BUD", {"RADR", "G5BUD"}),
      E(6020, 0, 46, 46, "G5BUD", {"G5DTU", "G5BUD"}),
      E(6021, 0, 43, 43, "G5BUD", {"G5FUZ", "G5BUD"}),
      E(6015, 0, 45, 45, "G5BUD", {"G5LOG", "G5BUD"}),
      E(6013, 0, 44, 44, "G5BUD", {"G5WRT", "G5BUD"}),

      "G5ADR@60 -> checked",

      "G5DZE@70 -> turned away",

      "G5O_BUD@80 -> turned away",
      E(6007, 0, 80, 80, "G5O_BUD", {"G5O_BUD"}),
  };
  EXPECT_EQ(transcript, expected);
  EXPECT_TRUE(oldDze->attributes.empty());
  EXPECT_TRUE(oBud->attributes.empty());
  EXPECT_FALSE(bud->creationDateValid);
  EXPECT_TRUE(bud->verificationDateValid);
  EXPECT_NE(pdz->getAttribute("G5UD"), nullptr);
  EXPECT_NE(dze->getRelation("RADR"), nullptr);
  EXPECT_NE(adr->getAttribute("G5XYZ"), nullptr);
  EXPECT_NE(goodAdr->getAttribute("G5KOD"), nullptr);
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Keys unique within their scope (key-scope in the built-in schema: a register unit number within
// its precinct, a precinct number within its unit), references resolved within the referrer's
// scope, share groups by the object they name.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/xml/Reader.hpp"

#include "DocumentSupport.hpp"

namespace {

using swde_test::Obj;

const swde::smDocumentOptions kToday{"2026.06.15", {}};

// One unit with precincts 0001 (id 2) and 0002 (id 3); register units G1 in each (ids 4, 5).
const Obj kUnit{"G5JEW", 1, 1, {{"G5IDJ", "141201_1"}}, {}};
const Obj kPrecinct1{"G5OBR", 10, 2, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141201_1"}}};
const Obj kPrecinct2{"G5OBR", 20, 3, {{"G5NRO", "0002"}}, {{"G5RJEW", "G5JEW", "141201_1"}}};
const Obj kG1In1{"G5JDR", 30, 4, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}};
const Obj kG1In2{"G5JDR", 40, 5, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0002"}}};

Obj Share(std::uint32_t line, const char* share, const char* target) {
  return Obj{"G5UDZ", line, line, {{"G5UD", share}}, {{"G5RJDR", "G5JDR", target}}};
}

TEST(Scopes, KeysReferencesAndShares) {
  const std::unique_ptr<swde::Metadata> annex =
      swde::xml::loadSchema(std::string(SWDE_SOURCE_DIR) + "/data/annex.xml");
  struct Row {
    const char* name;
    std::vector<Obj> objects;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"one key in two precincts", {kUnit, kPrecinct1, kPrecinct2, kG1In1, kG1In2}, ""},
      {"one key twice in one precinct",
       {kUnit,
        kPrecinct1,
        kG1In1,
        {"G5JDR", 40, 5, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}}},
       "7001@41 G5JDR G5IJR/1 v=G1 k=G1 r=31"},
      {"a precinct number in two units, and twice in one",
       {kUnit,
        {"G5JEW", 5, 9, {{"G5IDJ", "141202_1"}}, {}},
        kPrecinct1,
        {"G5OBR", 20, 3, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141202_1"}}},
        {"G5OBR", 25, 6, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141201_1"}}}},
       "7001@26 G5OBR G5NRO/1 v=0001 k=0001 r=11"},
      {"the scope comes after the keys",
       {{"G5JDR", 5, 4, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}},
        {"G5JDR", 7, 5, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0002"}}},
        {"G5JDR", 9, 6, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}},
        kUnit,
        kPrecinct1,
        kPrecinct2},
       "7001@10 G5JDR G5IJR/1 v=G1 k=G1 r=6"},
      {"a scope nobody names: compared among those without one",
       {{"G5JDR", 30, 4, {{"G5IJR", "G1"}}, {}}, {"G5JDR", 40, 5, {{"G5IJR", "G1"}}, {}}},
       "7001@41 G5JDR G5IJR/1 v=G1 k=G1 r=31"},
      {"a parcel's register unit within its own precinct, and one only another has",
       {kUnit,
        kPrecinct1,
        kPrecinct2,
        kG1In1,
        kG1In2,
        {"G5JDR", 45, 7, {{"G5IJR", "G9"}}, {{"G5ROBR", "G5OBR", "0002"}}},
        {"G5DZE",
         50,
         8,
         {{"G5IDD", "141201_1.0001.5"}},
         {{"G5ROBR", "G5OBR", "0001"}, {"G5RJDR", "G5JDR", "G1"}}},
        {"G5DZE",
         60,
         9,
         {{"G5IDD", "141201_1.0001.6"}},
         {{"G5ROBR", "G5OBR", "0001"}, {"G5RJDR", "G5JDR", "G9"}}}},
       "7002@63 G5DZE G5RJDR/2 v=G9 k=141201_1.0001.6"},
      {"a short name without a precinct fits both: named, never picked, the sum not judged",
       {kUnit, kPrecinct1, kPrecinct2, kG1In1, kG1In2, Share(60, "1/2", "G1")},
       "7006@62 G5UDZ G5RJDR/1 v=G1 e=31, 41 r=31"},
      {"object ids name either, and their groups are judged apart",
       {kUnit, kPrecinct1, kPrecinct2, kG1In1, kG1In2, Share(60, "1/2", "4"), Share(70, "1/2", "4"),
        Share(80, "1/3", "5")},
       "7030@81 G5UDZ G5UD/1 v=1/3 e=1"},
      {"one group whatever the name and order: by id before its target, by key, by id after",
       {kUnit, kPrecinct1, Share(5, "1/4", "4"), kG1In1, Share(60, "1/4", "G1"),
        Share(70, "1/4", "4")},
       "7030@6 G5UDZ G5UD/1 v=3/4 e=1"},
      {"the shares of two record types to one register unit: two groups",
       {kUnit,
        kPrecinct1,
        kG1In1,
        Share(60, "1", "4"),
        {"G5UDW", 70, 70, {{"G5UD", "1"}}, {{"G5RJDR", "G5JDR", "G1"}}}},
       ""},
      {"a key of another type is no id: 7002",
       {kUnit, kPrecinct1, kG1In1, Share(60, "1", "1")},
       "7002@62 G5UDZ G5RJDR/1 v=1"},
      {"unreadable shares (the catalogue's 6016) beside known ones above 1, and below 1",
       {kUnit, kPrecinct1, kPrecinct2, kG1In1, kG1In2, Share(60, "3/4", "4"), Share(70, "1/2", "4"),
        Share(80, "x", "4"), Share(90, "1/4", "5"), Share(100, "1:2", "5")},
       "7032@61 G5UDZ G5UD/1 v=>= 5/4 e=1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(swde_test::CheckDocument(annex.get(), kToday, row.objects), row.expected) << row.name;
  }
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Keys unique within their scope (key-scope in the built-in schema: a register unit number within
// its precinct, a precinct number within its unit), references resolved within the referrer's
// scope, share groups by the object they name.
#include <algorithm>
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

// A name resolves when the document is finished: the objects in either order give the same
// findings. A repeated key or a name that fits several objects means none of them.
TEST(Scopes, EitherOrder) {
  const std::unique_ptr<swde::Metadata> annex =
      swde::xml::loadSchema(std::string(SWDE_SOURCE_DIR) + "/data/annex.xml");
  const Obj otherUnit{"G5JEW", 2, 9, {{"G5IDJ", "141202_1"}}, {}};
  const Obj otherPrecinct{"G5OBR", 25, 6, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141202_1"}}};
  const Obj parcel{"G5DZE", 50, 8, {{"G5IDD", "141202_1.0001.5"}}, {{"G5ROBR", "G5OBR", "0001"}}};
  // Findings in either order, sorted: a repeated key's 7001 falls on whichever object came second.
  const auto sorted = [](const std::string& findings) {
    std::vector<std::string> all;
    for (std::size_t at = 0; at < findings.size();) {
      const std::size_t end = std::min(findings.find("; ", at), findings.size());
      all.push_back(findings.substr(at, end - at));
      at = end + 2;
    }
    std::sort(all.begin(), all.end());
    std::string out;
    for (const std::string& f : all) {
      out += f + "\n";
    }
    return out;
  };
  struct Row {
    const char* name;
    std::vector<Obj> objects;
    std::string expected;
    std::string backward;  // the objects in reverse order; empty: as `expected`
  };
  const std::vector<Row> rows = {
      {"a key of a type without scope twice: the share group names neither",
       {{"G5DZE", 10, 11, {{"G5IDD", "141201_1.0001.7"}}, {}},
        {"G5DZE", 20, 12, {{"G5IDD", "141201_1.0001.7"}}, {}},
        {"G5BUD", 30, 13, {{"G5IDB", "B"}}, {{"G5RDZE", "G5DZE", "141201_1.0001.7"}}},
        {"G5BUD", 40, 14, {{"G5IDB", "C"}}, {{"G5RDZE", "G5DZE", "11"}}}},
       "7001@21 G5DZE G5IDD/1 v=141201_1.0001.7 k=141201_1.0001.7 r=11; 7006@32 G5BUD G5RDZE/1 "
       "v=141201_1.0001.7 e=11, 21 k=B r=11",
       "7001@11 G5DZE G5IDD/1 v=141201_1.0001.7 k=141201_1.0001.7 r=21; 7006@32 G5BUD G5RDZE/1 "
       "v=141201_1.0001.7 e=11, 21 k=B r=11"},
      {"a register unit twice in its precinct: shares by key and by id are apart",
       {kUnit,
        kPrecinct1,
        kG1In1,
        Share(35, "1/2", "G1"),
        {"G5JDR", 40, 5, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}},
        Share(60, "1/2", "4"),
        Share(70, "1/2", "5")},
       "7001@41 G5JDR G5IJR/1 v=G1 k=G1 r=31; 7006@37 G5UDZ G5RJDR/1 v=G1 e=31, 41 r=31; "
       "7030@61 G5UDZ G5UD/1 v=1/2 e=1; 7030@71 G5UDZ G5UD/1 v=1/2 e=1",
       "7001@31 G5JDR G5IJR/1 v=G1 k=G1 r=41; 7006@37 G5UDZ G5RJDR/1 v=G1 e=31, 41 r=31; "
       "7030@61 G5UDZ G5UD/1 v=1/2 e=1; 7030@71 G5UDZ G5UD/1 v=1/2 e=1"},
      {"a precinct number in two units: the parcel's precinct and unit are neither",
       {kUnit, otherUnit, kPrecinct1, otherPrecinct, parcel},
       "7006@52 G5DZE G5ROBR/1 v=0001 e=11, 26 k=141202_1.0001.5 r=11",
       ""},
      {"a register unit's precinct named twice: its key within a scope that is no one object",
       {kUnit,
        otherUnit,
        kPrecinct1,
        otherPrecinct,
        kG1In1,
        {"G5JDR", 40, 5, {{"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}}},
       "7001@41 G5JDR G5IJR/1 v=G1 k=G1 r=31; 7006@32 G5JDR G5ROBR/1 v=0001 e=11, 26 k=G1 r=11; "
       "7006@42 G5JDR G5ROBR/1 v=0001 e=11, 26 k=G1 r=11",
       "7001@31 G5JDR G5IJR/1 v=G1 k=G1 r=41; 7006@32 G5JDR G5ROBR/1 v=0001 e=11, 26 k=G1 r=11; "
       "7006@42 G5JDR G5ROBR/1 v=0001 e=11, 26 k=G1 r=11"},
      {"the register: a unit within the parcel's precinct, parts and buildings by their parcel",
       {kUnit,
        kPrecinct1,
        kPrecinct2,
        {"G5JDR", 30, 4, {{"G5TJR", "B"}, {"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0001"}}},
        {"G5JDR", 40, 5, {{"G5TJR", "G"}, {"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", "0002"}}},
        {"G5DZE",
         50,
         8,
         {{"G5IDD", "141201_1.0001.7"}, {"G5PEW", "0.5000"}},
         {{"G5ROBR", "G5OBR", "0001"}, {"G5RJDR", "G5JDR", "G1"}}},
        {"G5KLU", 60, 9, {{"G5PEW", "0.4"}}, {{"G5RDZE", "G5DZE", "141201_1.0001.7"}}},
        {"G5BUD",
         70,
         10,
         {{"G5IDB", "141201_1.0002.7.1_BUD"}},
         {{"G5RDZE", "G5DZE", "8"}, {"G5RJDR", "G5JDR", "5"}}}},
       "7042@52 G5DZE G5PEW/2 v=0.5000 e=0.4000 k=141201_1.0001.7; 7045@54 G5DZE G5RJDR/2 v=B e=G "
       "k=141201_1.0001.7; 7045@73 G5BUD G5RJDR/2 v=G e=B k=141201_1.0002.7.1_BUD; 7047@71 G5BUD "
       "G5IDB/1 v=141201_1.0002.7.1_BUD e=141201_1.0001 k=141201_1.0002.7.1_BUD",
       ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(sorted(swde_test::CheckDocument(annex.get(), kToday, row.objects)),
              sorted(row.expected))
        << row.name;
    const std::vector<Obj> reversed(row.objects.rbegin(), row.objects.rend());
    EXPECT_EQ(sorted(swde_test::CheckDocument(annex.get(), kToday, reversed)),
              sorted(row.backward.empty() ? row.expected : row.backward))
        << row.name;
  }
}

}  // namespace

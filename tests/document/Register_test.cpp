// swde — semantic checks of SWDE cadastral exchange objects.
//
// The register checks (7040-7048) on small documents of the built-in schema: one unit with
// precincts 0001 and 0002 and a register unit G1 in each, so that a register unit named by its
// number is the one of the referring parcel's precinct.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/xml/Reader.hpp"

#include "Support.hpp"

namespace {

using swde_test::Obj;

const Obj kUnit{"G5JEW", 1, 1, {{"G5IDJ", "141201_1"}}, {}};
const Obj kPrecinct1{"G5OBR", 10, 2, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141201_1"}}};
const Obj kPrecinct2{"G5OBR", 20, 3, {{"G5NRO", "0002"}}, {{"G5RJEW", "G5JEW", "141201_1"}}};

Obj Unit(std::uint32_t line, const char* kind, const char* precinct) {
  return Obj{
      "G5JDR", line, line, {{"G5TJR", kind}, {"G5IJR", "G1"}}, {{"G5ROBR", "G5OBR", precinct}}};
}
Obj Parcel(std::uint32_t line, const char* id, const char* area, const char* unit = "G1") {
  const char* precinct = std::string(id).substr(9, 4) == "0001" ? "0001" : "0002";
  return Obj{"G5DZE",
             line,
             line,
             {{"G5IDD", id}, {"G5PEW", area}},
             {{"G5ROBR", "G5OBR", precinct}, {"G5RJDR", "G5JDR", unit}}};
}
Obj Part(std::uint32_t line, const char* parcel, const char* area) {
  return Obj{"G5KLU", line, line, {{"G5PEW", area}}, {{"G5RDZE", "G5DZE", parcel}}};
}
Obj Person(std::uint32_t line, const char* pesel) {
  return Obj{"G5OSF", line, line, {{"G5PSL", pesel}}, {}};
}
Obj Share(std::uint32_t line, const char* share, const char* unit) {
  return Obj{"G5UDZ", line, line, {{"G5UD", share}}, {{"G5RJDR", "G5JDR", unit}}};
}
Obj Building(std::uint32_t line, const char* id, const char* parcel, const char* unit) {
  return Obj{"G5BUD",
             line,
             line,
             {{"G5IDB", id}},
             {{"G5RDZE", "G5DZE", parcel}, {"G5RJDR", "G5JDR", unit}}};
}

TEST(Register, AreasSubjectsUnitsAndUpdates) {
  const std::unique_ptr<swde::Metadata> annex =
      swde::xml::loadSchema(std::string(SWDE_SOURCE_DIR) + "/data/annex.xml");
  const swde::smTransfer kFull = swde::smTransfer::kDeclared;
  const swde::smTransfer kUpdate = swde::smTransfer::kUpdate;
  const char* const kP = "141201_1.0001.7";
  struct Row {
    const char* name;
    swde::smTransfer transfer;
    std::vector<swde::smDocumentCode> notWanted;
    std::vector<Obj> objects;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"parts that add up, trailing zeros",
       kFull,
       {},
       {Parcel(100, kP, "0.50000"), Part(110, kP, "0.2"), Part(120, kP, "0.3000")},
       ""},
      {"parts that do not add up",
       kFull,
       {},
       {Parcel(100, kP, "0.5000"), Part(110, kP, "0.2"), Part(120, kP, "0.2999")},
       "7042@102 G5DZE G5PEW/2 v=0.5000 e=0.4999 k=141201_1.0001.7"},
      {"parts before their parcel",
       kFull,
       {},
       {Part(90, kP, "0.1"), Parcel(100, kP, "0.5000")},
       "7042@102 G5DZE G5PEW/2 v=0.5000 e=0.1000 k=141201_1.0001.7"},
      {"7042 not wanted",
       kFull,
       {swde::dcParcelAreaSum},
       {Parcel(100, kP, "0.5000"), Part(110, kP, "0.2")},
       ""},
      {"a listed part not in the document",
       kFull,
       {},
       {{"G5DZE", 100, 100, {{"G5IDD", kP}, {"G5PEW", "0.5"}}, {{"G5RKLU", "G5KLU", "999"}}},
        Part(110, kP, "0.2")},
       ""},
      {"an update: unlisted parts are not all; listed ones are",
       kUpdate,
       {},
       {Parcel(100, kP, "0.5"),
        Part(110, kP, "0.2"),
        {"G5DZE",
         200,
         200,
         {{"G5IDD", "141201_1.0001.8"}, {"G5PEW", "0.5"}},
         {{"G5RKLU", "G5KLU", "210"}}},
        Part(210, "141201_1.0001.8", "0.4")},
       "7042@202 G5DZE G5PEW/2 v=0.5000 e=0.4000 k=141201_1.0001.8"},
      {"zero, too fine",
       kFull,
       {},
       {Parcel(100, kP, "0"), Parcel(200, "141201_1.0001.8", "0.00001")},
       "7040@102 G5DZE G5PEW/2 v=0 e=> 0 k=141201_1.0001.7; "
       "7041@202 G5DZE G5PEW/2 v=0.00001 e=0.0001 ha k=141201_1.0001.8"},
      {"a PESEL twice, a share of zero",
       kFull,
       {},
       {Person(10, "44051401359"), Person(20, "44051401359"), Share(30, "0/1", "G9"),
        Share(40, "1", "G9")},
       "7044@21 G5OSF G5PSL/1 v=44051401359 r=11; 7043@31 G5UDZ G5UD/1 v=0/1 e=> 0"},
      // G1 of 0002 holds buildings: only the parcel of 0002 names it. By text both would name
      // the first G1.
      {"units of the parcel's precinct",
       kFull,
       {},
       {kUnit, kPrecinct1, kPrecinct2, Unit(30, "G", "0001"), Unit(40, "B", "0002"),
        Parcel(100, kP, "1"), Parcel(200, "141201_1.0002.7", "1")},
       "7045@204 G5DZE G5RJDR/2 v=B e=G k=141201_1.0002.7"},
      {"a unit named by id: precincts and kinds",
       kFull,
       {},
       {kUnit, kPrecinct1, kPrecinct2, Unit(30, "G", "0001"), Unit(40, "B", "0002"),
        Parcel(100, kP, "1"), Parcel(200, "141201_1.0002.7", "1", "30"),
        Building(300, "141201_1.0002.7.1_BUD", "141201_1.0002.7", "30"),
        Building(400, "141201_1.0001.7.1_BUD", kP, "40")},
       "7046@204 G5DZE G5RJDR/2 v=141201_1.0002 e=141201_1.0001 k=141201_1.0002.7 r=100; "
       "7045@303 G5BUD G5RJDR/2 v=G e=B k=141201_1.0002.7.1_BUD"},
      {"a building on a parcel of another precinct",
       kFull,
       {},
       {Parcel(100, kP, "1"), Building(200, "141201_1.0002.7.1_BUD", kP, "G9")},
       "7047@201 G5BUD G5IDB/1 v=141201_1.0002.7.1_BUD e=141201_1.0001 "
       "k=141201_1.0002.7.1_BUD"},
      {"shares of a full transfer",
       kFull,
       {},
       {kUnit, kPrecinct1, Unit(30, "G", "0001"), Share(40, "1/2", "30")},
       "7030@41 G5UDZ G5UD/1 v=1/2 e=1"},
      {"an update: a half is no fault, more than one is, with or without the unit",
       kUpdate,
       {},
       {kUnit, kPrecinct1, Unit(30, "G", "0001"), Share(40, "1/2", "30"), Share(50, "1/2", "G7"),
        Share(60, "2/3", "G7"), Share(70, "x", "G7")},
       "7048@51 G5UDZ G5UD/1 v=>= 7/6 e=<= 1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Targets that are not in these small documents are not the point: 7002 is not wanted.
    std::vector<swde::smDocumentCode> notWanted = row.notWanted;
    notWanted.push_back(swde::dcDanglingReference);
    const swde::smDocumentOptions options{"2026.06.15", notWanted, row.transfer};
    EXPECT_EQ(swde_test::CheckDocument(annex.get(), options, row.objects), row.expected);
  }
}

// The kind of transfer: options win over what the document declares, which wins over full.
TEST(Register, TransferKind) {
  for (const auto& [option, declared, judged] :
       {std::tuple{swde::smTransfer::kDeclared, swde::smTransfer::kDeclared,
                   swde::smTransfer::kFull},
        {swde::smTransfer::kDeclared, swde::smTransfer::kUpdate, swde::smTransfer::kUpdate},
        {swde::smTransfer::kFull, swde::smTransfer::kUpdate, swde::smTransfer::kFull},
        {swde::smTransfer::kUpdate, swde::smTransfer::kFull, swde::smTransfer::kUpdate}}) {
    swde::smDocumentChecks checks(nullptr, {"2026.06.15", {}, option});
    checks.declareTransfer(declared);
    EXPECT_EQ(checks.transfer(), judged);
  }
}

}  // namespace

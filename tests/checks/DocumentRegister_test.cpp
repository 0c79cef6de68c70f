// swde — semantic checks of SWDE cadastral exchange objects.
//
// The register checks (7040-7048), as a table of small documents, each run as a full and as an
// update transfer, through addObject and as a host with workers runs it (every object checked
// first, in reverse order, then the digests added in document order): both ways must agree.
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"

namespace {

using swde::smDocumentChecks;
using swde::smDocumentFinding;
using swde::smTransfer;
using swde::ValueCheck;

// The record types of the register with the entries and marks the checks read.
std::unique_ptr<swde::Metadata> MakeAnnex() {
  auto annex = std::make_unique<swde::Metadata>();
  const std::tuple<const char*, const char*, ValueCheck> decls[] = {
      {"G5IDD", "TX", ValueCheck::kParcelId}, {"G5PEW", "FL", ValueCheck::kArea},
      {"G5TJR", "TX", ValueCheck::kNone},     {"G5IJR", "TX", ValueCheck::kNone},
      {"G5IDB", "TX", ValueCheck::kNone},     {"G5IDL", "TX", ValueCheck::kNone},
      {"G5PSL", "TX", ValueCheck::kPesel},    {"G5RGN", "TX", ValueCheck::kRegon},
      {"G5UD", "UL", ValueCheck::kNone}};
  for (const auto& [name, base, check] : decls) {
    annex->attribsSection->addAttribute(name, base)->check = check;
  }
  auto& types = *annex->typesSection;
  auto key = [](swde::RecordType* type, const char* name) {
    type->addAttribute(name, name)->key = true;
    return type;
  };
  swde::RecordType* parcel = key(types.addType("G5DZE", "RO"), "G5IDD");
  parcel->addAttribute("G5PEW", "G5PEW");
  parcel->addReference("G5RJDR", "G5RJDR")->addRefTypeName("G5JDR");
  parcel->addReference("G5RKLU", "G5RKLU")->addRefTypeName("G5KLU");
  swde::RecordType* part = types.addType("G5KLU", "RD");
  part->addAttribute("G5PEW", "G5PEW");
  part->addReference("G5RDZE", "G5RDZE")->addRefTypeName("G5DZE");
  key(types.addType("G5JDR", "RD"), "G5IJR")->addAttribute("G5TJR", "G5TJR");
  swde::RecordType* building = key(types.addType("G5BUD", "RO"), "G5IDB");
  building->addReference("G5RDZE", "G5RDZE")->addRefTypeName("G5DZE");
  building->addReference("G5RJDR", "G5RJDR")->addRefTypeName("G5JDR");
  key(types.addType("G5LKL", "RD"), "G5IDL")->addReference("G5RJDR", "G5RJDR");
  types.addType("G5OSF", "RD")->addAttribute("G5PSL", "G5PSL");
  types.addType("G5INS", "RD")->addAttribute("G5RGN", "G5RGN");
  for (const char* shares : {"G5UDZ", "G5XUD"}) {  // G5XUD: no rule of the catalogue's
    swde::RecordType* type = types.addType(shares, "RD");
    type->addAttribute("G5UD", "G5UD");
    type->addReference("G5RJDR", "G5RJDR")->shares = "G5UD";
  }
  return annex;
}

// One object: attributes on the lines after the object's, then relations.
struct Obj {
  const char* type;
  std::uint32_t line;
  std::uint32_t id;
  std::vector<std::pair<const char*, const char*>> attributes;
  std::vector<std::tuple<const char*, const char*, const char*>> relations;  // name, type, target
  const char* status = "00";
};

std::unique_ptr<swde::smObject> Build(const Obj& o) {
  auto object = std::make_unique<swde::smObject>(o.type);
  object->line = o.line;
  object->id = o.id;
  object->status = o.status;
  std::uint32_t line = o.line;
  std::uint32_t id = 0;
  for (const auto& [name, value] : o.attributes) {
    swde::smAttribute* a = object->addAttribute(name, "", value);
    a->line = ++line;
    a->id = ++id;
  }
  id = 0;
  for (const auto& [name, type, target] : o.relations) {
    swde::smRelation* r = object->addRelation(name, "");
    r->destType = type;
    r->destObject = target;
    r->line = ++line;
    r->id = ++id;
  }
  return object;
}

// "7042@12 G5DZE G5PEW/1 v=1.0000 e=0.9000 k=key r=5"; messages checked in their own test.
std::string Render(const std::vector<smDocumentFinding>& findings) {
  std::string out;
  for (const smDocumentFinding& f : findings) {
    out += (out.empty() ? "" : "; ") + std::to_string(f.code) + "@" + std::to_string(f.line) + " " +
           f.typeName + " " + f.entry + "/" + std::to_string(f.entryId);
    for (const auto& [tag, text] :
         {std::pair{" v=", &f.value}, {" e=", &f.expected}, {" k=", &f.key}}) {
      if (!text->empty()) {
        out += tag + swde::Cp1250ToUtf8(*text);
      }
    }
    if (f.relatedLine != 0) {
      out += " r=" + std::to_string(f.relatedLine);
    }
    EXPECT_EQ(f.msgType, swde::FindDocumentCode(f.code)->msgType) << f.code;
  }
  return out;
}

// Runs the objects both ways (see the head of the file) as `transfer`; the findings rendered.
std::string Check(const swde::Metadata& annex, const std::vector<Obj>& objects, smTransfer fixed,
                  smTransfer declared = smTransfer::kDeclared) {
  std::vector<std::unique_ptr<swde::smObject>> built;
  for (const Obj& o : objects) {
    built.push_back(Build(o));
  }
  smDocumentChecks single(&annex, {"2026.06.15", fixed});
  single.declareTransfer(declared);
  std::vector<smDocumentFinding> one;
  for (const auto& object : built) {
    single.addObject(*object, one);
  }
  single.finish(one);

  smDocumentChecks shared(&annex, {"2026.06.15", fixed});
  shared.declareTransfer(declared);
  std::vector<std::vector<smDocumentFinding>> perObject(built.size());
  std::vector<swde::smObjectDigest> digests(built.size());
  for (std::size_t i = built.size(); i-- > 0;) {
    digests[i] = shared.objectChecks().check(*built[i], perObject[i]);
  }
  std::vector<smDocumentFinding> many;
  for (std::size_t i = 0; i < built.size(); ++i) {
    many.insert(many.end(), perObject[i].begin(), perObject[i].end());
    shared.add(digests[i], many);
  }
  shared.finish(many);
  EXPECT_EQ(Render(many), Render(one));
  return Render(one);
}

struct Row {
  const char* name;
  std::vector<Obj> objects;
  const char* full;    // the findings as a full transfer
  const char* update;  // as an update transfer; "=": the same as full
};

constexpr const char* kId1 = "126101_1.0012.1";
constexpr const char* kId2 = "126101_1.0012.2";
constexpr const char* kId3 = "126101_1.0013.3";

const Row kRows[] = {
    {"areas: a parcel is the exact sum of its parts, wherever they stand; zero and finer than "
     "0.0001 ha are told at once and leave the sum unjudged",
     {{"G5KLU", 10, 1, {{"G5PEW", "0.7500"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5DZE", 20, 2, {{"G5IDD", kId1}, {"G5PEW", "1.5"}}, {}},
      {"G5KLU", 30, 3, {{"G5PEW", " 0.75000"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5DZE", 40, 4, {{"G5IDD", kId2}, {"G5PEW", "2.0001"}}, {}},
      {"G5KLU", 50, 5, {{"G5PEW", "1.2"}}, {{"G5RDZE", "G5DZE", kId2}}},
      {"G5KLU", 60, 6, {{"G5PEW", "0.8"}}, {{"G5RDZE", "G5DZE", kId2}}},
      {"G5DZE", 70, 7, {{"G5IDD", kId3}, {"G5PEW", "-0.000"}}, {}},
      {"G5DZE", 80, 8, {{"G5IDD", "126101_1.0013.4"}, {"G5PEW", "3.00001"}}, {}},
      {"G5KLU", 90, 9, {{"G5PEW", "3"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.4"}}},
      {"G5DZE", 100, 10, {{"G5IDD", "126101_1.0013.5"}, {"G5PEW", "1"}}, {}},
      {"G5KLU", 110, 11, {{"G5PEW", "0.10001"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.5"}}},
      {"G5DZE", 120, 12, {{"G5IDD", "126101_1.0013.6"}, {"G5PEW", "0.5"}}, {}},
      // Through a relation to a record type the schema does not admit: no part of the parcel.
      {"G5KLU", 130, 13, {{"G5PEW", "5"}}, {{"G5RDZE", "G5LKL", kId1}}}},
     "7040@72 G5DZE G5PEW/2 v=-0.000 e=> 0 k=126101_1.0013.3; "
     "7041@82 G5DZE G5PEW/2 v=3.00001 e=0.0001 ha k=126101_1.0013.4; "
     "7041@111 G5KLU G5PEW/1 v=0.10001 e=0.0001 ha; "
     "7042@42 G5DZE G5PEW/2 v=2.0001 e=2.0000 k=126101_1.0012.2; "
     "7002@132 G5KLU G5RDZE/1 v=126101_1.0012.1",
     "7040@72 G5DZE G5PEW/2 v=-0.000 e=> 0 k=126101_1.0013.3; "
     "7041@82 G5DZE G5PEW/2 v=3.00001 e=0.0001 ha k=126101_1.0013.4; "
     "7041@111 G5KLU G5PEW/1 v=0.10001 e=0.0001 ha; 7002@132 G5KLU G5RDZE/1 v=126101_1.0012.1"},
    {"areas: only with every part the parcel lists in the document and its own; a part "
     "without an exact area, a repeated parcel or a negative area leave the sum alone",
     {{"G5DZE", 10, 1, {{"G5IDD", kId1}, {"G5PEW", "1"}}, {{"G5RKLU", "G5KLU", "2"}}},
      {"G5KLU", 20, 2, {{"G5PEW", "0.9"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5DZE", 30, 3, {{"G5IDD", kId2}, {"G5PEW", "1"}}, {{"G5RKLU", "G5KLU", "99"}}},
      {"G5KLU", 40, 4, {{"G5PEW", "0.9"}}, {{"G5RDZE", "G5DZE", kId2}}},
      {"G5DZE", 50, 5, {{"G5IDD", kId3}, {"G5PEW", "1"}}, {{"G5RKLU", "G5KLU", "2"}}},
      {"G5KLU", 60, 6, {{"G5PEW", "0.9"}}, {{"G5RDZE", "G5DZE", kId3}}},
      {"G5DZE", 70, 7, {{"G5IDD", "126101_1.0013.4"}, {"G5PEW", "1"}}, {}},
      {"G5KLU", 80, 8, {{"G5PEW", "1,0"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.4"}}},
      {"G5KLU", 90, 9, {}, {{"G5RDZE", "G5DZE", "126101_1.0013.4"}}},
      {"G5DZE", 100, 10, {{"G5IDD", "126101_1.0013.5"}, {"G5PEW", "1"}}, {}},
      {"G5DZE", 110, 11, {{"G5IDD", "126101_1.0013.5"}, {"G5PEW", "2"}}, {}},
      {"G5KLU", 120, 12, {{"G5PEW", "2"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.5"}}},
      {"G5DZE", 130, 13, {{"G5IDD", "126101_1.0013.6"}, {"G5PEW", "-1"}}, {}},
      {"G5KLU", 140, 14, {{"G5PEW", "2"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.6"}}},
      {"G5KLU", 150, 15, {{"G5PEW", "2"}}, {{"G5RDZE", "G5DZE", "126101_1.0013.7"}}}},
     "7001@111 G5DZE G5IDD/1 v=126101_1.0013.5 k=126101_1.0013.5 r=101; "
     "7014@132 G5DZE G5PEW/2 v=-1 e=>= 0 k=126101_1.0013.6; "
     "7042@12 G5DZE G5PEW/2 v=1.0000 e=0.9000 k=126101_1.0012.1; "
     "7002@33 G5DZE G5RKLU/1 v=99 k=126101_1.0012.2; "
     "7002@152 G5KLU G5RDZE/1 v=126101_1.0013.7",
     "="},
    {"subjects: a PESEL among persons and a REGON among institutions name one subject; "
     "left-out objects and other record types do not count",
     {{"G5OSF", 10, 1, {{"G5PSL", "44051401359"}}, {}},
      {"G5OSF", 20, 2, {{"G5PSL", "02270803624"}}, {}},
      {"G5OSF", 30, 3, {{"G5PSL", " 44051401359 "}}, {}},
      {"G5OSF", 40, 4, {{"G5PSL", "02270803624"}}, {}, "21"},
      {"G5INS", 50, 5, {{"G5RGN", "123456785"}}, {}},
      {"G5INS", 60, 6, {{"G5RGN", "44051401359"}}, {}},
      {"G5INS", 70, 7, {{"G5RGN", "123456785"}}, {}},
      {"G5OSF", 80, 8, {{"G5PSL", ""}}, {}},
      {"G5OSF", 90, 9, {{"G5PSL", ""}}, {}}},
     "7044@31 G5OSF G5PSL/1 v=44051401359 r=11; "
     "7022@61 G5INS G5RGN/1 v=44051401359 e=9 lub 14 cyfr; "
     "7044@71 G5INS G5RGN/1 v=123456785 r=51",
     "="},
    {"shares: zero is no share (0 of a share record is the catalogue's 6017); an update "
     "transfer judges a sum only above 1, with or without its target",
     {{"G5JDR", 10, 1, {{"G5IJR", "A"}, {"G5TJR", "G"}}, {}},
      {"G5UDZ", 20, 2, {{"G5UD", "0/1"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5UDZ", 30, 3, {{"G5UD", "0"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5XUD", 40, 4, {{"G5UD", "0"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5XUD", 50, 5, {{"G5UD", "-0/4"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5UDZ", 60, 6, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5UDZ", 70, 7, {{"G5UD", "2/3"}}, {{"G5RJDR", "G5JDR", "B"}}},
      {"G5UDZ", 80, 8, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "B"}}},
      {"G5JDR", 90, 9, {{"G5IJR", "B"}, {"G5TJR", "G"}}, {}},
      {"G5UDZ", 100, 10, {{"G5UD", "3/4"}}, {{"G5RJDR", "G5JDR", "C"}}},
      {"G5UDZ", 110, 11, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "C"}}},
      {"G5UDZ", 120, 12, {{"G5UD", "1/1"}}, {{"G5RJDR", "G5JDR", "D"}}}},
     "7043@21 G5UDZ G5UD/1 v=0/1 e=> 0; 7043@41 G5XUD G5UD/1 v=0 e=> 0; "
     "7043@51 G5XUD G5UD/1 v=-0/4 e=> 0; "
     "7030@21 G5UDZ G5UD/1 v=1/2 e=1; 7030@41 G5XUD G5UD/1 v=0 e=1; "
     "7030@71 G5UDZ G5UD/1 v=7/6 e=1; "
     "7002@102 G5UDZ G5RJDR/1 v=C; 7002@112 G5UDZ G5RJDR/1 v=C; 7002@122 G5UDZ G5RJDR/1 v=D",
     "7043@21 G5UDZ G5UD/1 v=0/1 e=> 0; 7043@41 G5XUD G5UD/1 v=0 e=> 0; "
     "7043@51 G5XUD G5UD/1 v=-0/4 e=> 0; "
     "7048@71 G5UDZ G5UD/1 v=7/6 e=<= 1; 7048@101 G5UDZ G5UD/1 v=5/4 e=<= 1; "
     "7002@102 G5UDZ G5RJDR/1 v=C; 7002@112 G5UDZ G5RJDR/1 v=C; 7002@122 G5UDZ G5RJDR/1 v=D"},
    {"register units: a parcel in a land unit, a building in a building unit, premises in a "
     "premises unit, judged at once or at the end; a unit without a kind is not judged",
     {{"G5JDR", 10, 1, {{"G5IJR", "B1"}, {"G5TJR", " B "}}, {}},
      {"G5DZE", 20, 2, {{"G5IDD", kId1}}, {{"G5RJDR", "G5JDR", "B1"}}},
      {"G5BUD", 30, 3, {{"G5IDB", "x"}}, {{"G5RJDR", "G5JDR", "B1"}, {"G5RJDR", "G5JDR", "G1"}}},
      {"G5LKL", 40, 4, {{"G5IDL", "y"}}, {{"G5RJDR", "G5JDR", "L1"}, {"G5RJDR", "G5JDR", "X1"}}},
      {"G5DZE", 50, 5, {{"G5IDD", kId2}}, {{"G5RJDR", "G5JDR", "G1"}}},
      {"G5JDR", 60, 6, {{"G5IJR", "G1"}, {"G5TJR", "G"}}, {}},
      {"G5JDR", 70, 7, {{"G5IJR", "L1"}, {"G5TJR", "L"}}, {}},
      {"G5JDR", 80, 8, {{"G5IJR", "X1"}, {"G5TJR", "Z"}}, {}},
      {"G5JDR", 90, 9, {{"G5IJR", "B1"}, {"G5TJR", "G"}}, {}}},
     "7045@22 G5DZE G5RJDR/1 v=B e=G k=126101_1.0012.1; "
     "7001@91 G5JDR G5IJR/1 v=B1 k=B1 r=11; "
     "7045@33 G5BUD G5RJDR/2 v=G e=B k=x",
     "="},
    {"register units: the parcels of a land unit lie in the precinct of the first of them, "
     "judged against a unit in the document only",
     {{"G5JDR", 10, 1, {{"G5IJR", "G1"}, {"G5TJR", "G"}}, {}},
      {"G5DZE", 20, 2, {{"G5IDD", kId1}}, {{"G5RJDR", "G5JDR", "G1"}}},
      {"G5DZE", 30, 3, {{"G5IDD", kId2}}, {{"G5RJDR", "G5JDR", "G1"}}},
      {"G5DZE", 40, 4, {{"G5IDD", kId3}}, {{"G5RJDR", "G5JDR", "G1"}}},
      {"G5DZE", 50, 5, {{"G5IDD", "126102_1.0012.4"}}, {{"G5RJDR", "G5JDR", "G2"}}},
      {"G5DZE", 60, 6, {{"G5IDD", "126101_1.0012.5"}}, {{"G5RJDR", "G5JDR", "G2"}}},
      {"G5DZE", 70, 7, {{"G5IDD", "126101_1.0012.6"}}, {{"G5RJDR", "G5JDR", "G3"}}},
      {"G5DZE", 80, 8, {{"G5IDD", "126101_1.0014.7"}}, {{"G5RJDR", "G5JDR", "G3"}}},
      {"G5JDR", 90, 9, {{"G5IJR", "G2"}, {"G5TJR", "G"}}, {}}},
     "7046@42 G5DZE G5RJDR/1 v=126101_1.0013 e=126101_1.0012 k=126101_1.0013.3 r=20; "
     "7046@62 G5DZE G5RJDR/1 v=126101_1.0012 e=126102_1.0012 k=126101_1.0012.5 r=50; "
     "7002@72 G5DZE G5RJDR/1 v=G3 k=126101_1.0012.6; "
     "7002@82 G5DZE G5RJDR/1 v=G3 k=126101_1.0014.7",
     "="},
    {"buildings: the identifier begins with the commune and precinct of a parcel it stands on",
     {{"G5BUD", 10, 1, {{"G5IDB", "126101_1.0012.1.1_BUD"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5BUD", 20, 2, {{"G5IDB", "126101_1.0012.3.1_BUD"}}, {{"G5RDZE", "G5DZE", kId3}}},
      {"G5BUD",
       30,
       3,
       {{"G5IDB", "126101_1.0013.3.2_BUD"}},
       {{"G5RDZE", "G5DZE", kId1}, {"G5RDZE", "G5DZE", kId3}}},
      {"G5BUD", 40, 4, {{"G5IDB", "BUD-17"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5BUD", 50, 5, {{"G5IDB", "126101_1.0013.9.1_BUD"}}, {{"G5RDZE", "G5DZE", "dz. 9"}}},
      {"G5BUD", 60, 6, {{"G5IDB", "126101_1.0013.9.2_BUD"}}, {{"G5RDZE", "G5LKL", kId1}}}},
     "7047@21 G5BUD G5IDB/1 v=126101_1.0012.3.1_BUD e=126101_1.0013 k=126101_1.0012.3.1_BUD; "
     "7002@12 G5BUD G5RDZE/1 v=126101_1.0012.1 k=126101_1.0012.1.1_BUD; "
     "7002@22 G5BUD G5RDZE/1 v=126101_1.0013.3 k=126101_1.0012.3.1_BUD; "
     "7002@32 G5BUD G5RDZE/1 v=126101_1.0012.1 k=126101_1.0013.3.2_BUD; "
     "7002@33 G5BUD G5RDZE/2 v=126101_1.0013.3 k=126101_1.0013.3.2_BUD; "
     "7002@42 G5BUD G5RDZE/1 v=126101_1.0012.1 k=BUD-17; "
     "7002@52 G5BUD G5RDZE/1 v=dz. 9 k=126101_1.0013.9.1_BUD; "
     "7002@62 G5BUD G5RDZE/1 v=126101_1.0012.1 k=126101_1.0013.9.2_BUD",
     "="},
};

TEST(DocumentRegister, DocumentsAsFullAndUpdateTransfers) {
  const auto annex = MakeAnnex();
  for (const Row& row : kRows) {
    const std::string update = row.update == std::string("=") ? row.full : row.update;
    EXPECT_EQ(Check(*annex, row.objects, smTransfer::kFull), row.full) << row.name;
    EXPECT_EQ(Check(*annex, row.objects, smTransfer::kUpdate), update) << row.name;
    // Declared by the document, unless the options fix the kind.
    EXPECT_EQ(Check(*annex, row.objects, smTransfer::kDeclared, smTransfer::kUpdate), update);
    EXPECT_EQ(Check(*annex, row.objects, smTransfer::kDeclared), row.full) << row.name;
    EXPECT_EQ(Check(*annex, row.objects, smTransfer::kFull, smTransfer::kUpdate), row.full);
  }
}

TEST(DocumentRegister, UpdateJudgesAreasOfParcelsThatListTheirParts) {
  const auto annex = MakeAnnex();
  const std::vector<Obj> objects = {
      {"G5DZE", 10, 1, {{"G5IDD", kId1}, {"G5PEW", "1"}}, {{"G5RKLU", "G5KLU", "2"}}},
      {"G5KLU", 20, 2, {{"G5PEW", "0.9"}}, {{"G5RDZE", "G5DZE", kId1}}},
      {"G5DZE", 30, 3, {{"G5IDD", kId2}, {"G5PEW", "1"}}, {}},
      {"G5KLU", 40, 4, {{"G5PEW", "0.9"}}, {{"G5RDZE", "G5DZE", kId2}}}};
  EXPECT_EQ(Check(*annex, objects, smTransfer::kUpdate),
            "7042@12 G5DZE G5PEW/2 v=1.0000 e=0.9000 k=126101_1.0012.1");
  EXPECT_EQ(Check(*annex, objects, smTransfer::kFull),
            "7042@12 G5DZE G5PEW/2 v=1.0000 e=0.9000 k=126101_1.0012.1; "
            "7042@32 G5DZE G5PEW/2 v=1.0000 e=0.9000 k=126101_1.0012.2");
}

TEST(DocumentRegister, MessagesAndTransfer) {
  const auto annex = MakeAnnex();
  smDocumentChecks checks(annex.get(), {"2026.06.15"});
  EXPECT_EQ(checks.transfer(), smTransfer::kFull);
  checks.declareTransfer(smTransfer::kUpdate);
  EXPECT_EQ(checks.transfer(), smTransfer::kUpdate);
  std::vector<smDocumentFinding> findings;
  for (const Obj& o : std::vector<Obj>{
           {"G5DZE", 1, 1, {{"G5IDD", kId1}, {"G5PEW", "0"}}, {{"G5RJDR", "G5JDR", "G1"}}},
           {"G5DZE", 5, 2, {{"G5IDD", kId2}, {"G5PEW", "1.00001"}}, {}},
           {"G5DZE", 8, 3, {{"G5IDD", kId3}, {"G5PEW", "1"}}, {{"G5RKLU", "G5KLU", "4"}}},
           {"G5KLU", 12, 4, {{"G5PEW", "2"}}, {{"G5RDZE", "G5DZE", kId3}}},
           {"G5UDZ", 15, 5, {{"G5UD", "0/1"}}, {{"G5RJDR", "G5JDR", "G9"}}},
           {"G5OSF", 18, 6, {{"G5PSL", "44051401359"}}, {}},
           {"G5OSF", 20, 7, {{"G5PSL", "44051401359"}}, {}},
           {"G5BUD", 22, 8, {{"G5IDB", "126101_1.0013.3.1_BUD"}}, {{"G5RDZE", "G5DZE", kId1}}},
           {"G5JDR", 25, 9, {{"G5IJR", "G1"}, {"G5TJR", "L"}}, {}},
           {"G5DZE", 30, 10, {{"G5IDD", "126101_1.0013.8"}}, {{"G5RJDR", "G5JDR", "G2"}}},
           {"G5DZE", 33, 11, {{"G5IDD", "126101_1.0012.7"}}, {{"G5RJDR", "G5JDR", "G2"}}},
           {"G5JDR", 36, 12, {{"G5IJR", "G2"}, {"G5TJR", "G"}}, {}},
           {"G5UDZ", 40, 13, {{"G5UD", "3/2"}}, {{"G5RJDR", "G5JDR", "G2"}}}}) {
    checks.addObject(*Build(o), findings);
  }
  checks.finish(findings);
  std::vector<std::string> messages;
  for (const smDocumentFinding& f : findings) {
    if (f.code >= 7040) {
      messages.push_back(std::to_string(f.code) + " " + swde::Cp1250ToUtf8(f.message));
    }
  }
  EXPECT_EQ(
      messages,
      (std::vector<std::string>{
          "7040 Zerowa powierzchnia G5PEW w obiekcie G5DZE - powierzchnia działki musi być "
          "większa od zera",
          "7041 Powierzchnia G5PEW w obiekcie G5DZE podana z dokładnością większą niż 0.0001 ha",
          "7043 Zerowa wartość udziału G5UD w obiekcie G5UDZ - udział musi być większy od zera",
          "7044 Wielokrotne wystąpienie podmiotu G5OSF o numerze G5PSL 44051401359, poprzednio "
          "w wierszu 19",
          "7047 Identyfikator budynku G5IDB w obiekcie G5BUD wskazuje inny obręb niż działka "
          "wskazywana relacją G5RDZE",
          "7045 Relacja G5RJDR z obiektu G5DZE wskazuje jednostkę rejestrową G1 rodzaju L "
          "zamiast G",
          "7042 Powierzchnia G5PEW w obiekcie G5DZE różna od sumy powierzchni obiektów G5KLU "
          "wskazujących go relacją G5RDZE",
          "7046 Działka w obiekcie G5DZE należy relacją G5RJDR do jednostki rejestrowej G2, "
          "której działki leżą w obrębie 126101_1.0013 (pierwsza w wierszu 30)",
          "7048 Suma udziałów G5UD w obiektach G5UDZ wskazujących relacją G5RJDR na obiekt "
          "G5JDR G2 wynosi 3/2 i przekracza 1"}));
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document checks, as tables: one value per row for the per-object part, one small document
// per row for the document-level part. Every document row is run twice, through addObject and
// as a host with workers would run it (every object checked first, in reverse order, then the
// digests added in document order), and both must give the same findings.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"

#include "checks/DocumentSupport.hpp"

namespace {

using swde::Metadata;
using swde::smDocumentChecks;
using swde::smDocumentFinding;
using swde::ValueCheck;
using swde_test::Build;
using swde_test::CheckDocument;
using swde_test::CheckObjects;
using swde_test::Obj;
using swde_test::Render;

constexpr const char* kToday = "2026.06.15";

// A reference schema with every mark the checks read.
std::unique_ptr<Metadata> MakeAnnex() {
  auto annex = std::make_unique<Metadata>();
  const std::tuple<const char*, const char*, ValueCheck> decls[] = {
      {"G5DTW", "DN", ValueCheck::kNone},     {"G5DTU", "DH", ValueCheck::kNone},
      {"G5DDO", "DN", ValueCheck::kFutureOk}, {"G5CZS", "HR", ValueCheck::kNone},
      {"G5PEW", "FL", ValueCheck::kArea},     {"G5UD", "UL", ValueCheck::kNone},
      {"G5PSL", "TX", ValueCheck::kPesel},    {"G5NIP", "TX", ValueCheck::kNip},
      {"G5RGN", "TX", ValueCheck::kRegon},    {"G5IDJ", "TX", ValueCheck::kTeryt},
      {"G5IDD", "TX", ValueCheck::kParcelId}, {"G5NRO", "TX", ValueCheck::kPrecinct},
      {"G5IJR", "TX", ValueCheck::kNone}};
  for (const auto& [name, base, check] : decls) {
    annex->attribsSection->addAttribute(name, base)->check = check;
  }
  annex->typesSection->addType("G5OBR", "RO")->addAttribute("G5NRO", "G5NRO")->key = true;
  annex->typesSection->addType("G5JDR", "RD")->addAttribute("G5IJR", "G5IJR")->key = true;
  annex->typesSection->addType("G5OSF", "RD");
  for (const char* parcel : {"G5DZE", "G5O_DZE"}) {
    swde::RecordType* type = annex->typesSection->addType(parcel, "RO");
    type->addAttribute("G5IDD", "G5IDD")->key = true;
    type->addReference("G5ROBR", "G5ROBR")->addRefTypeName("G5OBR");
  }
  swde::RecordType* share = annex->typesSection->addType("G5UDZ", "RD");
  share->addAttribute("G5UD", "G5UD");
  share->addReference("G5RJDR", "G5RJDR")->shares = "G5UD";
  return annex;
}

struct ValueRow {
  const char* attribute;
  const char* value;
  const char* expected;  // the rendered findings of a G5DZE (line 1, id 7) with that one value
};

const ValueRow kValues[] = {
    // Dates: the calendar, leap years, digits in every field, the day of the check.
    {"G5DTW", "2024.02.29", ""},
    {"G5DTW", "2000.02.29", ""},
    {"G5DTW", "1900.02.29", "7011@2 G5DZE G5DTW/1 v=1900.02.29 e=dzień 01-28"},
    {"G5DTW", "2025.02.30", "7011@2 G5DZE G5DTW/1 v=2025.02.30 e=dzień 01-28"},
    {"G5DTW", "2024.04.31", "7011@2 G5DZE G5DTW/1 v=2024.04.31 e=dzień 01-30"},
    {"G5DTW", "2024.13.01", "7011@2 G5DZE G5DTW/1 v=2024.13.01 e=miesiąc 01-12"},
    {"G5DTW", "0000.01.01", "7011@2 G5DZE G5DTW/1 v=0000.01.01 e=rok 0001-9999"},
    {"G5DTW", "2024.1x.0y", "7010@2 G5DZE G5DTW/1 v=2024.1x.0y e=rrrr.mm.dd"},
    {"G5DTW", "2024.01. 9", "7010@2 G5DZE G5DTW/1 v=2024.01. 9 e=rrrr.mm.dd"},
    {"G5DTW", "2026.06.15", ""},
    {"G5DTW", "2026.06.16", "7013@2 G5DZE G5DTW/1 v=2026.06.16 e=<= 2026.06.15"},
    {"G5DDO", "2031.12.31", ""},
    {"G5DTW", "2005/01/01", ""},  // the catalogue's form error (6018), not reported again
    {"G5DTW", "2005;01;01", ""},
    // Times and dates with times.
    {"G5CZS", "23:59:59", ""},
    {"G5CZS", "00:59:60", ""},
    {"G5CZS", "24:00:00", "7012@2 G5DZE G5CZS/1 v=24:00:00 e=00:00:00-23:59:59"},
    {"G5CZS", "12:30:60", "7012@2 G5DZE G5CZS/1 v=12:30:60 e=00:00:00-23:59:59"},
    {"G5CZS", "12:30:00.1234x", "7010@2 G5DZE G5CZS/1 v=12:30:00.1234x e=gg:mm:ss[.sssss]"},
    {"G5DTU", "2024.02.29-23:59:60.00000", ""},
    {"G5DTU", "2023.02.29-10:00:00", "7011@2 G5DZE G5DTU/1 v=2023.02.29-10:00:00 e=dzień 01-28"},
    {"G5DTU", "2024.03.01-10:61:00",
     "7012@2 G5DZE G5DTU/1 v=2024.03.01-10:61:00 e=00:00:00-23:59:59"},
    {"G5DTU", "2027.01.01-00:00:00", "7013@2 G5DZE G5DTU/1 v=2027.01.01-00:00:00 e=<= 2026.06.15"},
    {"G5DTU", "2024.03.01-1O:00:00",
     "7010@2 G5DZE G5DTU/1 v=2024.03.01-1O:00:00 e=rrrr.mm.dd-gg:mm:ss[.sssss]"},
    // Areas.
    {"G5PEW", "-0.1250", "7014@2 G5DZE G5PEW/1 v=-0.1250 e=>= 0"},
    {"G5PEW", "- 1e-3", "7014@2 G5DZE G5PEW/1 v=- 1e-3 e=>= 0"},
    {"G5PEW", "-0.000e5", ""},
    {"G5PEW", "12,5", ""},
    // Shares, exact in 64 bits.
    {"G5UD", "-1/2", "7015@2 G5DZE G5UD/1 v=-1/2 e=>= 0"},
    {"G5UD", "-0/5", ""},
    {"G5UD", "5/0", "7016@2 G5DZE G5UD/1 v=5/0 e=licznik/mianownik"},
    {"G5UD", "1a/2b", "7016@2 G5DZE G5UD/1 v=1a/2b e=licznik/mianownik"},
    {"G5UD", "1/2/3", "7016@2 G5DZE G5UD/1 v=1/2/3 e=licznik/mianownik"},
    {"G5UD", "1/18446744073709551616",
     "7016@2 G5DZE G5UD/1 v=1/18446744073709551616 e=licznik/mianownik"},
    {"G5UD", "18446744073709551615/18446744073709551615", ""},
    {"G5UD", "1/x", ""},  // the catalogue's 6016
    // Identifiers and their check digits.
    {"G5PSL", "44051401359", ""},
    {"G5PSL", "02270803624", ""},  // born 2002.07.08: the month raised by 20
    {"G5PSL", "00222901239", ""},  // born 2000.02.29
    {"G5PSL", "00022901233",
     "7020@2 G5DZE G5PSL/1 v=00022901233 e=data urodzenia istniejąca w kalendarzu"},
    {"G5PSL", "44051401358", "7020@2 G5DZE G5PSL/1 v=44051401358 e=cyfra kontrolna 9"},
    {"G5PSL", "4405140135", "7020@2 G5DZE G5PSL/1 v=4405140135 e=11 cyfr"},
    {"G5NIP", "5260001298", ""},
    {"G5NIP", "5260001297", "7021@2 G5DZE G5NIP/1 v=5260001297 e=cyfra kontrolna 8"},
    {"G5NIP", "1234560020",
     "7021@2 G5DZE G5NIP/1 v=1234560020 e=reszta z dzielenia sumy kontrolnej przez 11 mniejsza niż "
     "10"},
    {"G5RGN", "123456785", ""},
    {"G5RGN", "123456784", "7022@2 G5DZE G5RGN/1 v=123456784 e=cyfra kontrolna 5"},
    {"G5RGN", "12345678501233", ""},
    {"G5RGN", "12345678501234", "7022@2 G5DZE G5RGN/1 v=12345678501234 e=cyfra kontrolna 3"},
    {"G5RGN", "1234567801", "7022@2 G5DZE G5RGN/1 v=1234567801 e=9 lub 14 cyfr"},
    {"G5IDJ", "126101_1", ""},
    {"G5IDJ", "131905_2", "7024@2 G5DZE G5IDJ/1 v=131905_2 e=WWPPGG_R"},
    {"G5IDJ", "121905_6", "7024@2 G5DZE G5IDJ/1 v=121905_6 e=WWPPGG_R"},
    {"G5IDD", " 121905_2.0003.1021/2 ", "k=121905_2.0003.1021/2"},
    {"G5IDD", "121905_2.0003.AR_1.12", "k=121905_2.0003.AR_1.12"},
    {"G5IDD", "121905_2.0003.12.AR_1",
     "7023@2 G5DZE G5IDD/1 v=121905_2.0003.12.AR_1 e=AR_n przed numerem działki "
     "k=121905_2.0003.12.AR_1"},
    {"G5IDD", "121905_2.003.12",
     "7023@2 G5DZE G5IDD/1 v=121905_2.003.12 e=WWPPGG_R.OOOO[.AR_n].NDZ[/n] k=121905_2.003.12"},
    {"G5IDD", "121905_2.0003.12/",
     "7023@2 G5DZE G5IDD/1 v=121905_2.0003.12/ e=WWPPGG_R.OOOO[.AR_n].NDZ[/n] k=121905_2.0003.12/"},
    {"G5NRO", "0000", "7025@2 G5DZE G5NRO/1 v=0000 e=0001-9999"},
};

TEST(DocumentChecks, ValuesTable) {
  const auto annex = MakeAnnex();
  smDocumentChecks checks(annex.get(), {kToday});
  for (const ValueRow& row : kValues) {
    const auto object = Build({"G5DZE", 1, 7, {{row.attribute, row.value}}, {}});
    std::vector<smDocumentFinding> findings;
    const swde::smObjectDigest digest = checks.objectChecks().check(*object, findings);
    std::string rendered = Render(findings);
    if (findings.empty() && !digest.key.empty()) {
      rendered = "k=" + digest.key;  // the key is picked even when nothing is wrong
    }
    EXPECT_EQ(rendered, row.expected) << row.attribute << " = '" << row.value << "'";
  }
}

struct DocumentRow {
  const char* name;
  std::vector<Obj> objects;
  const char* expected;
};

// clang-format off
const DocumentRow kDocuments[] = {
    {"a repeated key names both lines; other record types and left-out objects do not count",
     {{"G5DZE", 10, 1, {{"G5IDD", "121905_2.0003.5"}}, {}},
      {"G5O_DZE", 20, 2, {{"G5IDD", "121905_2.0003.5"}}, {}},
      {"G5DZE", 30, 3, {{"G5IDD", "121905_2.0003.5"}}, {}, "21"},
      {"G5DZE", 40, 4, {{"G5IDD", " 121905_2.0003.5"}}, {}}},
     "7001@41 G5DZE G5IDD/1 v=121905_2.0003.5 k=121905_2.0003.5 r=11"},
    {"a forward reference resolves; a dangling one is a warning at the end; by id when keyless",
     {{"G5DZE", 10, 1, {}, {{"G5ROBR", "G5OBR", "0003"}, {"G5ROBR", "G5OBR", "0009"}}},
      {"G5OBR", 20, 2, {{"G5NRO", "0003"}}, {}},
      {"G5OSF", 30, 3, {}, {}},
      {"G5UDZ", 40, 4, {}, {{"G5RPOD", "G5OSF", "3"}, {"G5RPOD", "G5OSF", "4"}}},
      {"G5UDZ", 50, 5, {}, {{"G5RPOD", "G5OSF", "x3"}, {"G5RPOD", "G5XYZ", "1"}}},
      {"G5DZE", 60, 6, {}, {{"G5ROBR", "G5OBR", ""}}}},
     "7003@61 G5DZE G5ROBR/1; 7002@12 G5DZE G5ROBR/2 v=0009; 7002@42 G5UDZ G5RPOD/2 v=4; "
     "7002@51 G5UDZ G5RPOD/1 v=x3; 7002@52 G5UDZ G5RPOD/2 v=1"},
    {"the parcel's precinct against the related precinct, when that one is in the document, "
     "before or after it",
     {{"G5DZE", 5, 3, {{"G5IDD", "121905_2.0003.8"}}, {{"G5ROBR", "G5OBR", "0005"}}},
      {"G5OBR", 10, 1, {{"G5NRO", "0004"}}, {}},
      {"G5DZE", 20, 2, {{"G5IDD", "121905_2.0003.7"}}, {{"G5ROBR", "G5OBR", "0004"}}},
      {"G5DZE", 40, 4, {{"G5IDD", "121905_2.0003.9"}}, {{"G5ROBR", "G5OBR", "0006"}}},
      {"G5DZE", 50, 5, {{"G5IDD", "121905_2.0004.9"}}, {{"G5ROBR", "G5OBR", "0004"}}},
      {"G5OBR", 60, 6, {{"G5NRO", "0006"}}, {}}},
     "7002@7 G5DZE G5ROBR/1 v=0005 k=121905_2.0003.8; "
     "7004@21 G5DZE G5IDD/1 v=121905_2.0003.7 e=0004 k=121905_2.0003.7; "
     "7004@41 G5DZE G5IDD/1 v=121905_2.0003.9 e=0006 k=121905_2.0003.9"},
    {"shares add up exactly, once per group, only for a target in the document",
     {{"G5JDR", 10, 1, {{"G5IJR", "A"}}, {}},
      {"G5JDR", 11, 2, {{"G5IJR", "B"}}, {}},
      {"G5JDR", 12, 3, {{"G5IJR", "C"}}, {}},
      {"G5JDR", 13, 4, {{"G5IJR", "D"}}, {}},
      {"G5JDR", 14, 5, {{"G5IJR", "E"}}, {}},
      {"G5JDR", 15, 6, {{"G5IJR", "F"}}, {}},
      {"G5UDZ", 20, 7, {{"G5UD", "1/3"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5UDZ", 30, 8, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "B"}}},
      {"G5UDZ", 40, 9, {{"G5UD", "2/3"}}, {{"G5RJDR", "G5JDR", "A"}}},
      {"G5UDZ", 50, 10, {{"G5UD", "1/3"}}, {{"G5RJDR", "G5JDR", "B"}}},
      {"G5UDZ", 60, 11, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "B"}}},
      // Overflow-sized denominators: 2^64 - 59, 2^64 - 83 and 2^64 - 95 are primes. Two of them
      // add up in 128 bits; three need more, and are added exactly all the same: a sum whose
      // text is longer than 80 characters is shown as an approximation.
      {"G5UDZ", 70, 12, {{"G5UD", "18446744073709551556/18446744073709551557"}}, {{"G5RJDR", "G5JDR", "C"}}},
      {"G5UDZ", 71, 13, {{"G5UD", "1/18446744073709551557"}}, {{"G5RJDR", "G5JDR", "C"}}},
      {"G5UDZ", 72, 14, {{"G5UD", "1/18446744073709551557"}}, {{"G5RJDR", "G5JDR", "D"}}},
      {"G5UDZ", 73, 15, {{"G5UD", "1/18446744073709551533"}}, {{"G5RJDR", "G5JDR", "D"}}},
      {"G5UDZ", 80, 16, {{"G5UD", "1/18446744073709551557"}}, {{"G5RJDR", "G5JDR", "E"}}},
      {"G5UDZ", 81, 17, {{"G5UD", "1/18446744073709551533"}}, {{"G5RJDR", "G5JDR", "E"}}},
      {"G5UDZ", 82, 18, {{"G5UD", "1/18446744073709551521"}}, {{"G5RJDR", "G5JDR", "E"}}},
      // A share that cannot be added leaves its group unjudged; so does a missing target.
      {"G5UDZ", 90, 19, {{"G5UD", "1/x"}}, {{"G5RJDR", "G5JDR", "F"}}},
      {"G5UDZ", 91, 20, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "F"}}},
      {"G5UDZ", 95, 21, {{"G5UD", "1/2"}}, {{"G5RJDR", "G5JDR", "G"}}}},
     "7030@31 G5UDZ G5UD/1 v=4/3 e=1; "
     "7030@73 G5UDZ G5UD/1 v=36893488147419103090/340282366920938460843936948965011886881 e=1; "
     "7030@81 G5UDZ G5UD/1 v=~1.626303e-19 e=1; 7002@97 G5UDZ G5RJDR/1 v=G"},
};
// clang-format on

// Every finding names its object's line too.
TEST(DocumentChecks, DocumentsTableWithAndWithoutWorkers) {
  const auto annex = MakeAnnex();
  for (const DocumentRow& row : kDocuments) {
    EXPECT_EQ(CheckDocument(annex.get(), {kToday}, row.objects), row.expected) << row.name;
    for (const smDocumentFinding& f : CheckObjects(annex.get(), {kToday}, row.objects)) {
      const auto holder = std::find_if(row.objects.begin(), row.objects.end(),
                                       [&](const Obj& o) { return o.id == f.objectId; });
      EXPECT_TRUE(holder != row.objects.end() && holder->line == f.objectLine) << f.message;
    }
  }
}

// A code of the document-level part that the host does not want is not looked for; the others
// come as they would, in the same order.
TEST(DocumentChecks, CodesNotWantedAreLeftOut) {
  const auto annex = MakeAnnex();
  const std::vector<swde::smDocumentCode> levelCodes = {
      swde::dcDuplicateKey, swde::dcDanglingReference, swde::dcPrecinctMismatch, swde::dcShareSum,
      swde::dcShareSumRange};
  for (const DocumentRow& row : kDocuments) {
    const std::vector<smDocumentFinding> all = CheckObjects(annex.get(), {kToday}, row.objects);
    auto without = [&all](const std::vector<swde::smDocumentCode>& codes) {
      std::vector<smDocumentFinding> rest;
      std::copy_if(all.begin(), all.end(), std::back_inserter(rest),
                   [&codes](const smDocumentFinding& f) {
                     return std::find(codes.begin(), codes.end(), f.code) == codes.end();
                   });
      return Render(rest);
    };
    for (const swde::smDocumentCode code : levelCodes) {
      EXPECT_EQ(CheckDocument(annex.get(), {kToday, {code}}, row.objects), without({code}))
          << row.name << ", without " << code;
    }
    EXPECT_EQ(CheckDocument(annex.get(), {kToday, levelCodes}, row.objects), without(levelCodes))
        << row.name;
  }
}

// The first `count` primes from `from` on, by trial division.
std::vector<std::uint64_t> PrimesFrom(std::uint64_t from, std::size_t count) {
  std::vector<std::uint64_t> primes;
  for (std::uint64_t n = from | 1; primes.size() < count; n += 2) {
    bool prime = true;
    for (std::uint64_t d = 3; d * d <= n && prime; d += 2) {
      prime = n % d != 0;
    }
    if (prime) {
      primes.push_back(n);
    }
  }
  return primes;
}

// The verdict on one group of shares of G5JDR "A", in the order given: "" when they add up to 1,
// else the code and the value of its finding.
std::string GroupVerdict(const Metadata* annex, const std::vector<std::string>& shares) {
  std::vector<Obj> objects = {{"G5JDR", 1, 1, {{"G5IJR", "A"}}, {}}};
  for (std::size_t i = 0; i < shares.size(); ++i) {
    const auto line = static_cast<std::uint32_t>(10 * (i + 1));
    objects.push_back(
        {"G5UDZ", line, line, {{"G5UD", shares[i].c_str()}}, {{"G5RJDR", "G5JDR", "A"}}});
  }
  std::string verdict;
  for (const smDocumentFinding& f : CheckObjects(annex, {kToday}, objects)) {
    verdict += std::to_string(f.code) + " v=" + f.value + ";";
  }
  return verdict;
}

// `pairs` pairs of shares with 32-bit denominators: a/(m p) and (p - a)/(m p), p a prime of 28
// bits, so each pair adds up to 1/m. In the order pair after pair the sum stays small; with all
// first halves before the second halves, five shares already need more than 128 bits.
std::vector<std::string> Pairs(std::size_t pairs, std::uint64_t m) {
  std::vector<std::string> firsts;
  std::vector<std::string> seconds;
  for (const std::uint64_t p : PrimesFrom(200000000, pairs)) {
    const std::uint64_t a = p / 3 + firsts.size();
    firsts.push_back(std::to_string(a) + "/" + std::to_string(m * p));
    seconds.push_back(std::to_string(p - a) + "/" + std::to_string(m * p));
  }
  firsts.insert(firsts.end(), seconds.begin(), seconds.end());
  return firsts;
}

// The verdict on a group does not depend on the order of its shares: every row in its own
// order, reversed, interleaved and in 20 random orders.
TEST(DocumentChecks, ShareSumsWhateverTheOrder) {
  const auto annex = MakeAnnex();
  const std::uint64_t p[] = {18446744073709551557ull, 18446744073709551533ull,
                             18446744073709551521ull};
  const std::vector<std::string> complements = {
      "1/" + std::to_string(p[0]),
      "1/" + std::to_string(p[1]),
      "1/" + std::to_string(p[2]),
      std::to_string(p[0] - 1) + "/" + std::to_string(p[0]),
      std::to_string(p[1] - 1) + "/" + std::to_string(p[1]),
      std::to_string(p[2] - 1) + "/" + std::to_string(p[2])};
  const std::pair<std::vector<std::string>, const char*> rows[] = {
      {Pairs(15, 10), "7030 v=3/2;"},  // thirty 32-bit shares adding up to 3/2
      {Pairs(16, 16), ""},             // thirty-two adding up to 1
      {complements, "7030 v=3;"},      // beyond 128 bits on the way, 3 in the end
      {{"1/3", "1/6", "1/4", "1/4"}, ""},
  };
  std::mt19937 random(2026);
  for (const auto& [shares, verdict] : rows) {
    std::vector<std::vector<std::string>> orders = {shares, {shares.rbegin(), shares.rend()}};
    std::vector<std::string> interleaved;
    for (std::size_t i = 0; i < shares.size() / 2; ++i) {
      interleaved.push_back(shares[i]);
      interleaved.push_back(shares[shares.size() / 2 + i]);
    }
    orders.push_back(interleaved);
    for (int round = 0; round < 20; ++round) {
      std::vector<std::string> shuffled = shares;
      std::shuffle(shuffled.begin(), shuffled.end(), random);
      orders.push_back(shuffled);
    }
    for (const std::vector<std::string>& order : orders) {
      ASSERT_EQ(GroupVerdict(annex.get(), order), verdict) << shares.front() << "...";
    }
  }
}

// 100,000 shares whose denominators (m q^2, q a prime of 21 to 23 bits, up to 2^62) share no
// factor but m: the exact sum passes millions of bits on the way and is judged, quickly, the
// same in two orders. The pairs add up to 1/m each, so the sum is 1; with two numerators one
// more and one numerator one less it is 1 + 1/D1 + 1/D2 - 1/D3, too long to be shown exactly.
TEST(ShareSum, HundredThousandUnrelatedDenominators) {
  const std::clock_t start = std::clock();
  const std::uint64_t m = 50000;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> shares;
  for (const std::uint64_t q : PrimesFrom(std::uint64_t{1} << 21, m)) {
    const std::uint64_t a = q * q / 7 + shares.size();
    shares.emplace_back(a, m * q * q);
    shares.emplace_back(q * q - a, m * q * q);
  }
  std::shuffle(shares.begin(), shares.end(), std::mt19937_64(7));
  for (const bool more : {false, true}) {
    swde::document::ShareSum sum;
    for (std::size_t i = 0; i < shares.size(); ++i) {
      std::uint64_t n = shares[i].first;
      n = more && (i == 1000 || i == 2000) ? n + 1 : more && i == 3000 ? n - 1 : n;
      sum.add(n, shares[i].second);
    }
    sum.settle();
    ASSERT_FALSE(sum.beyondRange());
    EXPECT_EQ(sum.isOne(), !more);
    const long double away =
        1.0L / shares[1000].second + 1.0L / shares[2000].second - 1.0L / shares[3000].second;
    char expected[64];
    std::snprintf(expected, sizeof expected, "~1 %c %.2Le", away > 0 ? '+' : '-', fabsl(away));
    EXPECT_EQ(sum.text(), more ? std::string(expected) : "1");
    std::reverse(shares.begin(), shares.end());
  }
  EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 30.0);
}

// A group whose denominators (in lowest terms) pass the bound together is not added up, and
// says so; below it, it is exact. No share at all (or only zeros) adds up to 0.
TEST(ShareSum, BoundAndTexts) {
  const std::uint64_t p[] = {18446744073709551557ull, 18446744073709551533ull,
                             18446744073709551521ull};
  for (const std::uint32_t bits : {191u, 192u}) {  // three denominators of 64 bits
    swde::document::ShareSum sum(bits);
    for (const std::uint64_t d : p) {
      sum.add(1, d);
      sum.add(0, 3);  // adds nothing, and takes no bits
      sum.add(5, 5);  // nor does a whole number
    }
    sum.settle();
    EXPECT_EQ(sum.beyondRange(), bits == 191u);
    EXPECT_FALSE(sum.isOne());
    if (bits == 192u) {
      EXPECT_EQ(sum.text(), "~3");  // 3 + 1.6e-19
    }
  }
  swde::document::ShareSum none;
  none.settle();
  EXPECT_EQ(none.text(), "0");
}

TEST(DocumentChecks, MessagesAndOptions) {
  const auto annex = MakeAnnex();
  smDocumentChecks checks(annex.get(), {kToday});
  std::vector<smDocumentFinding> findings;
  const Obj u = {
      "G5UDZ", 9, 3, {{"G5UD", "1/4"}}, {{"G5RJDR", "G5JDR", "A"}, {"G5RJDR", "G5JDR", "Z"}}};
  for (const Obj& o :
       {Obj{"G5JDR", 1, 1, {{"G5IJR", "A"}}, {}}, Obj{"G5JDR", 5, 2, {{"G5IJR", "A"}}, {}}, u}) {
    checks.addObject(*Build(o), findings);
  }
  checks.finish(findings);
  std::vector<std::string> messages;
  for (const smDocumentFinding& f : findings) {
    messages.push_back(swde::Cp1250ToUtf8(f.message));
  }
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "Wielokrotne wystąpienie obiektu G5JDR o identyfikatorze A, poprzednio "
                          "w wierszu 2",
                          "Obiekt G5JDR o identyfikatorze A wskazywany przez relację G5RJDR z "
                          "obiektu G5UDZ jest niejednoznaczny - pasują obiekty w wierszach 2, 6",
                          "Obiekt G5JDR o identyfikatorze Z wskazywany przez relację G5RJDR z "
                          "obiektu G5UDZ nie istnieje w pliku"}));

  EXPECT_EQ(checks.objectChecks().today(), kToday);
  for (const char* bad : {"2026.02.30", "2026-06-15", "26.06.15"}) {
    EXPECT_THROW(smDocumentChecks(annex.get(), {bad}), std::invalid_argument) << bad;
  }
  EXPECT_EQ(smDocumentChecks(nullptr).objectChecks().today().size(), 10u);
  EXPECT_EQ(swde::FindDocumentCode(6028), nullptr);
}

}  // namespace

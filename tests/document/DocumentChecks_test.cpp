// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document checks, as tables of tests/data: one value per row for the per-object part, one
// small document per case for the document-level part. Every document row is run twice, through
// addObject and as a host with workers would run it (every object checked first, in reverse order,
// then the digests added in document order), and both must give the same findings.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <stdexcept>

#include <gtest/gtest.h>

#include "swde/document/DocumentInternal.hpp"

#include "Support.hpp"

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
      {"G5NKW", "TX", ValueCheck::kKw},       {"G5IJR", "TX", ValueCheck::kNone}};
  for (const auto& [name, base, check] : decls) {
    annex->attribsSection->addAttribute(name, base)->check = check;
  }
  annex->typesSection->addType("G5JEW", "RO")->addAttribute("G5IDJ", "G5IDJ")->key = true;
  swde::RecordType* precinct = annex->typesSection->addType("G5OBR", "RO");
  precinct->addAttribute("G5NRO", "G5NRO")->key = true;
  precinct->addReference("G5RJEW", "G5RJEW")->addRefTypeName("G5JEW");
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

// data/object-values.tsv: one value in an object of its own, and its findings.
TEST(DocumentChecks, ValuesTable) {
  const auto annex = MakeAnnex();
  smDocumentChecks checks(annex.get(), {kToday});
  const std::vector<swde_test::Lines> rows = swde_test::Table("object-values.tsv");
  ASSERT_EQ(rows.size(), 120u);
  for (const swde_test::Lines& row : rows) {
    const auto object = Build({row.at(0), 1, 7, {{row.at(1), row.at(2)}}, {}});
    std::vector<smDocumentFinding> findings;
    const swde::smObjectDigest digest = checks.objectChecks().check(*object, findings);
    std::string rendered = Render(findings);
    if (findings.empty() && !digest.key.empty()) {
      rendered = "k=" + digest.key;  // the key is picked even when nothing is wrong
    }
    EXPECT_EQ(rendered, row.at(3)) << row[0] << " " << row[1] << " = '" << row[2] << "'";
  }
}

// data/documents.tsv, each document run through addObject and as a host with workers runs it;
// every finding names its object's line too.
TEST(DocumentChecks, DocumentsTableWithAndWithoutWorkers) {
  const auto annex = MakeAnnex();
  const std::vector<swde_test::DocumentCase> cases = swde_test::Documents("documents.tsv");
  ASSERT_EQ(cases.size(), 5u);
  for (const swde_test::DocumentCase& row : cases) {
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
  for (const swde_test::DocumentCase& row : swde_test::Documents("documents.tsv")) {
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
  for (const std::uint64_t p : swde_test::Primes(200000000, pairs)) {
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
  std::vector<std::string> complements(6);  // 1/p of each, then (p - 1)/p of each
  for (std::size_t i = 0; i < 3; ++i) {
    complements[i] = "1/" + std::to_string(p[i]);
    complements[i + 3] = std::to_string(p[i] - 1) + "/" + std::to_string(p[i]);
  }
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
  for (const std::uint64_t q : swde_test::Primes(std::uint64_t{1} << 21, m)) {
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

// An update's shares of a register unit that is not in the document are one group when their
// names say the same, however each name was kept: a share before its precinct names the precinct
// by text, one after it by the precinct's key. Here the precinct 0001 is there twice, so the unit
// G1 within it is in none: the three halves are one group above 1, in every order of the five
// objects (the unit's name is kept differently in each).
TEST(DocumentChecks, AbsentTargetsOfAnUpdateInEveryOrder) {
  const auto precinct = [](std::uint32_t line) {
    swde::smObjectDigest d;
    d.typeName = "G5OBR";
    d.line = line;
    d.id = line;
    d.checked = d.keyed = true;
    d.key = "0001";
    d.keyEntry = "G5NRO";
    d.keyLine = line + 1;
    return d;
  };
  const auto share = [](std::uint32_t line) {
    swde::smObjectDigest d;
    d.typeName = "G5UDZ";
    d.line = line;
    d.id = line;
    d.checked = true;
    swde::smObjectDigest::Reference unit;
    unit.relation = "G5RJDR";
    unit.line = line + 2;
    unit.targetType = "G5JDR";
    unit.target = "G1";
    unit.scoped = true;
    unit.scope = 1;
    swde::smObjectDigest::Reference in;
    in.relation = "G5ROBR";
    in.line = line + 3;
    in.targetType = "G5OBR";
    in.target = "0001";
    d.references = {unit, in};
    d.shares.push_back({0, "G5UD", line + 1, 1, true, 1, 2});
    return d;
  };
  std::vector<swde::smObjectDigest> all = {share(10), precinct(20), share(30), precinct(40),
                                           share(50)};
  std::vector<std::size_t> order = {0, 1, 2, 3, 4};
  int orders = 0;
  do {
    smDocumentChecks checks(
        nullptr, {kToday,
                  {swde::dcDanglingReference, swde::dcAmbiguousReference, swde::dcDuplicateKey},
                  swde::smTransfer::kUpdate});
    std::vector<smDocumentFinding> findings;
    for (const std::size_t at : order) {
      checks.add(all[at], findings);
    }
    checks.finish(findings);
    ASSERT_EQ(findings.size(), 1u) << orders;
    EXPECT_EQ(findings[0].code, swde::dcUpdateShareSum);
    EXPECT_EQ(findings[0].line, 11u);
    EXPECT_EQ(findings[0].value, "3/2");
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 120);
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

  findings = CheckObjects(
      annex.get(), {kToday},
      {{"G5JEW", 1, 1, {{"G5IDJ", "141201_1"}}, {}},
       {"G5OBR", 2, 2, {{"G5NRO", "0001"}}, {{"G5RJEW", "G5JEW", "141201_1"}}},
       {"G5DZE", 3, 3, {{"G5IDD", "141202_1.0001.6"}}, {{"G5ROBR", "G5OBR", "0001"}}}});
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(swde::Cp1250ToUtf8(findings[0].message),
            "Jednostka ewidencyjna w identyfikatorze działki G5IDD w obiekcie G5DZE niezgodna z "
            "jednostką 141201_1 obrębu 0001");
  EXPECT_EQ(checks.objectChecks().today(), kToday);
  for (const char* bad : {"2026.02.30", "2026-06-15", "26.06.15"}) {
    EXPECT_THROW(smDocumentChecks(annex.get(), {bad}), std::invalid_argument) << bad;
  }
  EXPECT_EQ(smDocumentChecks(nullptr).objectChecks().today().size(), 10u);
  EXPECT_EQ(swde::FindDocumentCode(6028), nullptr);
}

}  // namespace

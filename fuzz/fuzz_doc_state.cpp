// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: the document-level checks on crafted ids, keys and shares, differentially.
//   - The tables (KeyedTable, IdSet) under three hashes, the keyed one, one that puts everything
//     in one place and one of four values, give the answers of std::map and std::set for every
//     operation the input asks for: the paths beside the table that only colliding contents
//     reach are taken as often as the table itself.
//   - smDocumentChecks, fed digests made from the input (record types known and unknown, ids
//     from 0 to 2^32 - 1 and multiples of table sizes, keys that repeat, references to targets
//     that come before, after or never, shares from 0 to 2^64 - 1 over primes near 2^64):
//     leaving codes out (smDocumentOptions::notWanted) gives the findings of all codes without
//     them; and the digests in reverse order give the same findings, words, lines and keys
//     included, but for which object of a repeated key is the repeat (7001) and which parcel of a
//     register unit is its first (7046): keys scoped by a relation whose own target is scoped,
//     names that fit several objects, ids that two objects share and precincts of several units
//     must not make any name mean another object. The digests play parts of the register too
//     (parcels with areas and listed parts, land-use parts, buildings, premises, register units
//     of a kind), in full and update transfers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
#include "swde/document/DocumentTables.hpp"
#include "swde/document/RegisterChecks.hpp"
#include "swde/platform/SeededHash.hpp"

#include "FuzzSupport.hpp"

namespace {

using swde::AnsiString;
using swde::smDocumentFinding;
using swde::smObjectDigest;

struct OneHash {
  std::uint64_t operator()(std::uint64_t, std::string_view) const noexcept { return 7; }
  std::uint64_t operator()(std::uint64_t) const noexcept { return 7; }
};

struct FourHashes {
  std::uint64_t operator()(std::uint64_t tag, std::string_view text) const noexcept {
    return swde::SeededHash{}(tag, text) & 3;
  }
  std::uint64_t operator()(std::uint64_t value) const noexcept {
    return swde::SeededHash{}(value)&3;
  }
};

// Numbers a document may choose to hurt a table: bounds, powers of two, multiples of table
// sizes and of the bucket counts of std::unordered_set.
const std::uint32_t kIds[] = {0,
                              1,
                              2,
                              63,
                              64,
                              65,
                              16777215,
                              16777216,
                              4294967295,
                              4294967294,
                              2147483648,
                              1u << 20,
                              65536 * 3,
                              131072 * 7,
                              50331653,
                              100663319,
                              50331653u * 2,
                              12582917 * 5};

const char* const kKeys[] = {"",           "A",    "A ", "a",          "0001", "0002", "G1300",
                             "K000000123", "\xB9", "1",  "4294967295", "X\0Y", "KK"};

std::string key(FuzzedDataProvider& in) {
  if (in.ConsumeIntegralInRange(0, 3) == 0) {
    return in.ConsumeRandomLengthString(12);
  }
  const std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kKeys) - 1);
  return at == 11 ? std::string("X\0Y", 3) : std::string(kKeys[at]);
}

std::uint32_t id(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) {
    return in.ConsumeIntegral<std::uint32_t>();
  }
  return kIds[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kIds) - 1)];
}

template <typename Hash>
void tables(FuzzedDataProvider& in, std::size_t operations) {
  swde::document::Arena arena;
  swde::document::KeyedTable<Hash> keys;
  swde::document::IdSet<Hash> ids;
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> keyModel;
  std::set<std::pair<std::uint32_t, std::uint32_t>> idModel;
  for (std::size_t i = 0; i < operations && in.remaining_bytes() > 0; ++i) {
    const auto tag = in.ConsumeIntegralInRange<std::uint32_t>(0, 3);
    const std::string text = key(in);
    const std::uint32_t number = id(in);
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0: {
        const auto entered = keys.enter(tag, text, number, arena);
        const auto [it, added] = keyModel.emplace(std::pair{tag, text}, number);
        SWDE_FUZZ_CHECK(entered.added == added && entered.value == it->second);
        SWDE_FUZZ_CHECK(entered.text == text);
        break;
      }
      case 1: {
        std::uint32_t value = 0;
        const auto it = keyModel.find({tag, text});
        SWDE_FUZZ_CHECK(keys.lookup(tag, text, value) == (it != keyModel.end()));
        SWDE_FUZZ_CHECK(it == keyModel.end() || value == it->second);
        break;
      }
      case 2:
        ids.insert(tag, number);
        idModel.emplace(tag, number);
        break;
      default:
        SWDE_FUZZ_CHECK(ids.contains(tag, number) == (idModel.count({tag, number}) != 0));
        break;
    }
  }
  SWDE_FUZZ_CHECK(keys.size() == keyModel.size());
  for (const auto& [pair, value] : keyModel) {
    std::uint32_t found = 0;
    SWDE_FUZZ_CHECK(keys.lookup(pair.first, pair.second, found) && found == value);
  }
  for (const auto& [tag, number] : idModel) {
    SWDE_FUZZ_CHECK(ids.contains(tag, number));
  }
}

const char* const kTypes[] = {"G5JDR", "G5OBR", "X", "G5OSF", "Y", ""};  // the first two keyed
const char* const kRelations[] = {"G5RJDR", "G5ROBR", "R", "G5RDZE", "G5RKLU"};
const std::uint64_t kNumbers[] = {0,
                                  1,
                                  2,
                                  3,
                                  1000000,
                                  4294967291,
                                  4294967296,
                                  9223372036854775808ull,
                                  18446744073709551557ull,
                                  18446744073709551533ull,
                                  18446744073709551521ull,
                                  18446744073709551615ull};

std::uint64_t number(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) {
    return in.ConsumeIntegral<std::uint64_t>();
  }
  return kNumbers[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNumbers) - 1)];
}

std::vector<smObjectDigest> digests(FuzzedDataProvider& in) {
  std::vector<smObjectDigest> all;
  const auto count = in.ConsumeIntegralInRange<std::uint32_t>(0, 40);
  // A register unit is unique within its precinct; a precinct within the X it names, or not.
  const bool precinctScoped = in.ConsumeBool();
  for (std::uint32_t i = 0; i < count && in.remaining_bytes() > 0; ++i) {
    smObjectDigest d;
    const std::size_t type = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes) - 1);
    d.typeName = kTypes[type];
    d.line = 100 * (i + 1);
    d.id = id(in);
    d.checked = in.ConsumeIntegralInRange(0, 7) != 0;
    d.keyed = type < 2;
    if (d.keyed) {
      d.key = key(in);
      d.keyEntry = type == 0 ? "G5IJR" : "G5NRO";
      d.keyLine = d.line + 1;
      d.keyId = 1;
      d.keyScoped = type == 0 || precinctScoped;
      if (type == 1 && in.ConsumeBool()) {
        d.unit = in.ConsumeBool() ? "121905_2" : "121906_5";
      }
    }
    if (in.ConsumeBool()) {
      d.parcelEntry = "G5IDD";
      d.parcelLine = d.line + 2;
      d.parcelId = 2;
      d.parcelValue = "121905_2.0003." + std::to_string(i);
    }
    const auto references = in.ConsumeIntegralInRange<std::uint32_t>(0, 3);
    for (std::uint32_t r = 0; r < references; ++r) {
      smObjectDigest::Reference ref;
      ref.relation =
          kRelations[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kRelations) - 1)];
      ref.line = d.line + 10 + r;
      ref.id = r + 1;
      const std::size_t target = in.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes) - 1);
      ref.targetType = kTypes[target];
      ref.byId = target >= 2;
      ref.target = ref.byId && in.ConsumeBool() ? std::to_string(id(in)) : key(in);
      ref.precinctDiffers = !d.parcelValue.empty() && target == 1 && in.ConsumeBool();
      if (!d.parcelValue.empty() && target == 1) {
        ref.parcelUnit = in.ConsumeBool() ? "121905_2" : "121906_5";
      }
      ref.scoped = target == 0 || (target == 1 && precinctScoped);
      if (in.ConsumeBool()) {
        smObjectDigest::Share share;
        share.reference = d.references.size();
        share.attribute = "G5UD";
        share.line = d.line + 3;
        share.id = 3;
        share.readable = in.ConsumeIntegralInRange(0, 7) != 0;
        share.numerator = number(in);
        share.denominator = std::max<std::uint64_t>(1, number(in));
        d.shares.push_back(share);
      }
      d.references.push_back(ref);
    }
    // Scopes: the first relation to the scope's record type (a precinct's scope is an X).
    const auto scopeOf = [&d](const std::string& scopeType) {
      for (std::size_t r = 0; r < d.references.size(); ++r) {
        if (d.references[r].targetType == scopeType) {
          return static_cast<int>(r);
        }
      }
      return -1;
    };
    if (d.keyScoped) {
      d.scope = scopeOf(type == 0 ? "G5OBR" : "X");
    }
    for (smObjectDigest::Reference& ref : d.references) {
      if (ref.scoped) {
        ref.scope = scopeOf(ref.targetType == "G5JDR" ? "G5OBR" : "X");
        if (ref.scope >= 0 && &d.references[static_cast<std::size_t>(ref.scope)] == &ref) {
          ref.scope = -1;
        }
      }
    }
    // Its part in the register.
    using swde::document::RegisterRole;
    const auto role = in.ConsumeIntegralInRange<std::uint8_t>(0, 6);
    d.reg.role = static_cast<std::uint8_t>(role > 5 ? 0 : role);
    if (d.reg.role == static_cast<std::uint8_t>(RegisterRole::kParcel) ||
        d.reg.role == static_cast<std::uint8_t>(RegisterRole::kLandUse)) {
      d.reg.areaRead = in.ConsumeIntegralInRange(0, 7) != 0;
      d.reg.area = in.ConsumeIntegralInRange<std::int64_t>(0, 3);
      d.reg.areaLine = d.line + 4;
      d.reg.areaId = 4;
      d.reg.areaEntry = "G5PEW";
    }
    const char* const precincts[] = {"", "121905_2.0003", "121905_2.0004"};
    d.reg.precinct = precincts[in.ConsumeIntegralInRange<std::size_t>(0, 2)];
    const char kinds[] = {0, 'G', 'B', 'L'};
    d.reg.unitKind = kinds[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
    for (std::size_t r = 0; r < d.references.size() && d.reg.partOf < 0; ++r) {
      if (d.references[r].relation == "G5RDZE") {
        d.reg.partOf = static_cast<int>(r);
      }
    }
    if (d.reg.role == static_cast<std::uint8_t>(RegisterRole::kBuilding) && d.keyEntry.empty()) {
      d.keyEntry = "G5IDB";
      d.keyLine = d.line + 5;
      d.keyId = 5;
    }
    all.push_back(std::move(d));
  }
  return all;
}

std::vector<smDocumentFinding> run(const std::vector<smObjectDigest>& all,
                                   const std::vector<swde::smDocumentCode>& notWanted,
                                   swde::smTransfer transfer) {
  swde::smDocumentChecks checks(nullptr, {"2026.06.15", notWanted, transfer});
  std::vector<smDocumentFinding> findings;
  for (const smObjectDigest& d : all) {
    checks.add(d, findings);
  }
  checks.finish(findings);
  return findings;
}

// A finding's code, value, message and (when asked) line and key.
std::string describe(const smDocumentFinding& f, bool whose) {
  return std::to_string(f.code) + "@" + (whose ? std::to_string(f.line) + " " + f.key : "") + " " +
         f.value + " " + f.message;
}

void documentChecks(FuzzedDataProvider& in) {
  const std::vector<smObjectDigest> all = digests(in);
  const swde::smTransfer transfer =
      in.ConsumeBool() ? swde::smTransfer::kUpdate : swde::smTransfer::kDeclared;
  const std::vector<smDocumentFinding> every = run(all, {}, transfer);

  // Codes left out.
  std::vector<swde::smDocumentCode> left;
  for (const swde::smDocumentCode code :
       {swde::dcDuplicateKey, swde::dcDanglingReference, swde::dcPrecinctMismatch,
        swde::dcUnitMismatch, swde::dcAmbiguousReference, swde::dcShareSum, swde::dcShareSumRange,
        swde::dcShareSumAtLeast, swde::dcParcelAreaSum, swde::dcUnitKind, swde::dcUnitPrecincts,
        swde::dcBuildingPrecinct, swde::dcUpdateShareSum}) {
    if (in.ConsumeBool()) {
      left.push_back(code);
    }
  }
  std::vector<std::string> expected;
  for (const smDocumentFinding& f : every) {
    if (std::find(left.begin(), left.end(), f.code) == left.end()) {
      expected.push_back(describe(f, true));
    }
  }
  std::vector<std::string> got;
  for (const smDocumentFinding& f : run(all, left, transfer)) {
    got.push_back(describe(f, true));
  }
  SWDE_FUZZ_CHECK(got == expected);

  // The other order: the same findings, but for which object of a repeated key comes second and
  // which parcel of a register unit sets its precinct.
  const auto settled = [](const std::vector<smDocumentFinding>& findings) {
    std::multiset<std::string> out;
    for (const smDocumentFinding& f : findings) {
      if (f.code == swde::dcUnitPrecincts) {
        continue;
      }
      out.insert(f.code == swde::dcDuplicateKey
                     ? "7001 " + f.typeName + " " + f.value
                     : describe(f, true) + " " + std::to_string(f.objectLine) + " " + f.expected +
                           " " + std::to_string(f.relatedLine));
    }
    return out;
  };
  const std::vector<smObjectDigest> reversed(all.rbegin(), all.rend());
  const std::multiset<std::string> forward = settled(every);
  const std::multiset<std::string> backward = settled(run(reversed, {}, transfer));
  SWDE_FUZZ_CHECK(backward == forward);
  // And any other order: reversing keeps which objects come before a given one and which after,
  // only swapped, so a name kept one way before an object came and another after would pass it.
  std::vector<smObjectDigest> shuffled = all;
  std::minstd_rand random(in.ConsumeIntegral<std::uint32_t>());
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  SWDE_FUZZ_CHECK(settled(run(shuffled, {}, transfer)) == forward);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      tables<swde::SeededHash>(in, 400);
      break;
    case 1:
      tables<OneHash>(in, 400);
      break;
    case 2:
      tables<FourHashes>(in, 400);
      break;
    default:
      documentChecks(in);
      break;
  }
  return 0;
}

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document-level part of the register checks (RegisterChecks.hpp). Objects are named by the
// identities the rest of the document checks resolve (Identities): every relation the checks
// follow keeps a handle to its name, resolved when the document ends, so a relation means the
// same object whether its target came before it or after. What it keeps, sized by how many
// entries there are, never by what they say:
//   - per parcel an entry of 80 bytes, its key in an arena and 8 bytes to find it by its
//     ordinal (parcels come in document order, so that list is sorted as it grows);
//   - per register unit a small entry, its key and two slots (its identities by key and by id);
//   - per subject number a slot and the number;
//   - per land-use part 24 bytes, and 16 per part its parcel lists;
//   - per building or premises related to a register unit or a parcel, a record of what its
//     finding would say.
// Names of record types, relations and attributes are interned.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "swde/document/DocumentInternal.hpp"
#include "swde/document/DocumentTables.hpp"
#include "swde/document/RegisterChecks.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

constexpr std::uint32_t kNoName = ~std::uint32_t{0};
constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max() / 2;

// "w.dddd" of an area in units of 0.0001 ha.
AnsiString areaText(std::int64_t units) {
  AnsiString fraction = std::to_string(units % 10000);
  return std::to_string(units / 10000) + "." + AnsiString(4 - fraction.size(), '0') + fraction;
}

std::string_view bytesOf(const std::uint64_t& identity) {
  return std::string_view(reinterpret_cast<const char*>(&identity), sizeof identity);
}

}  // namespace

struct RegisterState::Data {
  struct Parcel {
    std::int64_t area = 0;
    std::int64_t parts = 0;  // the sum of its parts' areas
    const char* key = nullptr;
    std::uint32_t keySize = 0;
    std::uint32_t type = 0;  // interned
    std::uint32_t objectLine = 0;
    std::uint32_t objectId = 0;
    std::uint32_t areaLine = 0;
    std::uint32_t areaId = 0;
    std::uint32_t areaEntry = kNoName;     // interned
    std::uint32_t precinct = kNoName;      // interned
    std::uint32_t unit = kNoName;          // the handle of its register unit's name
    std::uint32_t unitRelation = kNoName;  // interned, with its location
    std::uint32_t unitLine = 0;
    std::uint32_t unitId = 0;
    bool areaRead = false;
    bool hasParts = false;
    bool partsUnread = false;  // a part without an area read exactly
    bool lists = false;        // it lists its parts
    bool incomplete = false;   // a part it lists is not in the document, or not its own
    std::string_view keyText() const { return {key, keySize}; }
  };
  struct Unit {
    const char* key;
    std::uint32_t keySize;
    std::uint32_t precinct;   // of its first parcel, interned
    std::uint32_t firstLine;  // that parcel's line
    char kind;                // G, B, L; 0: unknown
  };
  // What a finding about an object holding a relation says of it.
  struct Holder {
    const char* key;
    std::uint32_t keySize;
    std::uint32_t type;  // interned
    std::uint32_t objectLine;
    std::uint32_t objectId;
  };
  // A relation of a building or premises to a register unit.
  struct UnitUse {
    Holder holder;
    std::uint32_t later;     // the unit's handle
    std::uint32_t relation;  // interned, with its location
    std::uint32_t line;
    std::uint32_t id;
    char expected;  // the kind the holder needs
  };
  // A land-use part and its parcel.
  struct LatePart {
    std::uint64_t self;  // its identity
    std::int64_t area;
    std::uint32_t later;  // its parcel's handle
    bool areaRead;
  };
  // A building identifier against the parcels the building stands on: its parcels are
  // onParcels[first, first + count).
  struct BuildingCheck {
    Holder holder;
    std::uint32_t keyEntry;  // interned, with its location
    std::uint32_t keyLine;
    std::uint32_t keyId;
    std::uint32_t precinct;  // its own, interned
    std::size_t first;
    std::size_t count;
  };
  struct OnParcel {
    std::uint32_t later;     // the handle of the parcel's name
    std::uint32_t relation;  // interned
  };

  explicit Data(const smDocumentOptions& options) {
    const auto wanted = [&options](smDocumentCode code) { return document::Wanted(options, code); };
    wantAreaSum = wanted(dcParcelAreaSum);
    wantSubject = wanted(dcDuplicateSubject);
    wantKind = wanted(dcUnitKind);
    wantPrecincts = wanted(dcUnitPrecincts);
    wantBuilding = wanted(dcBuildingPrecinct);
  }

  bool wantUnits() const { return wantKind || wantPrecincts; }
  bool wantParcels() const { return wantAreaSum || wantUnits() || wantBuilding; }

  std::uint32_t intern(std::string_view name) { return nameList.intern(name, arena); }
  AnsiString name(std::uint32_t index) const { return AnsiString(nameList.text(index)); }

  // The key of `digest` for as long as the document: the document-level part's copy when it
  // keeps one.
  std::string_view keep(const smObjectDigest& digest, Identities& names) {
    const std::string_view kept = names.keptKey(digest);
    return kept.empty() ? arena.keep(digest.key) : kept;
  }

  Holder holderOf(const smObjectDigest& digest, Identities& names) {
    const std::string_view key = keep(digest, names);
    return Holder{key.data(), static_cast<std::uint32_t>(key.size()), intern(digest.typeName),
                  digest.line, digest.id};
  }

  // The parcel an identity names; kNoName when none, or when two parcels have the id it names.
  std::uint32_t parcelOf(std::uint64_t identity, Identities& names) {
    if (identity == Identities::kNone) {
      return kNoName;
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>>* list = &byOrdinal;
    if (!Identities::IsOrdinal(identity)) {
      if (byId.size() != parcels.size()) {  // made once, at the end: only then are ids named
        byId.clear();
        byId.reserve(parcels.size());  // exactly: a vector that doubles holds twice at its peak
        for (std::uint32_t i = 0; i < parcels.size(); ++i) {
          byId.emplace_back(names.byId(name(parcels[i].type), parcels[i].objectId), i);
        }
        std::sort(byId.begin(), byId.end());
      }
      list = &byId;
    } else if (lastParcel < parcels.size() && lastOrdinal == identity) {
      return lastParcel;  // parts follow their parcel
    }
    const auto it = std::lower_bound(list->begin(), list->end(), std::make_pair(identity, 0u));
    if (it == list->end() || it->first != identity ||
        (std::next(it) != list->end() && std::next(it)->first == identity)) {
      return kNoName;
    }
    return it->second;
  }

  std::uint32_t unitOf(std::uint64_t identity) const {
    std::uint32_t index = kNoName;
    return identity != Identities::kNone && unitIndex.lookup(0, bytesOf(identity), index) &&
                   twice.count(identity) == 0
               ? index
               : kNoName;
  }

  void addParcel(const smObjectDigest& digest, Identities& names) {
    const smObjectDigest::Register& reg = digest.reg;
    const auto index = static_cast<std::uint32_t>(parcels.size());
    Parcel p;
    const std::string_view key = keep(digest, names);
    p.key = key.data();
    p.keySize = static_cast<std::uint32_t>(key.size());
    p.type = intern(digest.typeName);
    p.objectLine = digest.line;
    p.objectId = digest.id;
    p.areaRead = reg.areaRead;
    p.area = reg.area;
    p.areaLine = reg.areaLine;
    p.areaId = reg.areaId;
    if (reg.areaRead) {
      p.areaEntry = intern(reg.areaEntry);
    }
    if (!reg.precinct.empty()) {
      p.precinct = intern(reg.precinct);
    }
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      const smObjectDigest::Reference& r = digest.references[i];
      if (r.relation == kPartsRelation && wantAreaSum) {
        p.lists = true;
        listedLater.emplace_back(index, names.handle(digest, i));
      } else if (r.relation == kUnitRelation && r.targetType == kUnitType && wantUnits() &&
                 p.unitRelation == kNoName) {
        p.unitRelation = intern(r.relation);
        p.unitLine = r.line;
        p.unitId = r.id;
        p.unit = names.handle(digest, i);
      }
    }
    const std::uint64_t ordinal = names.byKey(digest);
    if (ordinal != Identities::kNone) {
      byOrdinal.emplace_back(ordinal, index);
      lastOrdinal = ordinal;
      lastParcel = index;
    }
    parcels.push_back(p);
  }

  // Adds a part's area to its parcel's sum.
  void addArea(std::uint32_t parcel, bool areaRead, std::int64_t area, std::uint64_t self) {
    Parcel& p = parcels[parcel];
    p.hasParts = true;
    if (!areaRead || p.parts > kMaxUnits - area) {
      p.partsUnread = true;
    } else {
      p.parts += area;
    }
    if (p.lists) {
      owners.emplace_back(self, parcel);
    }
  }

  void addPart(const smObjectDigest& digest, Identities& names) {
    const smObjectDigest::Register& reg = digest.reg;
    if (reg.partOf < 0) {
      return;
    }
    lateParts.push_back(LatePart{names.byId(digest.typeName, digest.id), reg.area,
                                 names.handle(digest, static_cast<std::size_t>(reg.partOf)),
                                 reg.areaRead});
  }

  void addUnit(const smObjectDigest& digest, Identities& names) {
    const auto index = static_cast<std::uint32_t>(units.size());
    const std::string_view key = keep(digest, names);
    units.push_back(
        Unit{key.data(), static_cast<std::uint32_t>(key.size()), kNoName, 0, digest.reg.unitKind});
    for (const std::uint64_t identity :
         {names.byKey(digest), names.byId(digest.typeName, digest.id)}) {
      if (identity != Identities::kNone &&
          !unitIndex.enter(0, bytesOf(identity), index, arena).added) {
        twice.insert(identity);  // an id that two units have names neither, whatever their order
      }
    }
  }

  // 7045 about `holder`'s relation (`relation` at line, id) to `unit`, of kind `expected`.
  void judgeKind(const Holder& holder, std::uint32_t relation, std::uint32_t line, std::uint32_t id,
                 const Unit& unit, char expected, std::vector<smDocumentFinding>& findings) const {
    if (!wantKind || unit.kind == 0 || unit.kind == expected) {
      return;
    }
    const AnsiString type = name(holder.type);
    const AnsiString relationName = name(relation);
    smDocumentFinding finding = MakeEntryFinding(
        dcUnitKind, {type, holder.objectLine, holder.objectId}, relationName, line, id,
        {relationName, type, AnsiString(unit.key, unit.keySize), AnsiString(1, unit.kind),
         AnsiString(1, expected)});
    finding.key = AnsiString(holder.key, holder.keySize);
    finding.value = AnsiString(1, unit.kind);
    finding.expected = AnsiString(1, expected);
    findings.push_back(std::move(finding));
  }

  void useUnits(const smObjectDigest& digest, char expected, Identities& names) {
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      const smObjectDigest::Reference& r = digest.references[i];
      if (r.relation == kUnitRelation && r.targetType == kUnitType) {
        waitingUses.push_back(UnitUse{holderOf(digest, names), names.handle(digest, i),
                                      intern(r.relation), r.line, r.id, expected});
      }
    }
  }

  // 7047: the building identifier's precinct against those of its parcels in `on`.
  void judgeBuilding(const BuildingCheck& b, const OnParcel* on, std::size_t count,
                     Identities& names, std::vector<smDocumentFinding>& findings) {
    const OnParcel* relation = nullptr;
    std::uint32_t other = kNoName;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t parcel = parcelOf(names.resolve(on[i].later), names);
      const std::uint32_t precinct = parcel != kNoName ? parcels[parcel].precinct : kNoName;
      if (precinct == kNoName) {
        continue;
      }
      if (precinct == b.precinct) {
        return;
      }
      if (relation == nullptr) {
        relation = &on[i];
        other = precinct;
      }
    }
    if (relation == nullptr) {
      return;
    }
    const AnsiString type = name(b.holder.type);
    const AnsiString keyEntry = name(b.keyEntry);
    const AnsiString key(b.holder.key, b.holder.keySize);
    smDocumentFinding finding =
        MakeEntryFinding(dcBuildingPrecinct, {type, b.holder.objectLine, b.holder.objectId},
                         keyEntry, b.keyLine, b.keyId, {keyEntry, type, name(relation->relation)});
    finding.key = key;
    finding.value = key;
    finding.expected = name(other);
    findings.push_back(std::move(finding));
  }

  // A relation G5RDZE to what is not a parcel names no parcel, and is passed over.
  void addBuilding(const smObjectDigest& digest, Identities& names) {
    if (digest.reg.precinct.empty()) {
      return;
    }
    const std::size_t first = onParcels.size();
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      const smObjectDigest::Reference& r = digest.references[i];
      if (r.relation == kParcelRelation) {
        onParcels.push_back(OnParcel{names.handle(digest, i), intern(r.relation)});
      }
    }
    if (onParcels.size() != first) {
      buildings.push_back(BuildingCheck{holderOf(digest, names), intern(digest.keyEntry),
                                        digest.keyLine, digest.keyId, intern(digest.reg.precinct),
                                        first, onParcels.size() - first});
    }
  }

  void addSubject(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
    const smObjectDigest::Register& reg = digest.reg;
    if (reg.subject.empty()) {
      return;
    }
    const auto entered =
        subjects.enter(intern(digest.typeName), reg.subject, reg.subjectLine, arena);
    if (entered.added) {
      return;
    }
    smDocumentFinding finding = MakeEntryFinding(
        dcDuplicateSubject, {digest.typeName, digest.line, digest.id}, reg.subjectEntry,
        reg.subjectLine, reg.subjectId,
        {digest.typeName, reg.subjectEntry, reg.subject, std::to_string(entered.value)});
    finding.key = digest.key;
    finding.value = reg.subject;
    finding.relatedLine = entered.value;
    findings.push_back(std::move(finding));
  }

  void finish(bool update, Identities& names, std::vector<smDocumentFinding>& findings) {
    // Parts and the parts parcels list, by the objects their names mean.
    for (const LatePart& part : lateParts) {
      const std::uint32_t parcel = parcelOf(names.resolve(part.later), names);
      if (parcel != kNoName) {
        addArea(parcel, part.areaRead, part.area, part.self);
      }
    }
    for (const auto& [parcel, later] : listedLater) {
      const std::uint64_t part = names.resolve(later);
      if (part == Identities::kNone) {
        parcels[parcel].incomplete = true;
      } else {
        listed.emplace_back(parcel, part);
      }
    }
    // Each part a parcel lists must be in the document and point to that parcel.
    std::sort(owners.begin(), owners.end());
    for (const auto& [parcel, part] : listed) {
      auto it = std::lower_bound(owners.begin(), owners.end(), std::make_pair(part, 0u));
      bool own = false;
      for (; it != owners.end() && it->first == part && !own; ++it) {
        own = it->second == parcel;
      }
      if (!own) {
        parcels[parcel].incomplete = true;
      }
    }
    // Done with the parts: what they took is given back before the building checks take more.
    std::vector<LatePart>().swap(lateParts);
    std::vector<std::pair<std::uint32_t, std::uint32_t>>().swap(listedLater);
    std::vector<std::pair<std::uint64_t, std::uint32_t>>().swap(owners);
    std::vector<std::pair<std::uint32_t, std::uint64_t>>().swap(listed);

    for (std::size_t n = 0; n < parcels.size(); ++n) {
      Parcel& p = parcels[n];
      const AnsiString type = name(p.type);
      const Holder holder{p.key, p.keySize, p.type, p.objectLine, p.objectId};
      if (wantAreaSum && p.areaRead && p.hasParts && !p.partsUnread && !p.incomplete &&
          !(update && !p.lists) && p.parts != p.area) {
        const AnsiString areaEntry = name(p.areaEntry);
        smDocumentFinding finding = MakeEntryFinding(
            dcParcelAreaSum, {type, p.objectLine, p.objectId}, areaEntry, p.areaLine, p.areaId,
            {areaEntry, type, AnsiString(kLandUseType), AnsiString(kParcelRelation)});
        finding.key = AnsiString(p.keyText());
        finding.value = areaText(p.area);
        finding.expected = areaText(p.parts);
        findings.push_back(std::move(finding));
      }
      // Its register unit, in document order: the first parcel of a unit sets its precinct.
      const std::uint32_t u = p.unit != kNoName ? unitOf(names.resolve(p.unit)) : kNoName;
      if (u == kNoName || units[u].kind == 0) {
        continue;
      }
      Unit& unit = units[u];
      if (unit.kind != 'G') {
        judgeKind(holder, p.unitRelation, p.unitLine, p.unitId, unit, 'G', findings);
        continue;
      }
      if (p.precinct == kNoName) {
        continue;
      }
      if (unit.precinct == kNoName) {
        unit.precinct = p.precinct;
        unit.firstLine = p.objectLine;
      } else if (unit.precinct != p.precinct && wantPrecincts) {
        const AnsiString relation = name(p.unitRelation);
        const AnsiString unitPrecinct = name(unit.precinct);
        smDocumentFinding finding = MakeEntryFinding(
            dcUnitPrecincts, {type, p.objectLine, p.objectId}, relation, p.unitLine, p.unitId,
            {type, relation, AnsiString(unit.key, unit.keySize), unitPrecinct,
             std::to_string(unit.firstLine)});
        finding.key = AnsiString(p.keyText());
        finding.value = name(p.precinct);
        finding.expected = unitPrecinct;
        finding.relatedLine = unit.firstLine;
        findings.push_back(std::move(finding));
      }
    }
    for (const UnitUse& use : waitingUses) {
      const std::uint32_t unit = unitOf(names.resolve(use.later));
      if (unit != kNoName) {
        judgeKind(use.holder, use.relation, use.line, use.id, units[unit], use.expected, findings);
      }
    }
    for (const BuildingCheck& b : buildings) {
      judgeBuilding(b, onParcels.data() + b.first, b.count, names, findings);
    }
  }

  bool wantAreaSum = true;
  bool wantSubject = true;
  bool wantKind = true;
  bool wantPrecincts = true;
  bool wantBuilding = true;

  Arena arena;
  NameList nameList;
  std::deque<Parcel> parcels;  // in document order
  // (ordinal, parcel), sorted as parcels come; (identity by id, parcel), made at the end.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byOrdinal;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byId;
  std::uint64_t lastOrdinal = Identities::kNone;
  std::uint32_t lastParcel = kNoName;
  std::deque<Unit> units;
  KeyedTable<> unitIndex;                   // a unit's identities (8 bytes) -> its index in `units`
  std::unordered_set<std::uint64_t> twice;  // identities that two units have
  KeyedTable<> subjects;                    // (record type, number) -> the line of the first
  std::vector<std::pair<std::uint64_t, std::uint32_t>> owners;  // a part's identity, its parcel
  std::vector<std::pair<std::uint32_t, std::uint64_t>> listed;  // a parcel, a part it lists
  std::vector<std::pair<std::uint32_t, std::uint32_t>> listedLater;  // ... by a handle
  std::vector<LatePart> lateParts;
  std::deque<UnitUse> waitingUses;
  std::deque<BuildingCheck> buildings;
  std::vector<OnParcel> onParcels;
};

RegisterState::RegisterState(const smDocumentOptions& options)
    : data_(std::make_unique<Data>(options)), fixed_(options.transfer) {}

RegisterState::~RegisterState() = default;

bool RegisterState::resolves() const {
  return data_->wantParcels();
}

smTransfer RegisterState::transfer() const {
  if (fixed_ != smTransfer::kDeclared) {
    return fixed_;
  }
  return declared_ == smTransfer::kUpdate ? smTransfer::kUpdate : smTransfer::kFull;
}

void RegisterState::add(const smObjectDigest& digest, Identities& names,
                        std::vector<smDocumentFinding>& findings) {
  if (!digest.checked) {
    return;
  }
  Data& d = *data_;
  switch (static_cast<RegisterRole>(digest.reg.role)) {
    case RegisterRole::kParcel:
      if (d.wantParcels()) {
        d.addParcel(digest, names);
      }
      break;
    case RegisterRole::kLandUse:
      if (d.wantAreaSum) {
        d.addPart(digest, names);
      }
      break;
    case RegisterRole::kBuilding:
      if (d.wantKind) {
        d.useUnits(digest, 'B', names);
      }
      if (d.wantBuilding) {
        d.addBuilding(digest, names);
      }
      break;
    case RegisterRole::kPremises:
      if (d.wantKind) {
        d.useUnits(digest, 'L', names);
      }
      break;
    case RegisterRole::kUnit:
      if (d.wantUnits()) {
        d.addUnit(digest, names);
      }
      break;
    case RegisterRole::kPerson:
    case RegisterRole::kInstitution:
      if (d.wantSubject) {
        d.addSubject(digest, findings);
      }
      break;
    case RegisterRole::kNone:
      break;
  }
}

void RegisterState::finish(Identities& names, std::vector<smDocumentFinding>& findings) {
  data_->finish(update(), names, findings);
}

}  // namespace document

void smDocumentChecks::declareTransfer(smTransfer kind) {
  register_->declare(kind);
}

smTransfer smDocumentChecks::transfer() const {
  return register_->transfer();
}

}  // namespace swde

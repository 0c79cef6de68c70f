// swde — semantic checks of SWDE cadastral exchange objects.
//
// The register checks: the consistency of the register that a transfer carries.
//
//   - Areas (G5PEW, in hectares) of parcels and of their land-use parts are read exactly, in
//     units of 0.0001 ha (never as floating point). A parcel's area is above zero (7040); an
//     area given finer than 0.0001 ha is a warning (7041); a parcel's area is the sum of the
//     areas of its land-use parts (7042) when all its parts are in the document: every part the
//     parcel lists (inverse G5RKLU) is in it and points to it, and in an update transfer the
//     parcel lists its parts (in a full transfer, the parts present are all of them).
//   - Subjects: a PESEL (REGON) names one person (institution): repeated among the objects of a
//     record type, it is reported at the second (7044). A share is above zero (7043).
//   - Register units (G5JDR, of the kind G5TJR): a parcel is in a land register unit (G), a
//     building in a building unit (B), premises in a premises unit (L) (7045); the parcels of
//     one land register unit lie in one precinct, that of the first of them (7046); a building
//     identifier begins with the commune and precinct of a parcel it stands on (7047, warning).
//
// The record types are known by name (G5KLU, G5BUD and its variants, G5LKL, G5JDR) or by the
// schema's marks (parcels: a key marked parcel-id; persons and institutions: an attribute marked
// pesel or regon). A value that the catalogue or the value checks already report (a malformed
// or negative number, a share that is not a proper fraction) is not judged again here.
//
// Memory per document: per parcel an entry of 56 bytes, its key and a hash slot of 8; per
// land-use part 8 bytes; per register unit and per subject number a small entry; and the
// relations to register units that came before their unit.
#include "swde/checks/DocumentRegister.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>

#include "swde/checks/DocumentInternal.hpp"
#include "swde/checks/ValueForms.hpp"
#include "swde/platform/Bytes.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {

namespace document {
namespace {

// The national names the checks know.
const AnsiString kAreaCode = "G5PEW";         // an area in hectares
const AnsiString kLandUseType = "G5KLU";      // a land-use part of a parcel
const AnsiString kParcelRelation = "G5RDZE";  // of a land-use part or a building: its parcel
const AnsiString kPartsRelation = "G5RKLU";   // of a parcel: its land-use parts (inverse)
const AnsiString kUnitType = "G5JDR";         // a register unit
const AnsiString kUnitKindCode = "G5TJR";     // its kind: G land, B buildings, L premises
const AnsiString kUnitRelation = "G5RJDR";    // of a parcel, building or premises: its unit
const AnsiString kShareCode = "G5UD";
constexpr std::string_view kBuildingTypes[] = {"G5BUD", "G5O_BUD", "G5G_BUD"};
constexpr std::string_view kPremisesType = "G5LKL";
// The record types whose G5UD the catalogue judges as a proper fraction (6017).
constexpr std::string_view kProperShareTypes[] = {"G5UDZ", "G5UDW", "G5UDD", "G5PDZ", "G5JRZ"};

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr int kAreaDecimals = 4;
constexpr std::size_t kMaxWholeDigits = 14;  // 10^14 ha in units of 0.0001 ha fit in 63 bits
constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max() / 2;

// The object's first attribute of `code`: looked up by name first (a name is its code unless the
// document gives a field_name), which is a lookup in the object's map, not a walk.
const smAttribute* attributeOf(const smObject& object, const AnsiString& code) {
  const smAttribute* named = object.getAttribute(code);
  return named != nullptr && named->code == code ? named : object.getAttributeByCode(code);
}

template <std::size_t N>
bool isOneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// An area as the register checks read it.
struct AreaReading {
  enum Kind { kUnread, kTooFine, kRead } kind = kUnread;
  std::int64_t units = 0;  // of 0.0001 ha
};

// The number as the catalogue reads a real number (blanks left out, the rest a decimal number),
// read exactly. Unread: a value the catalogue rejects or with ";" (its own finding), a negative
// one (7014), one with an exponent, one beyond 10^14 ha. Trailing zeros of the fraction do not
// count as decimals: 1.50000 is 1.5000.
AreaReading readArea(std::string_view value) {
  if (value.find(';') != std::string_view::npos) {
    return {};
  }
  std::string compact;  // the value without blanks, made only when it has some
  std::string_view text = value;
  if (value.find(' ') != std::string_view::npos) {
    for (const char c : value) {
      if (c != ' ') {
        compact.push_back(c);
      }
    }
    text = compact;
  }
  if (text.empty() || DecimalNumberLength(text) != text.size()) {
    return {};
  }
  std::string_view number = TrimView(text);
  if (number.empty() || number.find_first_of("eE") != std::string_view::npos) {
    return {};
  }
  const bool negative = number.front() == '-';
  if (number.front() == '-' || number.front() == '+') {
    number.remove_prefix(1);
  }
  const std::size_t point = number.find('.');
  std::string_view whole = number.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
  while (!whole.empty() && whole.front() == '0') {
    whole.remove_prefix(1);
  }
  while (!fraction.empty() && fraction.back() == '0') {
    fraction.remove_suffix(1);
  }
  if (negative && (!whole.empty() || !fraction.empty())) {
    return {};
  }
  if (fraction.size() > static_cast<std::size_t>(kAreaDecimals)) {
    return {AreaReading::kTooFine, 0};
  }
  if (whole.size() > kMaxWholeDigits) {
    return {};
  }
  std::int64_t units = 0;
  for (const char c : whole) {
    units = units * 10 + (c - '0');
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(kAreaDecimals); ++i) {
    units = units * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  }
  return {AreaReading::kRead, units};
}

// "w.dddd" of an area in units of 0.0001 ha.
AnsiString areaText(std::int64_t units) {
  AnsiString fraction = std::to_string(units % 10000);
  return std::to_string(units / 10000) + "." + AnsiString(4 - fraction.size(), '0') + fraction;
}

// An object id written in a DEST_OBJECT name: decimal digits of an unsigned 32-bit number.
bool readId(std::string_view text, std::uint32_t& id) {
  if (!IsDigits(text) || text.size() > 10) {
    return false;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  id = static_cast<std::uint32_t>(value);
  return value <= 0xFFFFFFFFull;
}

// Bytes that live as long as the document, in blocks that never move.
class Arena {
 public:
  std::string_view keep(std::string_view text) {
    if (text.empty()) {
      return {};
    }
    if (text.size() > room_) {
      const std::size_t block = std::max(kBlock, text.size());
      blocks_.push_back(std::make_unique<char[]>(block));
      next_ = blocks_.back().get();
      room_ = block;
    }
    char* start = next_;
    std::memcpy(start, text.data(), text.size());
    next_ += text.size();
    room_ -= text.size();
    return std::string_view(start, text.size());
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 16;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
};

// Items in blocks of 4096 that never move: no reallocation peak, few allocations.
template <typename Item>
class Blocks {
 public:
  void push_back(Item item) {
    if ((size_ & kMask) == 0) {
      blocks_.push_back(std::make_unique<Item[]>(kMask + 1));
    }
    blocks_.back()[size_ & kMask] = std::move(item);
    ++size_;
  }
  std::size_t size() const { return size_; }
  Item& operator[](std::size_t n) { return blocks_[n >> kShift][n & kMask]; }
  const Item& operator[](std::size_t n) const { return blocks_[n >> kShift][n & kMask]; }

 private:
  static constexpr std::size_t kShift = 12;
  static constexpr std::size_t kMask = (std::size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<Item[]>> blocks_;
  std::size_t size_ = 0;
};

// (group, text) -> an entry with `Data`, numbered densely in order of entry. The entries sit in
// blocks that never move, their texts in an arena; the table holds a 32-bit hash and the
// entry's number, 8 bytes a slot.
template <typename Data>
class TextTable {
 public:
  // The number of (group, text), entered now when new (`added` true).
  std::uint32_t enter(std::uint32_t group, std::string_view text, bool& added) {
    if ((items_.size() + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const std::uint32_t hash = hashOf(group, text);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    for (; slots_[i].number != 0; i = (i + 1) & mask) {
      const Item& item = items_[slots_[i].number - 1];
      if (slots_[i].hash == hash && item.group == group &&
          std::string_view(item.text, item.size) == text) {
        added = false;
        return slots_[i].number - 1;
      }
    }
    const std::string_view kept = arena_.keep(text);
    items_.push_back(Item{kept.data(), static_cast<std::uint32_t>(kept.size()), group, Data{}});
    slots_[i] = Slot{hash, static_cast<std::uint32_t>(items_.size())};
    added = true;
    return static_cast<std::uint32_t>(items_.size() - 1);
  }

  std::uint32_t size() const { return static_cast<std::uint32_t>(items_.size()); }
  Data& at(std::uint32_t n) { return items_[n].data; }
  const Data& at(std::uint32_t n) const { return items_[n].data; }
  std::string_view text(std::uint32_t n) const { return {items_[n].text, items_[n].size}; }
  std::uint32_t group(std::uint32_t n) const { return items_[n].group; }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t number = 0;  // the entry's number + 1; 0: an empty slot
  };
  struct Item {
    const char* text = nullptr;
    std::uint32_t size = 0;
    std::uint32_t group = 0;
    Data data{};
  };

  static std::uint32_t hashOf(std::uint32_t group, std::string_view text) {
    const std::uint64_t hash = Fnv1a(text, kFnv1aOffset ^ group);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.number != 0) {
        std::size_t i = slot.hash & mask;
        while (slots_[i].number != 0) {
          i = (i + 1) & mask;
        }
        slots_[i] = slot;
      }
    }
  }

  std::vector<Slot> slots_;
  Blocks<Item> items_;
  Arena arena_;
};

}  // namespace

std::string_view PrecinctOf(std::string_view id) {
  // "WWPPGG_R.OOOO." at the start: the commune has 8 characters, the precinct 4.
  const std::string_view text = TrimView(id);
  if (text.size() < 14 || text[8] != '.' || text[13] != '.' ||
      JudgeIdentifier(ValueCheck::kTeryt, text.substr(0, 8), nullptr) ||
      JudgeIdentifier(ValueCheck::kPrecinct, text.substr(9, 4), nullptr)) {
    return {};
  }
  return text.substr(0, 13);
}

RegisterType RegisterTypeOf(const Metadata* annex, const RecordType& type, ValueCheck keyCheck) {
  RegisterType out;
  const std::string_view name = type.name;
  if (keyCheck == ValueCheck::kParcelId) {
    out.role = RegisterRole::kParcel;
  } else if (name == kLandUseType) {
    out.role = RegisterRole::kLandUse;
    out.parcel = type.getReference(kParcelRelation);
  } else if (isOneOf(name, kBuildingTypes)) {
    out.role = RegisterRole::kBuilding;
    out.parcel = type.getReference(kParcelRelation);
  } else if (name == kPremisesType) {
    out.role = RegisterRole::kPremises;
  } else if (name == kUnitType) {
    out.role = RegisterRole::kUnit;
  } else if (annex != nullptr && annex->attribsSection != nullptr) {
    for (const auto& decl : annex->attribsSection->declarations()) {
      if (decl->check != ValueCheck::kPesel && decl->check != ValueCheck::kRegon) {
        continue;
      }
      if (const AttributeDef* def = type.getAttribute(decl->name)) {
        out.role =
            decl->check == ValueCheck::kPesel ? RegisterRole::kPerson : RegisterRole::kInstitution;
        out.subjectCode = def->code;
        break;
      }
    }
  }
  return out;
}

void CheckRegisterObject(const RegisterType& type, const smObject& object, smObjectDigest& digest,
                         std::vector<smDocumentFinding>& findings) {
  smObjectDigest::Register& reg = digest.reg;
  reg.role = static_cast<std::uint8_t>(type.role);
  const Subject subject{object.typeName, object.line, object.id};
  auto entryFinding = [&](smDocumentCode code, const smAttribute& attribute,
                          const AnsiString& expected) {
    smDocumentFinding finding = MakeEntryFinding(code, subject, attribute.name, attribute.line,
                                                 attribute.id, {attribute.name, object.typeName});
    finding.value = attribute.value;
    finding.expected = expected;
    findings.push_back(std::move(finding));
  };

  switch (type.role) {
    case RegisterRole::kParcel:
    case RegisterRole::kLandUse: {
      if (type.role == RegisterRole::kParcel) {
        reg.precinct = AnsiString(PrecinctOf(digest.parcelValue));
      }
      // A part's parcel, through a relation to a record type the schema admits (another is the
      // catalogue's 6010).
      for (std::size_t i = 0; i < digest.references.size() && type.parcel != nullptr; ++i) {
        const smObjectDigest::Reference& r = digest.references[i];
        if (r.relation == kParcelRelation) {
          if (type.parcel->isRefTypeNamePresent(r.targetType)) {
            reg.partOf = static_cast<std::int32_t>(i);
          }
          break;
        }
      }
      const smAttribute* area = attributeOf(object, kAreaCode);
      if (area == nullptr) {
        break;
      }
      const AreaReading reading = readArea(area->value);
      if (reading.kind == AreaReading::kTooFine) {
        entryFinding(dcAreaPrecision, *area, "0.0001 ha");
      } else if (reading.kind == AreaReading::kRead) {
        if (reading.units == 0 && type.role == RegisterRole::kParcel) {
          entryFinding(dcParcelAreaZero, *area, "> 0");
          break;
        }
        reg.areaRead = true;
        reg.area = reading.units;
        reg.areaLine = area->line;
        reg.areaId = area->id;
        reg.areaEntry = area->name;
      }
      break;
    }
    case RegisterRole::kBuilding: {
      // The building identifier against the precincts of the parcels it stands on.
      const std::string_view own = PrecinctOf(digest.key);
      std::string_view other;
      bool matched = own.empty();
      const smObjectDigest::Reference* relation = nullptr;
      for (const smObjectDigest::Reference& r : digest.references) {
        const bool onParcel = r.relation == kParcelRelation && type.parcel != nullptr &&
                              type.parcel->isRefTypeNamePresent(r.targetType);
        const std::string_view precinct = onParcel ? PrecinctOf(r.target) : std::string_view();
        if (precinct.empty() || matched) {
          continue;
        }
        matched = precinct == own;
        if (relation == nullptr) {
          relation = &r;
          other = precinct;
        }
      }
      if (!matched && relation != nullptr) {
        smDocumentFinding finding =
            MakeEntryFinding(dcBuildingPrecinct, subject, digest.keyEntry, digest.keyLine,
                             digest.keyId, {digest.keyEntry, object.typeName, relation->relation});
        finding.value = digest.key;
        finding.expected = AnsiString(other);
        findings.push_back(std::move(finding));
      }
      break;
    }
    case RegisterRole::kUnit:
      if (const smAttribute* kind = attributeOf(object, kUnitKindCode)) {
        const std::string_view value = TrimView(kind->value);
        if (value == "G" || value == "B" || value == "L") {
          reg.unitKind = value.front();
        }
      }
      break;
    case RegisterRole::kPerson:
    case RegisterRole::kInstitution:
      if (const smAttribute* number = attributeOf(object, type.subjectCode)) {
        reg.subject = AnsiString(TrimView(number->value));
        reg.subjectEntry = number->name;
        reg.subjectLine = number->line;
        reg.subjectId = number->id;
      }
      break;
    case RegisterRole::kPremises:
    case RegisterRole::kNone:
      break;
  }

  // Shares of zero, once per attribute; a G5UD of a share record that is not a proper fraction
  // ("0") is the catalogue's 6017.
  const smAttribute* reported = nullptr;
  for (const smObjectDigest::Share& share : digest.shares) {
    if (!share.readable || share.numerator != 0) {
      continue;
    }
    const smAttribute* attribute = attributeOf(object, share.attribute);
    if (attribute == nullptr || attribute == reported ||
        (attribute->code == kShareCode && isOneOf(object.typeName, kProperShareTypes) &&
         !checks::ReadFraction(attribute->value).proper)) {
      continue;
    }
    reported = attribute;
    entryFinding(dcZeroShare, *attribute, "> 0");
  }
}

// --- The document-level part

struct RegisterState::Data {
  struct Parcel {
    std::int64_t area = 0;
    std::int64_t parts = 0;  // the sum of its parts' areas
    std::uint32_t objectLine = 0;
    std::uint32_t objectId = 0;
    std::uint32_t areaLine = 0;
    std::uint32_t areaId = 0;
    std::uint32_t areaEntry = 0;  // interned
    // Bit-fields, zero as every Parcel is value-initialized (TextTable's entries are).
    bool seen : 1;      // the parcel itself came
    bool repeated : 1;  // and came again (7001): not judged
    bool areaRead : 1;
    bool hasParts : 1;
    bool partsUnread : 1;  // a part without an area read exactly
    bool lists : 1;        // it lists its parts
    bool incomplete : 1;   // a part it lists is not in the document, or not its own
  };
  struct Unit {
    std::uint32_t precinct = kNone;  // of its first parcel, interned
    std::uint32_t firstLine = 0;     // that parcel's line
    char kind = 0;                   // G, B, L; 0: unknown
    bool seen = false;
  };
  // A relation to a register unit, judged when the unit is known.
  struct UnitUse {
    std::uint32_t unit;
    std::uint32_t type;      // of the holder, interned (when it waits)
    std::uint32_t relation;  // interned (when it waits)
    std::uint32_t objectLine;
    std::uint32_t objectId;
    std::uint32_t line;
    std::uint32_t id;
    char expected;                // the kind the holder needs
    std::uint32_t precinct;       // a parcel in another precinct than the unit's first parcel
    std::uint32_t unitPrecinct;   // and that one's
    std::uint32_t unitFirstLine;  // with its line; precinct kNone: nothing to say
    std::string_view key;         // the holder's
  };

  // The number of `name`; the last few names asked for are compared before the map is hashed.
  std::uint32_t intern(const AnsiString& name) {
    for (const std::uint32_t recent : recentNames) {
      if (recent != kNone && *nameList[recent] == name) {
        return recent;
      }
    }
    auto found = names.find(name);
    if (found == names.end()) {
      found = names.emplace(name, static_cast<std::uint32_t>(nameList.size())).first;
      nameList.push_back(&found->first);
    }
    recentNames[nextRecent++ % recentNames.size()] = found->second;
    return found->second;
  }
  const AnsiString& name(std::uint32_t n) const { return *nameList[n]; }

  void addParcel(const smObjectDigest& digest) {
    if (digest.key.empty()) {
      return;
    }
    bool added = false;
    const std::uint32_t n = lastParcel = parcels.enter(intern(digest.typeName), digest.key, added);
    Parcel& p = parcels.at(n);
    if (p.seen) {
      p.repeated = true;
      return;
    }
    p.seen = true;
    p.objectLine = digest.line;
    p.objectId = digest.id;
    p.areaRead = digest.reg.areaRead;
    p.area = digest.reg.area;
    p.areaLine = digest.reg.areaLine;
    p.areaId = digest.reg.areaId;
    p.areaEntry = intern(digest.reg.areaEntry);
    for (const smObjectDigest::Reference& r : digest.references) {
      if (r.relation != kPartsRelation) {
        continue;
      }
      p.lists = true;
      std::uint32_t id = 0;
      if (readId(r.target, id)) {
        listed.emplace_back(n, id);
      } else {
        p.incomplete = true;
      }
    }
  }

  void addPart(const smObjectDigest& digest) {
    std::uint32_t owner = kNone;
    if (digest.reg.partOf >= 0) {
      // Parts mostly follow their parcel: the last one entered is looked at first.
      const smObjectDigest::Reference& r =
          digest.references[static_cast<std::size_t>(digest.reg.partOf)];
      if (lastParcel != kNone && parcels.text(lastParcel) == r.target &&
          name(parcels.group(lastParcel)) == r.targetType) {
        owner = lastParcel;
      } else {
        bool added = false;
        owner = lastParcel = parcels.enter(intern(r.targetType), r.target, added);
      }
    }
    owners.emplace_back(digest.id, owner);
    if (owner == kNone) {
      return;
    }
    Parcel& p = parcels.at(owner);
    p.hasParts = true;
    if (!digest.reg.areaRead || p.parts > kMaxUnits - digest.reg.area) {
      p.partsUnread = true;
    } else {
      p.parts += digest.reg.area;
    }
  }

  void addUnit(const smObjectDigest& digest) {
    if (digest.key.empty()) {
      return;
    }
    bool added = false;
    Unit& unit = units.at(units.enter(intern(digest.typeName), digest.key, added));
    if (!unit.seen) {  // a repeated key (7001): the first one counts
      unit.seen = true;
      unit.kind = digest.reg.unitKind;
    }
  }

  void useUnits(const smObjectDigest& digest, char expected,
                std::vector<smDocumentFinding>& findings) {
    for (const smObjectDigest::Reference& r : digest.references) {
      if (r.relation != kUnitRelation || r.targetType != kUnitType) {
        continue;
      }
      if (unitGroup == kNone) {
        unitGroup = intern(kUnitType);
      }
      bool added = false;
      if (lastUnit == kNone || units.text(lastUnit) != r.target) {
        lastUnit = units.enter(unitGroup, r.target, added);
      }
      const std::uint32_t u = lastUnit;
      Unit& unit = units.at(u);
      // The names are interned only for a relation that waits for its unit.
      UnitUse use{u,    kNone,    kNone, digest.line, digest.id, r.line,
                  r.id, expected, kNone, kNone,       0,         digest.key};
      if (expected == 'G' && !digest.reg.precinct.empty() &&
          (unit.precinct == kNone || precincts.text(unit.precinct) != digest.reg.precinct)) {
        const std::uint32_t precinct = precincts.enter(0, digest.reg.precinct, added);
        if (unit.precinct == kNone) {
          unit.precinct = precinct;
          unit.firstLine = digest.line;
        } else if (unit.precinct != precinct) {
          use.precinct = precinct;
          use.unitPrecinct = unit.precinct;
          use.unitFirstLine = unit.firstLine;
        }
      }
      if (unit.seen) {
        judge(use, digest.typeName, r.relation, findings);
      } else {
        use.type = intern(digest.typeName);
        use.relation = intern(r.relation);
        use.key = arena.keep(use.key);
        pending.push_back(use);
      }
    }
  }

  // Judges `use` of a holder of record type `type` through `relation` against its unit.
  void judge(const UnitUse& use, const AnsiString& type, const AnsiString& relation,
             std::vector<smDocumentFinding>& findings) const {
    const Unit& unit = units.at(use.unit);
    if (unit.kind == 0 || (unit.kind == use.expected && use.precinct == kNone)) {
      return;
    }
    const Subject holder{type, use.objectLine, use.objectId};
    const AnsiString unitKey(units.text(use.unit));
    smDocumentFinding finding;
    if (unit.kind != use.expected) {
      finding = MakeEntryFinding(
          dcUnitKind, holder, relation, use.line, use.id,
          {relation, type, unitKey, AnsiString(1, unit.kind), AnsiString(1, use.expected)});
      finding.value = AnsiString(1, unit.kind);
      finding.expected = AnsiString(1, use.expected);
    } else {
      const AnsiString unitPrecinct(precincts.text(use.unitPrecinct));
      finding = MakeEntryFinding(
          dcUnitPrecincts, holder, relation, use.line, use.id,
          {type, relation, unitKey, unitPrecinct, std::to_string(use.unitFirstLine)});
      finding.value = AnsiString(precincts.text(use.precinct));
      finding.expected = unitPrecinct;
      finding.relatedLine = use.unitFirstLine;
    }
    finding.key = AnsiString(use.key);
    findings.push_back(std::move(finding));
  }

  void addSubject(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
    const smObjectDigest::Register& reg = digest.reg;
    if (reg.subject.empty()) {
      return;
    }
    bool added = false;
    std::uint32_t& firstLine =
        subjects.at(subjects.enter(intern(digest.typeName), reg.subject, added));
    if (added) {
      firstLine = reg.subjectLine;
      return;
    }
    smDocumentFinding finding = MakeEntryFinding(
        dcDuplicateSubject, {digest.typeName, digest.line, digest.id}, reg.subjectEntry,
        reg.subjectLine, reg.subjectId,
        {digest.typeName, reg.subjectEntry, reg.subject, std::to_string(firstLine)});
    finding.key = digest.key;
    finding.value = reg.subject;
    finding.relatedLine = firstLine;
    findings.push_back(std::move(finding));
  }

  void finish(bool update, std::vector<smDocumentFinding>& findings) {
    // Each part a parcel lists must be in the document and point to that parcel.
    std::sort(owners.begin(), owners.end());
    for (const auto& [parcel, id] : listed) {
      const auto first = std::lower_bound(owners.begin(), owners.end(), std::make_pair(id, 0u));
      bool own = false;
      for (auto it = first; it != owners.end() && it->first == id && !own; ++it) {
        own = it->second == parcel;
      }
      if (!own) {
        parcels.at(parcel).incomplete = true;
      }
    }
    for (std::uint32_t n = 0; n < parcels.size(); ++n) {
      const Parcel& p = parcels.at(n);
      if (!p.seen || p.repeated || !p.areaRead || !p.hasParts || p.partsUnread || p.incomplete ||
          (update && !p.lists) || p.parts == p.area) {
        continue;
      }
      const AnsiString& type = name(parcels.group(n));
      smDocumentFinding finding = MakeEntryFinding(
          dcParcelAreaSum, {type, p.objectLine, p.objectId}, name(p.areaEntry), p.areaLine,
          p.areaId, {name(p.areaEntry), type, kLandUseType, kParcelRelation});
      finding.key = AnsiString(parcels.text(n));
      finding.value = areaText(p.area);
      finding.expected = areaText(p.parts);
      findings.push_back(std::move(finding));
    }
    for (const UnitUse& use : pending) {
      if (units.at(use.unit).seen) {
        judge(use, name(use.type), name(use.relation), findings);
      }
    }
  }

  std::uint32_t unitGroup = kNone;   // the register units' record type, interned
  std::uint32_t lastParcel = kNone;  // the parcel entered or looked up last
  std::uint32_t lastUnit = kNone;    // the register unit looked up last
  std::unordered_map<AnsiString, std::uint32_t> names;
  std::array<std::uint32_t, 4> recentNames{kNone, kNone, kNone, kNone};
  std::size_t nextRecent = 0;
  std::vector<const AnsiString*> nameList;
  Arena arena;
  TextTable<Parcel> parcels;          // by (record type, key)
  TextTable<Unit> units;              // by (record type, key)
  TextTable<char> precincts;          // "WWPPGG_R.OOOO"
  TextTable<std::uint32_t> subjects;  // by (record type, number): the line of the first
  std::vector<std::pair<std::uint32_t, std::uint32_t>> owners;  // land-use part id, its parcel
  std::vector<std::pair<std::uint32_t, std::uint32_t>> listed;  // parcel, a part id it lists
  std::vector<UnitUse> pending;                                 // relations to units not come yet
};

RegisterState::RegisterState(smTransfer transfer)
    : data_(std::make_unique<Data>()), fixed_(transfer) {}

RegisterState::~RegisterState() = default;

void RegisterState::declare(smTransfer kind) {
  declared_ = kind;
}

smTransfer RegisterState::transfer() const {
  if (fixed_ != smTransfer::kDeclared) {
    return fixed_;
  }
  return declared_ == smTransfer::kUpdate ? smTransfer::kUpdate : smTransfer::kFull;
}

void RegisterState::add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
  if (!digest.checked) {
    return;
  }
  Data& d = *data_;
  switch (static_cast<RegisterRole>(digest.reg.role)) {
    case RegisterRole::kParcel:
      d.addParcel(digest);
      d.useUnits(digest, 'G', findings);
      break;
    case RegisterRole::kLandUse:
      d.addPart(digest);
      break;
    case RegisterRole::kBuilding:
      d.useUnits(digest, 'B', findings);
      break;
    case RegisterRole::kPremises:
      d.useUnits(digest, 'L', findings);
      break;
    case RegisterRole::kUnit:
      d.addUnit(digest);
      break;
    case RegisterRole::kPerson:
    case RegisterRole::kInstitution:
      d.addSubject(digest, findings);
      break;
    case RegisterRole::kNone:
      break;
  }
}

void RegisterState::finish(std::vector<smDocumentFinding>& findings) {
  data_->finish(update(), findings);
}

}  // namespace document

void smDocumentChecks::declareTransfer(smTransfer kind) {
  register_->declare(kind);
}

smTransfer smDocumentChecks::transfer() const {
  return register_->transfer();
}

}  // namespace swde

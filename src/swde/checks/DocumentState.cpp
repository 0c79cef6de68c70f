// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document-level part of the document checks. What it keeps grows with the document, so it
// keeps little and keeps it compactly:
//   - per key (record type, key value): a 16-byte slot of an open-addressing table, and the text
//     with its type and first line in an arena of large blocks;
//   - per object of a type without key: one bit of a bitmap of its type, indexed by id (ids
//     beyond 2^24 go to a hash set, so a stray huge id costs no huge bitmap);
//   - the references whose target has not come yet (a reference to an earlier object is settled
//     at once and forgotten), their names interned and their texts in the arena;
//   - one running sum per share group.
// Findings about the end of the document are sorted by line, then code, then order of arrival.
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"
#include "swde/checks/DocumentRegister.hpp"  // the register checks
#include "swde/platform/Bytes.hpp"

namespace SWDE_API swde {
namespace {

std::uint64_t hashOf(std::uint32_t type, std::string_view text) {
  const std::uint64_t hash = Fnv1a(text, kFnv1aOffset ^ type);
  return hash ^ (hash >> 29);
}

// Bytes that live as long as the document, in blocks that never move.
class Arena {
 public:
  // Room for `size` bytes.
  char* allocate(std::size_t size) {
    if (size > room_) {
      const std::size_t block = std::max(kBlock, size);
      blocks_.push_back(std::make_unique<char[]>(block));
      next_ = blocks_.back().get();
      room_ = block;
    }
    char* start = next_;
    next_ += size;
    room_ -= size;
    return start;
  }

  std::string_view keep(std::string_view text) {
    if (text.empty()) {
      return {};
    }
    char* start = allocate(text.size());
    std::memcpy(start, text.data(), text.size());
    return std::string_view(start, text.size());
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
};

// (record type, key value) -> line of the first occurrence. Each key is one arena entry
// {type, line, size, text}; the table holds its hash and address, 16 bytes a slot.
class KeyTable {
 public:
  // False after entering the key now with `line`; true when it was entered before, with
  // `firstLine` set to the line it was entered with.
  bool enter(std::uint32_t type, std::string_view key, std::uint32_t line, Arena& arena,
             std::uint32_t& firstLine) {
    if ((count_ + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const std::uint64_t hash = hashOf(type, key);
    Slot& slot = slots_[find(hash, type, key)];
    if (slot.entry != nullptr) {
      std::memcpy(&firstLine, slot.entry + sizeof(std::uint32_t), sizeof firstLine);
      return true;
    }
    const std::uint32_t header[] = {type, line, static_cast<std::uint32_t>(key.size())};
    char* entry = arena.allocate(sizeof header + key.size());
    std::memcpy(entry, header, sizeof header);
    std::memcpy(entry + sizeof header, key.data(), key.size());
    slot = Slot{hash, entry};
    ++count_;
    return false;
  }

  bool contains(std::uint32_t type, std::string_view key) const {
    return count_ != 0 && slots_[find(hashOf(type, key), type, key)].entry != nullptr;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    const char* entry = nullptr;  // null: an empty slot
  };

  static bool same(const char* entry, std::uint32_t type, std::string_view key) {
    std::uint32_t header[3];
    std::memcpy(header, entry, sizeof header);
    return header[0] == type && header[2] == key.size() &&
           std::memcmp(entry + sizeof header, key.data(), key.size()) == 0;
  }

  // The slot holding the key, or the empty slot where it would go.
  std::size_t find(std::uint64_t hash, std::uint32_t type, std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.entry == nullptr || (slot.hash == hash && same(slot.entry, type, key))) {
        return i;
      }
    }
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.entry != nullptr) {
        std::size_t i = static_cast<std::size_t>(slot.hash) & mask;
        while (slots_[i].entry != nullptr) {
          i = (i + 1) & mask;
        }
        slots_[i] = slot;
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// (record type, id) pairs. Ids are mostly the ordinals of the objects, so a bitmap per record
// type is dense and is filled in order.
class IdTable {
 public:
  void insert(std::uint32_t type, std::uint32_t id) {
    if (id >= kDense) {
      sparse_.insert(std::uint64_t{type} << 32 | id);
      return;
    }
    if (bits_.size() <= type) {
      bits_.resize(type + 1);
    }
    std::vector<std::uint64_t>& bits = bits_[type];
    if (bits.size() <= id / 64) {
      bits.resize(id / 64 + 1);
    }
    bits[id / 64] |= std::uint64_t{1} << (id % 64);
  }

  bool contains(std::uint32_t type, std::uint32_t id) const {
    if (id >= kDense) {
      return sparse_.count(std::uint64_t{type} << 32 | id) != 0;
    }
    return type < bits_.size() && id / 64 < bits_[type].size() &&
           (bits_[type][id / 64] >> (id % 64) & 1) != 0;
  }

 private:
  static constexpr std::uint32_t kDense = std::uint32_t{1} << 24;  // 2 MiB of bits at most
  std::vector<std::vector<std::uint64_t>> bits_;
  std::unordered_set<std::uint64_t> sparse_;
};

// An object id written in a DEST_OBJECT name: decimal digits of an unsigned 32-bit number.
bool readId(std::string_view text, std::uint32_t& id) {
  if (!document::IsDigits(text) || text.size() > 10) {
    return false;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  id = static_cast<std::uint32_t>(value);
  return value <= 0xFFFFFFFFull;
}

// The parts of a share group's name: type, relation, attribute, target type, target.
std::vector<AnsiString> groupParts(std::string_view name) {
  std::vector<AnsiString> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = name.find('\0', start);
    parts.emplace_back(name.substr(start, end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + 1;
  }
}

}  // namespace

struct smDocumentChecks::State {
  // A reference waiting for its target; names interned, texts in the arena.
  struct Pending {
    std::uint32_t type;  // of the object that holds the reference
    std::uint32_t relation;
    std::uint32_t targetType;
    std::uint32_t objectLine;
    std::uint32_t objectId;
    std::uint32_t line;  // of the relation entry
    std::uint32_t id;
    bool byId;
    std::string_view key;  // the holder's key
    std::string_view target;
    // When the holder's parcel identifier names another precinct (see Reference).
    bool precinctDiffers;
    std::uint32_t parcelEntry;
    std::uint32_t parcelLine;
    std::uint32_t parcelId;
    std::string_view parcelValue;
  };

  // The shares of one group, and what its finding will say.
  struct Group {
    AnsiString name;  // type, relation, attribute, target type and target, split by NULs
    AnsiString key;   // of the object with the first share
    std::uint32_t objectLine;
    std::uint32_t objectId;
    std::uint32_t line;  // of the first share's attribute
    std::uint32_t id;
    std::uint32_t targetType;
    bool byId;
    bool unreadable = false;  // a share that cannot be added: the sum is not judged
    document::ShareSum sum;
  };

  std::uint32_t intern(const AnsiString& name) {
    const auto found = names.find(name);
    if (found != names.end()) {
      return found->second;
    }
    const auto it = names.emplace(name, static_cast<std::uint32_t>(nameList.size())).first;
    nameList.push_back(&it->first);
    return it->second;
  }
  const AnsiString& name(std::uint32_t index) const { return *nameList[index]; }

  bool resolves(std::uint32_t targetType, bool byId, std::string_view target) const {
    if (!byId) {
      return keys.contains(targetType, target);
    }
    std::uint32_t id = 0;
    return readId(target, id) && ids.contains(targetType, id);
  }

  smDocumentFinding precinctFinding(const Pending& p) const {
    smDocumentFinding finding = document::MakeEntryFinding(
        dcPrecinctMismatch, {name(p.type), p.objectLine, p.objectId}, name(p.parcelEntry),
        p.parcelLine, p.parcelId,
        {name(p.parcelEntry), name(p.type), AnsiString(p.target), name(p.relation)});
    finding.key = AnsiString(p.key);
    finding.value = AnsiString(p.parcelValue);
    finding.expected = AnsiString(p.target);
    return finding;
  }

  std::unordered_map<AnsiString, std::uint32_t> names;
  std::vector<const AnsiString*> nameList;
  Arena arena;
  KeyTable keys;
  IdTable ids;
  std::vector<Pending> pending;
  std::deque<Group> groups;  // in order of creation; never moved, so the index may view them
  std::unordered_map<std::string_view, Group*> groupIndex;
  AnsiString scratch;
};

smDocumentChecks::smDocumentChecks(const Metadata* annex, const smDocumentOptions& options)
    : objectChecks_(annex, options),
      state_(std::make_unique<State>()),
      register_(std::make_unique<document::RegisterState>(options.transfer)) {}

smDocumentChecks::~smDocumentChecks() = default;

void smDocumentChecks::addObject(const smObject& object, std::vector<smDocumentFinding>& findings) {
  add(objectChecks_.check(object, findings), findings);
}

void smDocumentChecks::add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
  if (!digest.checked) {
    return;
  }
  State& s = *state_;
  const std::uint32_t type = s.intern(digest.typeName);
  if (!digest.keyed) {
    s.ids.insert(type, digest.id);
  } else if (!digest.key.empty()) {
    std::uint32_t first = 0;
    if (s.keys.enter(type, digest.key, digest.keyLine, s.arena, first)) {
      smDocumentFinding finding = document::MakeEntryFinding(
          dcDuplicateKey, {digest.typeName, digest.line, digest.id}, digest.keyEntry,
          digest.keyLine, digest.keyId, {digest.typeName, digest.key, std::to_string(first)});
      finding.key = digest.key;
      finding.value = digest.key;
      finding.relatedLine = first;
      findings.push_back(std::move(finding));
    }
  }

  for (const smObjectDigest::Reference& r : digest.references) {
    State::Pending p{type,
                     s.intern(r.relation),
                     s.intern(r.targetType),
                     digest.line,
                     digest.id,
                     r.line,
                     r.id,
                     r.byId,
                     digest.key,
                     r.target,
                     r.precinctDiffers,
                     0,
                     digest.parcelLine,
                     digest.parcelId,
                     digest.parcelValue};
    if (p.precinctDiffers) {
      p.parcelEntry = s.intern(digest.parcelEntry);
    }
    if (s.resolves(p.targetType, p.byId, p.target)) {
      if (p.precinctDiffers) {
        findings.push_back(s.precinctFinding(p));
      }
      continue;
    }
    // Waits for its target: the texts move into the arena.
    p.key = s.arena.keep(p.key);
    p.target = s.arena.keep(p.target);
    p.parcelValue = p.precinctDiffers ? s.arena.keep(p.parcelValue) : std::string_view();
    s.pending.push_back(p);
  }

  for (const smObjectDigest::Share& share : digest.shares) {
    const smObjectDigest::Reference& r = digest.references[share.reference];
    AnsiString& name = s.scratch;
    name = digest.typeName;
    for (const AnsiString* part : {&r.relation, &share.attribute, &r.targetType, &r.target}) {
      name += '\0';
      name += *part;
    }
    const auto found = s.groupIndex.find(name);
    State::Group* group = found != s.groupIndex.end() ? found->second : nullptr;
    if (group == nullptr) {
      group = &s.groups.emplace_back(State::Group{name, digest.key, digest.line, digest.id,
                                                  share.line, share.id, s.intern(r.targetType),
                                                  r.byId, false, document::ShareSum()});
      s.groupIndex.emplace(group->name, group);
    }
    if (!share.readable) {
      group->unreadable = true;
    } else if (!group->unreadable && !group->sum.overflowed()) {
      group->sum.add(share.numerator, share.denominator);
    }
  }
  register_->add(digest, findings);  // the register checks
}

void smDocumentChecks::finish(std::vector<smDocumentFinding>& findings) {
  State& s = *state_;
  std::vector<smDocumentFinding> found;
  for (const State::Pending& p : s.pending) {
    if (s.resolves(p.targetType, p.byId, p.target)) {
      if (p.precinctDiffers) {
        found.push_back(s.precinctFinding(p));
      }
      continue;
    }
    smDocumentFinding finding = document::MakeEntryFinding(
        dcDanglingReference, {s.name(p.type), p.objectLine, p.objectId}, s.name(p.relation), p.line,
        p.id, {s.name(p.targetType), AnsiString(p.target), s.name(p.relation), s.name(p.type)});
    finding.key = AnsiString(p.key);
    finding.value = AnsiString(p.target);
    found.push_back(std::move(finding));
  }

  // An update transfer carries only the shares that changed: a group's sum is judged only
  // when it exceeds 1 (7048), whether or not its target is in the document.
  const bool update = register_->update();
  for (const State::Group& g : s.groups) {
    const std::vector<AnsiString> part = groupParts(g.name);
    const bool aboveOne = update && g.sum.exceedsOne();
    if (g.unreadable || g.sum.isOne() || (update && !aboveOne && !g.sum.overflowed()) ||
        (!aboveOne && !s.resolves(g.targetType, g.byId, part[4]))) {
      continue;
    }
    // Every share of a reported group is readable, so the first one's attribute is there.
    const AnsiString& type = part[0];
    const document::Subject object{type, g.objectLine, g.objectId};
    const smDocumentCode code = aboveOne ? dcUpdateShareSum : dcShareSum;
    smDocumentFinding finding =
        g.sum.overflowed()
            ? document::MakeEntryFinding(dcShareSumRange, object, part[2], g.line, g.id,
                                         {part[2], type, part[1], part[3], part[4]})
            : document::MakeEntryFinding(code, object, part[2], g.line, g.id,
                                         {part[2], type, part[1], part[3], part[4], g.sum.text()});
    finding.key = g.key;
    if (!g.sum.overflowed()) {
      finding.value = g.sum.text();
      finding.expected = aboveOne ? "<= 1" : "1";
    }
    found.push_back(std::move(finding));
  }
  register_->finish(found);  // the register checks

  std::stable_sort(found.begin(), found.end(),
                   [](const smDocumentFinding& a, const smDocumentFinding& b) {
                     return a.line != b.line ? a.line < b.line : a.code < b.code;
                   });
  for (smDocumentFinding& finding : found) {
    findings.push_back(std::move(finding));
  }
}

}  // namespace swde

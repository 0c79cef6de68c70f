// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document-level part of the document checks. What it keeps grows with the document, so it
// keeps little and keeps it compactly:
//   - one slot per key (record type, key value) with the line of its first occurrence, the text
//     in an arena; one 64-bit word per object of a type without key (record type, id);
//   - the references whose target has not come yet (a reference to an earlier object is settled
//     at once and forgotten), their texts in the arena and their names interned;
//   - one running sum per share group.
// Findings about the end of the document are sorted by line, then code, then order of arrival.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"

namespace SWDE_API swde {
namespace {

std::uint64_t hashOf(std::uint32_t type, std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull ^ type;
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return hash ^ (hash >> 29);
}

// Texts that live as long as the document: copied into blocks that never move.
class Arena {
 public:
  std::string_view keep(std::string_view text) {
    if (text.size() > room_) {
      const std::size_t size = std::max(kBlock, text.size());
      blocks_.push_back(std::make_unique<char[]>(size));
      next_ = blocks_.back().get();
      room_ = size;
    }
    char* start = next_;
    if (!text.empty()) {
      std::memcpy(start, text.data(), text.size());
    }
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

// (record type, key value) -> line of the first occurrence: open addressing, linear probing.
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
    if (slot.text != nullptr) {
      firstLine = slot.line;
      return true;
    }
    const std::string_view kept = arena.keep(key);
    slot = Slot{hash, kept.data(), static_cast<std::uint32_t>(kept.size()), type, line};
    ++count_;
    return false;
  }

  bool contains(std::uint32_t type, std::string_view key) const {
    return count_ != 0 && slots_[find(hashOf(type, key), type, key)].text != nullptr;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    const char* text = nullptr;  // null: an empty slot
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t line = 0;
  };

  // The slot holding the key, or the empty slot where it would go.
  std::size_t find(std::uint64_t hash, std::uint32_t type, std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.text == nullptr || (slot.hash == hash && slot.type == type &&
                                   std::string_view(slot.text, slot.size) == key)) {
        return i;
      }
    }
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.text != nullptr) {
        std::size_t i = static_cast<std::size_t>(slot.hash) & mask;
        while (slots_[i].text != nullptr) {
          i = (i + 1) & mask;
        }
        slots_[i] = slot;
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// A set of (record type, id) pairs packed in 64 bits; 0 marks an empty slot.
class IdSet {
 public:
  void insert(std::uint32_t type, std::uint32_t id) {
    if ((count_ + 1) * 2 > slots_.size()) {
      grow();
    }
    std::uint64_t& slot = slots_[find(pack(type, id))];
    if (slot == 0) {
      slot = pack(type, id);
      ++count_;
    }
  }

  bool contains(std::uint32_t type, std::uint32_t id) const {
    return count_ != 0 && slots_[find(pack(type, id))] != 0;
  }

 private:
  static std::uint64_t pack(std::uint32_t type, std::uint32_t id) {
    return (std::uint64_t{type} + 1) << 32 | id;
  }
  static std::size_t spread(std::uint64_t value) {
    return static_cast<std::size_t>((value * 0x9E3779B97F4A7C15ull) >> 20);
  }

  std::size_t find(std::uint64_t value) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = spread(value) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == 0 || slots_[i] == value) {
        return i;
      }
    }
  }

  void grow() {
    std::vector<std::uint64_t> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    for (const std::uint64_t value : old) {
      if (value != 0) {
        slots_[find(value)] = value;
      }
    }
  }

  std::vector<std::uint64_t> slots_;
  std::size_t count_ = 0;
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

}  // namespace

struct smDocumentChecks::State {
  // A reference waiting for its target; names interned, texts in the arena.
  struct Pending {
    std::uint32_t type;  // of the object that holds the reference
    std::uint32_t relation;
    std::uint32_t targetType;
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
    AnsiString type;
    std::uint32_t objectId;
    AnsiString key;
    AnsiString attribute;
    AnsiString relation;
    AnsiString targetType;
    AnsiString target;
    bool byId;
    std::uint32_t line;  // of the first share's attribute
    std::uint32_t id;
    bool unreadable = false;  // a share that cannot be added: the sum is not judged
    document::ShareSum sum;
  };

  std::uint32_t intern(const AnsiString& name) {
    const auto [it, added] = names.emplace(name, static_cast<std::uint32_t>(nameList.size()));
    if (added) {
      nameList.push_back(&it->first);
    }
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
        dcPrecinctMismatch, name(p.type), p.objectId, name(p.parcelEntry), p.parcelLine, p.parcelId,
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
  IdSet ids;
  std::vector<Pending> pending;
  std::unordered_map<AnsiString, std::size_t> groupIndex;
  std::vector<Group> groups;
};

smDocumentChecks::smDocumentChecks(const Metadata* annex, const smDocumentOptions& options)
    : objectChecks_(annex, options), state_(std::make_unique<State>()) {}

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
          dcDuplicateKey, digest.typeName, digest.id, digest.keyEntry, digest.keyLine, digest.keyId,
          {digest.typeName, digest.key, std::to_string(first)});
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
                     digest.id,
                     r.line,
                     r.id,
                     r.byId,
                     digest.key,
                     r.target,
                     r.precinctDiffers,
                     0,
                     r.parcelLine,
                     r.parcelId,
                     r.parcelValue};
    if (s.resolves(p.targetType, p.byId, p.target)) {
      if (p.precinctDiffers) {
        p.parcelEntry = s.intern(r.parcelEntry);
        findings.push_back(s.precinctFinding(p));
      }
      continue;
    }
    // Waits for its target: the texts move into the arena.
    p.key = s.arena.keep(p.key);
    p.target = s.arena.keep(p.target);
    if (p.precinctDiffers) {
      p.parcelEntry = s.intern(r.parcelEntry);
      p.parcelValue = s.arena.keep(p.parcelValue);
    } else {
      p.parcelValue = {};
    }
    s.pending.push_back(p);
  }

  for (const smObjectDigest::Share& share : digest.shares) {
    AnsiString groupKey = digest.typeName;
    for (const AnsiString* part :
         {&share.relation, &share.attribute, &share.targetType, &share.target}) {
      groupKey += '\0';
      groupKey += *part;
    }
    const auto [it, added] = s.groupIndex.emplace(std::move(groupKey), s.groups.size());
    if (added) {
      State::Group group{digest.typeName, digest.id,        digest.key,   share.attribute,
                         share.relation,  share.targetType, share.target, share.byId,
                         share.line,      share.id,         false,        document::ShareSum()};
      s.groups.push_back(std::move(group));
    }
    State::Group& group = s.groups[it->second];
    if (!share.readable) {
      group.unreadable = true;
    } else if (!group.unreadable && !group.sum.overflowed()) {
      group.sum.add(share.numerator, share.denominator);
    }
  }
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
        dcDanglingReference, s.name(p.type), p.objectId, s.name(p.relation), p.line, p.id,
        {s.name(p.targetType), AnsiString(p.target), s.name(p.relation), s.name(p.type)});
    finding.key = AnsiString(p.key);
    finding.value = AnsiString(p.target);
    found.push_back(std::move(finding));
  }

  for (const State::Group& g : s.groups) {
    if (g.unreadable || g.sum.isOne() || !s.resolves(s.intern(g.targetType), g.byId, g.target)) {
      continue;
    }
    // Every share of a reported group is readable, so the first one's attribute is there.
    smDocumentFinding finding =
        g.sum.overflowed()
            ? document::MakeEntryFinding(dcShareSumRange, g.type, g.objectId, g.attribute, g.line,
                                         g.id,
                                         {g.attribute, g.type, g.relation, g.targetType, g.target})
            : document::MakeEntryFinding(
                  dcShareSum, g.type, g.objectId, g.attribute, g.line, g.id,
                  {g.attribute, g.type, g.relation, g.targetType, g.target, g.sum.text()});
    finding.key = g.key;
    if (!g.sum.overflowed()) {
      finding.value = g.sum.text();
      finding.expected = "1";
    }
    found.push_back(std::move(finding));
  }

  std::stable_sort(found.begin(), found.end(),
                   [](const smDocumentFinding& a, const smDocumentFinding& b) {
                     return a.line != b.line ? a.line < b.line : a.code < b.code;
                   });
  for (smDocumentFinding& finding : found) {
    findings.push_back(std::move(finding));
  }
}

}  // namespace swde

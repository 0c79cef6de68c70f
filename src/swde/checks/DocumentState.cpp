// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document-level part of the document checks. What it keeps grows with the document, so it
// keeps only what a later object or the end of the document needs, compactly, in tables sized by
// how many entries they hold, never by what the entries say (DocumentTables.hpp):
//   - per key (record type, key value): a 16-byte slot, and the text with its type and first
//     line (12 bytes) in an arena of large blocks;
//   - per object of a type without key, unknown record types included: its id, one bit of a word
//     of 64 ids of its type in a hashed table (16 bytes a word, so a fraction of a byte per id
//     when ids come in runs, and at most 43 bytes when they are scattered);
//   - per reference whose target has not come yet (a reference to an earlier object is settled
//     at once and forgotten): 40 bytes and its target's name in the arena, and once per object
//     holding such references its type, line, id and key (16 bytes and the key), with its
//     parcel identifier when 7004 needs it;
//   - per share group: its name in the table of groups and one exact sum (ShareSum).
// Names of record types, relations and attributes are interned. Codes the host does not want
// are not looked for, and nothing is kept for them (smDocumentOptions::notWanted).
//
// finish() sorts a 12-byte entry per finding it will make by line, then code, then order of
// arrival, and makes and hands over one finding at a time.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"
#include "swde/checks/DocumentTables.hpp"

namespace SWDE_API swde {
namespace {

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

// An object that holds a reference waiting for its target, or the first share of a group, as an
// arena record: four 32-bit numbers (type, line, id, the key's size with a flag for the parcel
// fields), the parcel fields when a reference needs them (four more), then the key's and the
// parcel identifier's bytes.
struct Holder {
  std::uint32_t type;  // interned
  std::uint32_t objectLine;
  std::uint32_t objectId;
  std::uint32_t parcelEntry;  // interned; the parcel fields only with a parcel value
  std::uint32_t parcelLine;
  std::uint32_t parcelId;
  std::string_view key;
  std::string_view parcelValue;

  static constexpr std::uint32_t kParcel = std::uint32_t{1} << 31;

  static const char* keep(const Holder& h, document::Arena& arena) {
    const bool parcel = !h.parcelValue.empty();
    const std::uint32_t header[8] = {
        h.type,        h.objectLine,
        h.objectId,    static_cast<std::uint32_t>(h.key.size()) | (parcel ? kParcel : 0),
        h.parcelEntry, h.parcelLine,
        h.parcelId,    static_cast<std::uint32_t>(h.parcelValue.size())};
    const std::size_t head = (parcel ? 8 : 4) * sizeof(std::uint32_t);
    char* record = arena.allocate(head + h.key.size() + h.parcelValue.size());
    std::memcpy(record, header, head);
    if (!h.key.empty()) {
      std::memcpy(record + head, h.key.data(), h.key.size());
    }
    if (parcel) {
      std::memcpy(record + head + h.key.size(), h.parcelValue.data(), h.parcelValue.size());
    }
    return record;
  }

  static Holder read(const char* record) {
    std::uint32_t header[8] = {};
    std::memcpy(header, record, 4 * sizeof(std::uint32_t));
    const bool parcel = (header[3] & kParcel) != 0;
    if (parcel) {
      std::memcpy(header + 4, record + 4 * sizeof(std::uint32_t), 4 * sizeof(std::uint32_t));
    }
    const std::uint32_t keySize = header[3] & ~kParcel;
    const char* text = record + (parcel ? 8 : 4) * sizeof(std::uint32_t);
    return Holder{header[0],
                  header[1],
                  header[2],
                  header[4],
                  header[5],
                  header[6],
                  std::string_view(text, keySize),
                  std::string_view(text + keySize, header[7])};
  }
};

}  // namespace

struct smDocumentChecks::State {
  // A reference waiting for its target: 40 bytes.
  struct Pending {
    const char* holder;  // the Holder record of the object with the reference
    const char* target;  // the target's name, in the arena
    std::uint32_t targetSize;
    std::uint32_t relation;  // interned
    std::uint32_t targetType;
    std::uint32_t line;  // of the relation entry
    std::uint32_t id;
    bool byId;
    // The holder's parcel identifier names another precinct than `target` (and 7004 is wanted).
    bool precinctDiffers;
  };

  // The shares of one group, and what its finding will say: 80 bytes.
  struct Group {
    const char* holder;  // the object with the first share
    const char* name;    // the group's name as groupIndex keeps it (see GroupName)
    std::uint32_t nameSize;
    std::uint32_t line;  // of the first share's attribute
    std::uint32_t id;
    bool byId;
    bool unreadable;  // a share that cannot be added: the sum is not judged
    document::ShareSum sum;
  };

  // A group's name: record type, relation, attribute and target type (interned; 16 bytes), then
  // the target's name.
  struct GroupName {
    std::uint32_t parts[4];
    std::string_view target;

    static GroupName read(const char* name, std::uint32_t size) {
      GroupName n{};
      std::memcpy(n.parts, name, sizeof n.parts);
      n.target = std::string_view(name + sizeof n.parts, size - sizeof n.parts);
      return n;
    }
  };

  explicit State(const smDocumentOptions& options) {
    const auto wanted = [&options](smDocumentCode code) {
      return std::find(options.notWanted.begin(), options.notWanted.end(), code) ==
             options.notWanted.end();
    };
    wantKey = wanted(dcDuplicateKey);
    wantDangling = wanted(dcDanglingReference);
    wantPrecinct = wanted(dcPrecinctMismatch);
    wantSum = wanted(dcShareSum);
    wantSumRange = wanted(dcShareSumRange);
  }

  // Targets must be found: for 7002, 7004, 7030 or 7031.
  bool resolving() const { return wantDangling || wantPrecinct || wantSum || wantSumRange; }

  std::uint32_t intern(std::string_view name) {
    const auto entered = names.enter(0, name, static_cast<std::uint32_t>(nameList.size()), arena);
    if (entered.added) {
      nameList.push_back(entered.text);
    }
    return entered.value;
  }
  AnsiString name(std::uint32_t index) const { return AnsiString(nameList[index]); }

  bool resolves(std::uint32_t targetType, bool byId, std::string_view target) const {
    if (!byId) {
      return keys.contains(targetType, target);
    }
    std::uint32_t id = 0;
    return readId(target, id) && ids.contains(targetType, id);
  }

  // 7004 about the holder's parcel identifier against the precinct `target` of `relation`.
  smDocumentFinding precinctFinding(const AnsiString& type, const Holder& h,
                                    const AnsiString& parcelEntry, const AnsiString& relation,
                                    std::string_view target) const {
    const AnsiString targetText(target);
    smDocumentFinding finding = document::MakeEntryFinding(
        dcPrecinctMismatch, {type, h.objectLine, h.objectId}, parcelEntry, h.parcelLine, h.parcelId,
        {parcelEntry, type, targetText, relation});
    finding.key = AnsiString(h.key);
    finding.value = AnsiString(h.parcelValue);
    finding.expected = targetText;
    return finding;
  }

  smDocumentFinding pendingFinding(const Pending& p, smDocumentCode code) const {
    const Holder h = Holder::read(p.holder);
    const AnsiString type = name(h.type);
    const AnsiString relation = name(p.relation);
    const std::string_view target(p.target, p.targetSize);
    if (code == dcPrecinctMismatch) {
      return precinctFinding(type, h, name(h.parcelEntry), relation, target);
    }
    smDocumentFinding finding = document::MakeEntryFinding(
        dcDanglingReference, {type, h.objectLine, h.objectId}, relation, p.line, p.id,
        {name(p.targetType), AnsiString(target), relation, type});
    finding.key = AnsiString(h.key);
    finding.value = AnsiString(target);
    return finding;
  }

  smDocumentFinding groupFinding(const Group& g, smDocumentCode code) const {
    const Holder h = Holder::read(g.holder);
    const GroupName n = GroupName::read(g.name, g.nameSize);
    const AnsiString type = name(h.type);
    const AnsiString attribute = name(n.parts[2]);
    const document::Subject object{type, h.objectLine, h.objectId};
    const AnsiString relation = name(n.parts[1]);
    const AnsiString targetType = name(n.parts[3]);
    const AnsiString target(n.target);
    smDocumentFinding finding;
    if (code == dcShareSumRange) {
      finding = document::MakeEntryFinding(code, object, attribute, g.line, g.id,
                                           {attribute, type, relation, targetType, target});
    } else {
      const AnsiString sum = g.sum.text();
      finding = document::MakeEntryFinding(code, object, attribute, g.line, g.id,
                                           {attribute, type, relation, targetType, target, sum});
      finding.value = sum;
      finding.expected = "1";
    }
    finding.key = AnsiString(h.key);
    return finding;
  }

  bool wantKey = true;
  bool wantDangling = true;
  bool wantPrecinct = true;
  bool wantSum = true;
  bool wantSumRange = true;

  document::Arena arena;
  document::KeyedTable<> names;  // the value: the name's index in nameList
  std::vector<std::string_view> nameList;
  document::KeyedTable<> keys;  // tagged by the record type; the value: the first line
  document::IdSet<> ids;        // (record type, object id)
  std::deque<Pending> pending;  // no reallocation: 40 bytes a reference, whatever their number
  // Named by record type, relation, attribute and target type (interned, 16 bytes) and the
  // target's name; the value: the group's index in `groups`.
  document::KeyedTable<> groupIndex;
  std::deque<Group> groups;
  std::string scratch;
  document::PrecinctUnits units;  // 7005

  // Takes a digest into the tables above, appending what it settles at once.
  void record(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings);
};

smDocumentChecks::smDocumentChecks(const Metadata* annex, const smDocumentOptions& options)
    : objectChecks_(annex, options), state_(std::make_unique<State>(options)) {}

smDocumentChecks::~smDocumentChecks() = default;

void smDocumentChecks::addObject(const smObject& object, std::vector<smDocumentFinding>& findings) {
  add(objectChecks_.check(object, findings), findings);
}

void smDocumentChecks::add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
  state_->record(digest, findings);
  if (digest.checked) {
    state_->units.add(digest, findings);
  }
}

void smDocumentChecks::State::record(const smObjectDigest& digest,
                                     std::vector<smDocumentFinding>& findings) {
  State& s = *this;
  if (!digest.checked || (!s.wantKey && !s.resolving())) {
    return;
  }
  const std::uint32_t type = s.intern(digest.typeName);
  if (!digest.keyed) {
    if (s.resolving()) {
      s.ids.insert(type, digest.id);
    }
  } else if (!digest.key.empty()) {
    const auto entered = s.keys.enter(type, digest.key, digest.keyLine, s.arena);
    if (!entered.added && s.wantKey) {
      const std::uint32_t first = entered.value;
      smDocumentFinding finding = document::MakeEntryFinding(
          dcDuplicateKey, {digest.typeName, digest.line, digest.id}, digest.keyEntry,
          digest.keyLine, digest.keyId, {digest.typeName, digest.key, std::to_string(first)});
      finding.key = digest.key;
      finding.value = digest.key;
      finding.relatedLine = first;
      findings.push_back(std::move(finding));
    }
  }
  if (!s.resolving()) {
    return;
  }

  // The object's record, made once and only for an object that needs one.
  Holder self{type, digest.line, digest.id, 0, digest.parcelLine, digest.parcelId, digest.key, {}};
  const char* holder = nullptr;
  const auto holderRecord = [&] {
    if (holder == nullptr) {
      holder = Holder::keep(self, s.arena);
    }
    return holder;
  };
  if (s.wantPrecinct) {
    for (const smObjectDigest::Reference& r : digest.references) {
      if (r.precinctDiffers) {
        self.parcelEntry = s.intern(digest.parcelEntry);
        self.parcelValue = digest.parcelValue;
        break;
      }
    }
  }

  if (s.wantDangling || s.wantPrecinct) {
    for (const smObjectDigest::Reference& r : digest.references) {
      const bool precinct = s.wantPrecinct && r.precinctDiffers;
      if (!s.wantDangling && !precinct) {
        continue;
      }
      const std::uint32_t targetType = s.intern(r.targetType);
      if (s.resolves(targetType, r.byId, r.target)) {
        if (precinct) {
          findings.push_back(
              s.precinctFinding(digest.typeName, self, digest.parcelEntry, r.relation, r.target));
        }
        continue;
      }
      // Waits for its target.
      const std::string_view target = s.arena.keep(r.target);
      s.pending.push_back(
          State::Pending{holderRecord(), target.data(), static_cast<std::uint32_t>(target.size()),
                         s.intern(r.relation), targetType, r.line, r.id, r.byId, precinct});
    }
  }

  if (!s.wantSum && !s.wantSumRange) {
    return;
  }
  for (const smObjectDigest::Share& share : digest.shares) {
    const smObjectDigest::Reference& r = digest.references[share.reference];
    const std::uint32_t parts[4] = {type, s.intern(r.relation), s.intern(share.attribute),
                                    s.intern(r.targetType)};
    std::string& name = s.scratch;
    name.assign(reinterpret_cast<const char*>(parts), sizeof parts);
    name += r.target;
    const auto entered =
        s.groupIndex.enter(0, name, static_cast<std::uint32_t>(s.groups.size()), s.arena);
    if (entered.added) {
      s.groups.push_back(State::Group{holderRecord(), entered.text.data(),
                                      static_cast<std::uint32_t>(entered.text.size()), share.line,
                                      share.id, r.byId, false, document::ShareSum()});
    }
    State::Group& group = s.groups[entered.value];
    if (!share.readable) {
      if (!group.unreadable) {
        group.unreadable = true;
        group.sum = document::ShareSum();  // what it held is not needed any more
      }
    } else if (!group.unreadable) {
      group.sum.add(share.numerator, share.denominator);
    }
  }
}

void smDocumentChecks::finish(const std::function<void(smDocumentFinding&&)>& sink) {
  State& s = *state_;
  // One entry per finding to make; `index` below pending.size() is a reference, else a group.
  struct Item {
    std::uint32_t line;
    std::uint32_t code;
    std::uint32_t index;
  };
  std::vector<Item> items;
  const auto count = static_cast<std::uint32_t>(s.pending.size());
  for (std::uint32_t i = 0; i < count; ++i) {
    const State::Pending& p = s.pending[i];
    if (!s.resolves(p.targetType, p.byId, std::string_view(p.target, p.targetSize))) {
      if (s.wantDangling) {
        items.push_back(Item{p.line, dcDanglingReference, i});
      }
    } else if (p.precinctDiffers) {
      items.push_back(Item{Holder::read(p.holder).parcelLine, dcPrecinctMismatch, i});
    }
  }
  for (std::uint32_t i = 0; i < s.groups.size(); ++i) {
    State::Group& g = s.groups[i];
    const State::GroupName n = State::GroupName::read(g.name, g.nameSize);
    if (g.unreadable || !s.resolves(n.parts[3], g.byId, n.target)) {
      continue;
    }
    g.sum.settle();
    const smDocumentCode code = g.sum.beyondRange() ? dcShareSumRange : dcShareSum;
    if (!g.sum.isOne() && (code == dcShareSum ? s.wantSum : s.wantSumRange)) {
      items.push_back(Item{g.line, static_cast<std::uint32_t>(code), count + i});
    }
  }

  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.line != b.line   ? a.line < b.line
           : a.code != b.code ? a.code < b.code
                              : a.index < b.index;
  });
  // The units' findings (7005) are few: made at once, then merged in by line and code, after
  // the others of the same line and code.
  std::vector<smDocumentFinding> units;
  s.units.finish(units);
  std::stable_sort(units.begin(), units.end(),
                   [](const smDocumentFinding& a, const smDocumentFinding& b) {
                     return a.line != b.line ? a.line < b.line : a.code < b.code;
                   });
  auto unit = units.begin();
  for (const Item& item : items) {
    for (; unit != units.end() &&
           (unit->line != item.line ? unit->line < item.line
                                    : static_cast<std::uint32_t>(unit->code) < item.code);
         ++unit) {
      sink(std::move(*unit));
    }
    const auto code = static_cast<smDocumentCode>(item.code);
    sink(item.index < count ? s.pendingFinding(s.pending[item.index], code)
                            : s.groupFinding(s.groups[item.index - count], code));
  }
  for (; unit != units.end(); ++unit) {
    sink(std::move(*unit));
  }
}

void smDocumentChecks::finish(std::vector<smDocumentFinding>& findings) {
  finish([&findings](smDocumentFinding&& finding) { findings.push_back(std::move(finding)); });
}

}  // namespace swde

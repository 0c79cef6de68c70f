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
#include <tuple>
#include <unordered_map>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"
#include "swde/checks/DocumentTables.hpp"
#include "swde/checks/RegisterChecks.hpp"  // the register checks

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

struct smDocumentChecks::State : document::Identities {
  // Who an object is once its name is resolved: a keyed object's ordinal (below 2^32), or
  // kById | type << 32 | id for an object named by its id.
  static constexpr std::uint64_t kById = std::uint64_t{1} << 63;
  // A group of an update transfer whose target is not in the document: kAbsent | its index.
  static constexpr std::uint64_t kAbsent = std::uint64_t{1} << 62;
  // A scope not known: no relation names it (kNoScope), or its target had not come when the
  // object came (kLater: its name is kept and looked up at the end).
  static constexpr std::uint64_t kNoScope = ~std::uint64_t{0};
  static constexpr std::uint64_t kLater = ~std::uint64_t{0} - 1;
  static constexpr std::uint32_t kEnd = ~std::uint32_t{0};

  // A keyed object: the line of its key, the next object of its type with the same key, and
  // its type and id (a share may name it by its id).
  struct Keyed {
    std::uint32_t line;
    std::uint32_t next;
    std::uint32_t type;
    std::uint32_t id;
  };

  // A name to resolve: a relation's target, with the scope within which it is looked up.
  struct Ref {
    const char* target;     // in the arena
    const char* scopeText;  // kLater: the scope's name, in the arena
    std::uint64_t scope;    // the scope's identity, kNoScope or kLater
    std::uint32_t targetSize;
    std::uint32_t targetType;  // interned
    std::uint32_t scopeSize;
    std::uint32_t scopeType;
    bool byId;
    bool scoped;
    bool scopeById;
    std::string_view targetName() const { return std::string_view(target, targetSize); }
  };

  // The outcome of a lookup.
  enum class Lookup { kNone, kFound, kAmbiguous };
  struct Resolved {
    Lookup lookup = Lookup::kNone;
    std::uint64_t identity = 0;
    std::uint32_t head = kEnd;  // kAmbiguous: the first candidate
  };

  // A reference waiting for its target, or whose name fits several objects.
  struct Pending {
    const char* holder;  // the Holder record of the object with the reference
    Ref ref;
    std::uint32_t relation;  // interned
    std::uint32_t line;      // of the relation entry
    std::uint32_t id;
    // The holder's parcel identifier names another precinct than the target (and 7004 is
    // wanted).
    bool precinctDiffers;
  };

  // The shares of one group, and what its finding will say.
  struct Group {
    const char* holder;  // the object with the first share
    Ref ref;             // the target's name
    std::uint64_t identity;
    std::uint32_t parts[4];  // record type, relation, attribute, target type (interned)
    std::uint32_t line;      // of the first share's attribute
    std::uint32_t id;
    bool resolved;    // `identity` known since the first share came
    bool unreadable;  // a share that cannot be added: only a sum above 1 is judged
    document::ShareSum sum;
  };

  // A scoped key whose scope had not come with it: judged at the end.
  struct Deferred {
    const char* holder;
    Ref scope;  // the scope's name as a target
    std::uint32_t ordinal;
    std::uint32_t keyEntry;  // interned
    std::uint32_t keyLine;
    std::uint32_t keyId;
  };

  explicit State(const smDocumentOptions& options) {
    const auto wanted = [&options](smDocumentCode code) {
      return std::find(options.notWanted.begin(), options.notWanted.end(), code) ==
             options.notWanted.end();
    };
    wantKey = wanted(dcDuplicateKey);
    wantDangling = wanted(dcDanglingReference);
    wantAmbiguous = wanted(dcAmbiguousReference);
    wantPrecinct = wanted(dcPrecinctMismatch);
    wantSum = wanted(dcShareSum);
    wantSumRange = wanted(dcShareSumRange);
    wantAtLeast = wanted(dcShareSumAtLeast);
    wantUpdate = wanted(dcUpdateShareSum);
  }

  bool wantReferences() const { return wantDangling || wantAmbiguous || wantPrecinct; }
  bool wantShares() const { return wantSum || wantSumRange || wantAtLeast || wantUpdate; }
  // Targets must be found.
  bool resolving() const { return wantReferences() || wantShares() || wantRegister; }

  std::uint32_t intern(std::string_view name) {
    const auto entered = names.enter(0, name, static_cast<std::uint32_t>(nameList.size()), arena);
    if (entered.added) {
      nameList.push_back(entered.text);
    }
    return entered.value;
  }
  AnsiString name(std::uint32_t index) const { return AnsiString(nameList[index]); }

  // The text under which a scoped key is kept: the scope's identity, then the key.
  std::string_view scopedName(std::uint64_t scope, std::string_view key) {
    scratch.assign(reinterpret_cast<const char*>(&scope), sizeof scope);
    scratch += key;
    return scratch;
  }
  // The same for a scope known only by its name.
  std::string_view textScopedName(std::uint32_t scopeType, std::string_view scope,
                                  std::string_view key) {
    const std::uint64_t marker = kLater;
    scratch.assign(reinterpret_cast<const char*>(&marker), sizeof marker);
    scratch.append(reinterpret_cast<const char*>(&scopeType), sizeof scopeType);
    scratch += scope;
    scratch.push_back('\0');
    scratch += key;
    return scratch;
  }

  // Looks `name` up among the objects of `type`: within `scope` when the type's key is scoped
  // and the scope is known, else among all; then as an object id, but for a keyed type only at
  // the end (`ended`), when no key can come any more.
  Resolved resolve(std::uint32_t type, bool byId, bool scoped, std::uint64_t scope,
                   std::string_view text) {
    Resolved r;
    if (!byId) {
      std::uint32_t found = 0;
      if (scoped && scope != kNoScope && scope != kLater) {
        if (scopedKeys.lookup(type, scopedName(scope, text), found)) {
          r.lookup = Lookup::kFound;
          r.identity = found;
          return r;
        }
      } else if (keys.lookup(type, text, found)) {
        r.identity = found;
        r.head = found;
        r.lookup = scoped && objects[found].next != kEnd ? Lookup::kAmbiguous : Lookup::kFound;
        return r;
      }
    }
    std::uint32_t id = 0;
    if ((byId || ended) && readId(text, id) && ids.contains(type, id)) {
      r.lookup = Lookup::kFound;
      r.identity = kById | std::uint64_t{type} << 32 | id;
    }
    return r;
  }

  Resolved resolve(const Ref& ref) {
    std::uint64_t scope = ref.scope;
    if (scope == kLater) {
      const Resolved s = resolve(ref.scopeType, ref.scopeById, true, kNoScope,
                                 std::string_view(ref.scopeText, ref.scopeSize));
      scope = s.lookup == Lookup::kFound ? s.identity : kNoScope;
    }
    return resolve(ref.targetType, ref.byId, ref.scoped, scope, ref.targetName());
  }

  // The reference `index` of `digest` as a Ref whose texts are not kept yet; its scope resolved
  // as far as the objects seen so far tell.
  Ref refOf(const smObjectDigest& digest, std::size_t index, int depth = 0) {
    const smObjectDigest::Reference& r = digest.references[index];
    Ref ref{r.target.data(),
            nullptr,
            kNoScope,
            static_cast<std::uint32_t>(r.target.size()),
            intern(r.targetType),
            0,
            0,
            r.byId,
            r.scoped,
            false};
    if (r.scoped && r.scope >= 0 && depth < 4) {
      const Ref scope = refOf(digest, static_cast<std::size_t>(r.scope), depth + 1);
      const Resolved s = resolve(scope);
      if (s.lookup == Lookup::kFound) {
        ref.scope = s.identity;
      } else if (s.lookup == Lookup::kNone) {
        ref.scope = kLater;
        ref.scopeText = scope.target;
        ref.scopeSize = scope.targetSize;
        ref.scopeType = scope.targetType;
        ref.scopeById = scope.byId;
      }
    }
    return ref;
  }

  // Keeps the texts of `ref` in the arena.
  Ref keep(Ref ref) {
    ref.target = arena.keep(ref.targetName()).data();
    if (ref.scope == kLater) {
      ref.scopeText = arena.keep(std::string_view(ref.scopeText, ref.scopeSize)).data();
    }
    return ref;
  }

  // "12, 40, 77, ..." : the key lines of the objects of one key, at most three.
  std::string candidates(std::uint32_t head) const {
    std::string lines;
    int shown = 0;
    for (std::uint32_t at = head; at != kEnd; at = objects[at].next) {
      if (shown == 3) {
        lines += ", ...";
        break;
      }
      lines += (shown++ == 0 ? "" : ", ") + std::to_string(objects[at].line);
    }
    return lines;
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

  smDocumentFinding pendingFinding(const Pending& p, smDocumentCode code, std::uint32_t head) {
    const Holder h = Holder::read(p.holder);
    const AnsiString type = name(h.type);
    const AnsiString relation = name(p.relation);
    const std::string_view target = p.ref.targetName();
    if (code == dcPrecinctMismatch) {
      return precinctFinding(type, h, name(h.parcelEntry), relation, target);
    }
    const AnsiString lines = code == dcAmbiguousReference ? candidates(head) : std::string();
    smDocumentFinding finding = document::MakeEntryFinding(
        code, {type, h.objectLine, h.objectId}, relation, p.line, p.id,
        {name(p.ref.targetType), AnsiString(target), relation, type, lines});
    finding.key = AnsiString(h.key);
    finding.value = AnsiString(target);
    if (code == dcAmbiguousReference) {
      finding.expected = lines;
      finding.relatedLine = objects[head].line;
    }
    return finding;
  }

  smDocumentFinding groupFinding(const Group& g, smDocumentCode code) const {
    const Holder h = Holder::read(g.holder);
    const AnsiString type = name(h.type);
    const AnsiString attribute = name(g.parts[2]);
    const document::Subject object{type, h.objectLine, h.objectId};
    const AnsiString relation = name(g.parts[1]);
    const AnsiString targetType = name(g.parts[3]);
    const AnsiString target(g.ref.targetName());
    smDocumentFinding finding;
    if (code == dcShareSumRange) {
      finding = document::MakeEntryFinding(code, object, attribute, g.line, g.id,
                                           {attribute, type, relation, targetType, target});
    } else {
      const AnsiString sum = g.sum.text();
      const bool atLeast = code == dcShareSumAtLeast || (code == dcUpdateShareSum && g.unreadable);
      finding = document::MakeEntryFinding(
          code, object, attribute, g.line, g.id,
          {attribute, type, relation, targetType, target,
           code == dcUpdateShareSum && atLeast ? "co najmniej " + sum : sum});
      finding.value = atLeast ? ">= " + sum : sum;
      finding.expected = code == dcUpdateShareSum ? "<= 1" : "1";
    }
    finding.key = AnsiString(h.key);
    return finding;
  }

  smDocumentFinding duplicateFinding(const Deferred& d, std::uint32_t first) const {
    const Holder h = Holder::read(d.holder);
    const AnsiString type = name(h.type);
    const AnsiString key(h.key);
    smDocumentFinding finding = document::MakeEntryFinding(
        dcDuplicateKey, {type, h.objectLine, h.objectId}, name(d.keyEntry), d.keyLine, d.keyId,
        {type, key, std::to_string(first)});
    finding.key = key;
    finding.value = key;
    finding.relatedLine = first;
    return finding;
  }

  bool ended = false;  // finish() has begun
  bool wantKey = true;
  bool wantDangling = true;
  bool wantAmbiguous = true;
  bool wantPrecinct = true;
  bool wantSum = true;
  bool wantSumRange = true;
  bool wantAtLeast = true;
  bool wantUpdate = true;
  bool wantRegister = false;  // the register checks resolve names (document::Identities)
  bool update = false;        // an update transfer: share sums are judged only above 1

  // document::Identities, for the register checks.
  std::uint64_t byKey(const smObjectDigest& digest) override {
    return digest.keyed && !digest.key.empty() ? objects.size() - 1 : kNone;
  }
  std::uint64_t byId(const AnsiString& typeName, std::uint32_t id) override {
    return kById | std::uint64_t{intern(typeName)} << 32 | id;
  }
  std::uint64_t target(const smObjectDigest& digest, std::size_t index,
                       std::uint32_t& later) override {
    const smObjectDigest::Reference& r = digest.references[index];
    std::uint32_t id = 0;
    if (r.byId) {  // an object without key: named by its id, whether it has come or not
      later = kNoHandle;
      return readId(r.target, id) ? byId(r.targetType, id) : kNone;
    }
    const Ref ref = refOf(digest, index);
    const Resolved found = resolve(ref);
    later = kNoHandle;
    if (found.lookup == Lookup::kFound) {
      return found.identity;
    }
    later = static_cast<std::uint32_t>(laterRefs.size());
    laterRefs.push_back(keep(ref));
    return kNone;
  }
  std::uint64_t resolveLater(std::uint32_t later) override {
    const Resolved found = later < laterRefs.size() ? resolve(laterRefs[later]) : Resolved{};
    return found.lookup == Lookup::kFound ? found.identity : kNone;
  }
  std::deque<Ref> laterRefs;  // names the register checks resolve at the end

  document::Arena arena;
  document::KeyedTable<> names;  // the value: the name's index in nameList
  std::vector<std::string_view> nameList;
  // (record type, key) -> the first object of that key, in `objects`.
  document::KeyedTable<> keys;
  std::vector<Keyed> objects;  // keyed objects, by ordinal: 16 bytes each
  // (record type, scope and key; see scopedName) -> the ordinal of the first object.
  document::KeyedTable<> scopedKeys;
  document::IdSet<> ids;  // (record type, object id), every object's
  std::deque<Pending> pending;
  std::deque<Deferred> deferred;
  // Named by record type, relation, attribute and target type (interned, 16 bytes), then the
  // target's identity when it was known with the first share, else its name and scope; the
  // value: the group's index in `groups`.
  document::KeyedTable<> groupIndex;
  std::deque<Group> groups;
  std::string scratch;
  std::string groupName;
  document::PrecinctUnits units;  // 7005

  // Takes a digest into the tables above, appending what it settles at once.
  void record(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings);
};

smDocumentChecks::smDocumentChecks(const Metadata* annex, const smDocumentOptions& options)
    : objectChecks_(annex, options),
      state_(std::make_unique<State>(options)),
      register_(std::make_unique<document::RegisterState>(options)) {
  state_->wantRegister = register_->resolves();
}

smDocumentChecks::~smDocumentChecks() = default;

void smDocumentChecks::addObject(const smObject& object, std::vector<smDocumentFinding>& findings) {
  add(objectChecks_.check(object, findings), findings);
}

void smDocumentChecks::add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
  state_->record(digest, findings);
  if (digest.checked) {
    state_->units.add(digest, findings);
    register_->add(digest, *state_, findings);  // the register checks
  }
}

void smDocumentChecks::State::record(const smObjectDigest& digest,
                                     std::vector<smDocumentFinding>& findings) {
  State& s = *this;
  if (!digest.checked || (!s.wantKey && !s.resolving())) {
    return;
  }
  const std::uint32_t type = s.intern(digest.typeName);
  if (s.resolving()) {
    s.ids.insert(type, digest.id);
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

  if (digest.keyed && !digest.key.empty()) {
    const auto ordinal = static_cast<std::uint32_t>(s.objects.size());
    s.objects.push_back(Keyed{digest.keyLine, kEnd, type, digest.id});
    const auto entered = s.keys.enter(type, digest.key, ordinal, s.arena);
    if (!entered.added) {
      Keyed& head = s.objects[entered.value];
      s.objects.back().next = head.next;
      head.next = ordinal;
    }
    std::uint32_t first = kEnd;  // an earlier object of the same key and scope
    if (digest.scope < 0) {
      if (!entered.added) {
        first = entered.value;
      }
    } else {
      const Ref scope = s.refOf(digest, static_cast<std::size_t>(digest.scope));
      const Resolved found = s.resolve(scope);
      if (found.lookup == Lookup::kNone) {
        // Its scope has not come yet: judged at the end.
        s.deferred.push_back(Deferred{holderRecord(), s.keep(scope), ordinal,
                                      s.intern(digest.keyEntry), digest.keyLine, digest.keyId});
      } else {
        const std::string_view bucket =
            found.lookup == Lookup::kFound
                ? s.scopedName(found.identity, digest.key)
                : s.textScopedName(scope.targetType, scope.targetName(), digest.key);
        const auto scoped = s.scopedKeys.enter(type, bucket, ordinal, s.arena);
        if (!scoped.added) {
          first = scoped.value;
        }
      }
    }
    if (first != kEnd && s.wantKey) {
      const std::uint32_t line = s.objects[first].line;
      smDocumentFinding finding = document::MakeEntryFinding(
          dcDuplicateKey, {digest.typeName, digest.line, digest.id}, digest.keyEntry,
          digest.keyLine, digest.keyId, {digest.typeName, digest.key, std::to_string(line)});
      finding.key = digest.key;
      finding.value = digest.key;
      finding.relatedLine = line;
      findings.push_back(std::move(finding));
    }
  }
  if (!s.resolving()) {
    return;
  }

  if (s.wantReferences()) {
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      const smObjectDigest::Reference& r = digest.references[i];
      const bool precinct = s.wantPrecinct && r.precinctDiffers;
      if (!s.wantDangling && !s.wantAmbiguous && !precinct) {
        continue;
      }
      const Ref ref = s.refOf(digest, i);
      // Only a name looked up among all the objects of a type with a scoped key can fit several.
      const bool mayBeAmbiguous =
          s.wantAmbiguous && ref.scoped && (ref.scope == kNoScope || ref.scope == kLater);
      if (!s.wantDangling && !precinct && !mayBeAmbiguous) {
        continue;
      }
      const Lookup lookup = s.resolve(ref).lookup;
      // Without 7002 and 7004, a name waits only when it fits several objects already: one whose
      // targets all come after it is not kept for 7006 alone.
      if (lookup == Lookup::kNone && !s.wantDangling && !precinct) {
        continue;
      }
      if (lookup == Lookup::kFound) {
        if (precinct) {
          findings.push_back(
              s.precinctFinding(digest.typeName, self, digest.parcelEntry, r.relation, r.target));
        }
        continue;
      }
      // Waits for its target, or for the end to name the candidates.
      s.pending.push_back(
          Pending{holderRecord(), s.keep(ref), s.intern(r.relation), r.line, r.id, precinct});
    }
  }

  if (!s.wantShares()) {
    return;
  }
  for (const smObjectDigest::Share& share : digest.shares) {
    const smObjectDigest::Reference& r = digest.references[share.reference];
    const Ref ref = s.refOf(digest, share.reference);
    const Resolved found = s.resolve(ref);
    Group group{nullptr,
                ref,
                0,
                {type, s.intern(r.relation), s.intern(share.attribute), ref.targetType},
                share.line,
                share.id,
                false,
                false,
                document::ShareSum()};
    std::string& name = s.groupName;
    name.assign(reinterpret_cast<const char*>(group.parts), sizeof group.parts);
    if (found.lookup == Lookup::kFound) {
      group.resolved = true;
      group.identity = found.identity;
      name.push_back('R');
      name.append(reinterpret_cast<const char*>(&found.identity), sizeof found.identity);
    } else {
      name.push_back('T');
      name.append(reinterpret_cast<const char*>(&ref.scope), sizeof ref.scope);
      if (ref.scope == kLater) {
        name.append(reinterpret_cast<const char*>(&ref.scopeType), sizeof ref.scopeType);
        name.append(ref.scopeText, ref.scopeSize);
        name.push_back('\0');
      }
      name += r.target;
    }
    const auto entered =
        s.groupIndex.enter(0, name, static_cast<std::uint32_t>(s.groups.size()), s.arena);
    if (entered.added) {
      group.holder = holderRecord();
      group.ref = s.keep(ref);
      s.groups.push_back(std::move(group));
    }
    State::Group& g = s.groups[entered.value];
    if (!share.readable) {
      g.unreadable = true;
    } else {
      g.sum.add(share.numerator, share.denominator);
    }
  }
}

void smDocumentChecks::finish(const std::function<void(smDocumentFinding&&)>& sink) {
  State& s = *state_;
  s.ended = true;
  s.update = register_->update();
  // One entry per finding to make: `index` below pending.size() is a reference, then come the
  // groups, then the keys judged now.
  struct Item {
    std::uint32_t line;
    std::uint32_t code;
    std::uint32_t index;
    std::uint32_t related;  // a key's first object; an ambiguous name's first candidate
  };
  std::vector<Item> items;

  // Scoped keys whose scope came after them.
  const auto count = static_cast<std::uint32_t>(s.pending.size());
  const auto groupCount = static_cast<std::uint32_t>(s.groups.size());
  for (std::uint32_t i = 0; i < s.deferred.size(); ++i) {
    const State::Deferred& d = s.deferred[i];
    const Holder h = Holder::read(d.holder);
    const State::Resolved found = s.resolve(d.scope);
    const std::string_view bucket =
        found.lookup == State::Lookup::kFound
            ? s.scopedName(found.identity, h.key)
            : s.textScopedName(d.scope.targetType, d.scope.targetName(), h.key);
    const auto scoped = s.scopedKeys.enter(h.type, bucket, d.ordinal, s.arena);
    if (!scoped.added && s.wantKey) {
      items.push_back(
          Item{d.keyLine, dcDuplicateKey, count + groupCount + i, s.objects[scoped.value].line});
    }
  }

  for (std::uint32_t i = 0; i < count; ++i) {
    const State::Pending& p = s.pending[i];
    const State::Resolved found = s.resolve(p.ref);
    if (found.lookup == State::Lookup::kNone) {
      if (s.wantDangling) {
        items.push_back(Item{p.line, dcDanglingReference, i, 0});
      }
    } else if (found.lookup == State::Lookup::kAmbiguous) {
      if (s.wantAmbiguous) {
        items.push_back(Item{p.line, dcAmbiguousReference, i, found.head});
      }
    } else if (p.precinctDiffers) {
      items.push_back(Item{Holder::read(p.holder).parcelLine, dcPrecinctMismatch, i, 0});
    }
  }

  // Groups by the object their shares name (and their record type, relation and attribute):
  // groups named differently (one share naming the target before it came, another after, by id
  // or by key) come together here.
  struct Target {
    std::uint32_t parts[3];
    std::uint64_t identity;
    std::uint32_t group;
    bool operator<(const Target& o) const {
      return std::tie(parts[0], parts[1], parts[2], identity, group) <
             std::tie(o.parts[0], o.parts[1], o.parts[2], o.identity, o.group);
    }
    bool same(const Target& o) const {
      return std::equal(parts, parts + 3, o.parts) && identity == o.identity;
    }
  };
  std::vector<Target> targets;
  for (std::uint32_t i = 0; i < groupCount; ++i) {
    State::Group& g = s.groups[i];
    if (!g.resolved) {
      const State::Resolved found = s.resolve(g.ref);
      if (found.lookup != State::Lookup::kFound &&
          !(s.update && found.lookup == State::Lookup::kNone)) {
        continue;  // 7002 or 7006 tells why the sum is not judged
      }
      // An update judges a group whose target is not in the document on its own.
      g.identity = found.lookup == State::Lookup::kFound ? found.identity : State::kAbsent | i;
    }
    targets.push_back(Target{{g.parts[0], g.parts[1], g.parts[2]}, g.identity, i});
  }
  // A keyed object named by its id in one group and by its key in another: one object.
  std::unordered_map<std::uint64_t, std::uint64_t> byKey;
  constexpr std::uint64_t kTwice = ~std::uint64_t{0};
  for (const Target& target : targets) {
    if ((target.identity & State::kById) != 0) {
      byKey.emplace(target.identity, target.identity);
    }
  }
  if (!byKey.empty()) {
    for (std::uint32_t o = 0; o < s.objects.size(); ++o) {
      const State::Keyed& k = s.objects[o];
      const auto it = byKey.find(State::kById | std::uint64_t{k.type} << 32 | k.id);
      if (it != byKey.end()) {
        // Two keyed objects with one id: the id names neither, whatever their order.
        it->second = it->second == it->first ? o : kTwice;
      }
    }
    for (Target& target : targets) {
      if ((target.identity & State::kById) != 0 && byKey[target.identity] != kTwice) {
        target.identity = byKey[target.identity];
      }
    }
  }
  std::sort(targets.begin(), targets.end());
  for (std::size_t at = 0; at < targets.size();) {
    std::size_t end = at + 1;
    State::Group& g = s.groups[targets[at].group];
    for (; end < targets.size() && targets[end].same(targets[at]); ++end) {
      State::Group& other = s.groups[targets[end].group];
      g.sum.absorb(other.sum);
      g.unreadable = g.unreadable || other.unreadable;
    }
    const std::uint32_t i = targets[at].group;
    at = end;
    g.sum.settle();
    if (s.update && !g.sum.beyondRange()) {
      if (s.wantUpdate && g.sum.compareOne() > 0) {
        items.push_back(Item{g.line, dcUpdateShareSum, count + i, 0});
      }
    } else if (g.sum.beyondRange()) {
      if (s.wantSumRange) {
        items.push_back(Item{g.line, dcShareSumRange, count + i, 0});
      }
    } else if (g.unreadable) {
      if (s.wantAtLeast && g.sum.compareOne() > 0) {
        items.push_back(Item{g.line, dcShareSumAtLeast, count + i, 0});
      }
    } else if (s.wantSum && !g.sum.isOne()) {
      items.push_back(Item{g.line, dcShareSum, count + i, 0});
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
  register_->finish(s, units);  // the register checks
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
    if (item.index < count) {
      sink(s.pendingFinding(s.pending[item.index], code, item.related));
    } else if (item.index < count + groupCount) {
      sink(s.groupFinding(s.groups[item.index - count], code));
    } else {
      sink(s.duplicateFinding(s.deferred[item.index - count - groupCount], item.related));
    }
  }
  for (; unit != units.end(); ++unit) {
    sink(std::move(*unit));
  }
}

void smDocumentChecks::finish(std::vector<smDocumentFinding>& findings) {
  finish([&findings](smDocumentFinding&& finding) { findings.push_back(std::move(finding)); });
}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The document-level part of the document checks. Which object a name means can change until
// the document ends: an object of the same key may still come, and make the name fit two, or a
// precinct of the same number in another unit may make a scope uncertain. So the findings do not
// depend on the order of the objects, nothing that a later object could change is settled early:
// names are resolved in finish(), each name once, whatever order the objects came in.
//
// What is kept grows with the document, so it is kept compactly, in tables sized by how many
// entries they hold, never by what the entries say (DocumentTables.hpp):
//   - keys: per key (record type, key value) a slot of `keys` and the text in the arena; per
//     keyed object 24 bytes (`objects`): the line and text of its key, its id, and the next
//     object of the same key, so the objects of one key form a chain from the first. A key of a
//     type without scope is repeated when its chain has two objects: 7001 at once.
//   - scopes: a key marked `key-scope` is unique among the objects whose scope relation names the
//     same object. Such an object keeps the name of its scope (ScopedKey, 16 bytes); in finish()
//     the objects of each chain are sorted by the object their scope resolves to, and a run of
//     two or more is a repeated key (7001 on all but the first that came).
//   - names: what a relation names, interned once (`targetNames`, and 8 bytes in `targets`): the
//     target's record type, its text, whether it is an object id, and the name of the scope it is
//     looked up in (the referrer's own relation to the scope's record type), so a name within a
//     name within a name is three small records. A name without scope that was already a key
//     when it came is that key's chain instead, and costs nothing.
//   - ids: every object's (record type, id), a bit in a word of 64 ids (IdSet).
//   - references: a relation whose target is keyed, or named by an id not seen yet, waits as a
//     record of 8 fields (its name, relation, line and its object's type, line, id and key),
//     packed against the one before (PackedRecords: about 10 bytes rather than 32); a
//     relation naming an object id already seen is settled at once, as no later object can
//     change what an id means. A parcel identifier that a precinct relation must agree with is
//     kept beside it (Parcel).
//   - share groups: per (record type, relation, attribute, name) one exact sum (ShareSum) and the
//     share on the least line, which the group's finding is about.
// In finish() a name resolves within its scope when the scope resolves to one object, else among
// all the objects of its type: one object is found; two or more are named as candidates (7006)
// and the name means none of them; none makes an object id tried, then 7002. A scope is followed
// at most kDepth levels deep, and what a name within a scope means is remembered per level, so
// each is worked out once and a cycle of scopes ends. A parcel's precinct relation that resolves
// is judged against the parcel identifier: its precinct number (7004) and its cadastral unit,
// which must be the unit of that precinct object (7005), never of another precinct with the same
// number. Groups whose names resolve to one object are merged, their finding placed at the least
// line and naming the object by its key before any other name. Names of record types, relations
// and attributes are interned. Codes the host does not want are not looked for, and what only
// they need is not kept (smDocumentOptions::notWanted).
//
// finish() sorts a 16-byte entry per finding it will make by line, then code, then order of
// arrival, and makes and hands over one finding at a time.
#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
#include "swde/document/DocumentInternal.hpp"
#include "swde/document/DocumentTables.hpp"
#include "swde/document/RegisterChecks.hpp"  // the register checks

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

}  // namespace

struct smDocumentChecks::State : document::Identities {
  // Who an object is once a name is resolved: a keyed object's ordinal (below 2^32), or
  // kById | type << 32 | id for an object named by its id. A scope that is no one object is
  // kByText | its name without scope, or kNoScope when the object names none. A share group of an
  // update transfer whose target is not in the document is kAbsent | its plain name.
  static constexpr std::uint64_t kById = std::uint64_t{1} << 63;
  static constexpr std::uint64_t kByText = std::uint64_t{1} << 62;
  static constexpr std::uint64_t kAbsent = kById | kByText;
  // With kByText: the scope of one keyed object alone (its ordinal below).
  static constexpr std::uint64_t kOwnScope = std::uint64_t{1} << 40;
  static constexpr std::uint64_t kNoScope = ~std::uint64_t{0};
  static constexpr std::uint32_t kEnd = ~std::uint32_t{0};
  // A name: the ordinal of the first object of a key, or kNamed | its index in `targets`.
  static constexpr std::uint32_t kNamed = std::uint32_t{1} << 31;
  // Scopes within scopes followed, the name's own level included.
  static constexpr int kDepth = 4;
  // Ref::relation: the holder's parcel identifier names another precinct (7004 when found), or
  // its cadastral unit must be the precinct's (7005).
  static constexpr std::uint32_t kPrecinct = std::uint32_t{1} << 31;
  static constexpr std::uint32_t kUnit = std::uint32_t{1} << 30;
  static constexpr std::uint32_t kFlags = kPrecinct | kUnit;

  struct Keyed {
    std::uint32_t key;   // the record of its key in `keys` (KeyedTable::Entered::handle)
    std::uint32_t line;  // of the key
    std::uint32_t next;  // the next object of the same type and key
    std::uint32_t type;
    std::uint32_t id;
    std::uint32_t scoped;  // its ScopedKey, or kEnd for a key of a type without scope
  };
  std::string_view text(const Keyed& k) const { return keys.pairOf(k.key).second; }
  struct ScopedKey {
    std::uint32_t scope;  // the name of the object's scope; kEnd: it names none
    std::uint32_t objectLine;
    std::uint32_t keyEntry;  // interned
    std::uint32_t keyId;
  };
  // An interned name, as `targetNames` keeps it: its record type, and [scope name: 4 bytes]
  // [flags: 1 byte] then the text.
  struct Target {
    std::uint32_t type;
    std::string_view kept;
  };
  Target target(std::uint32_t index) const {
    const auto [type, kept] = document::KeyedTable<>::pairAt(targets[index]);
    return Target{type, kept};
  }
  static constexpr char kByIdFlag = 1;
  static constexpr char kScopedFlag = 2;
  static constexpr std::size_t kTargetHead = sizeof(std::uint32_t) + 1;

  // A relation waiting for the end, and who holds it.
  struct Ref {
    std::uint32_t name;
    std::uint32_t relation;  // interned, with kFlags
    std::uint32_t line;
    std::uint32_t id;
    std::uint32_t type;  // of the holder, interned
    std::uint32_t objectLine;
    std::uint32_t objectId;
    std::uint32_t key;  // the holder's keyed ordinal; kEnd: it has no key
  };
  // The parcel identifier of the holder of a Ref with kFlags.
  struct Parcel {
    std::uint32_t ref;
    std::uint32_t unit;   // interned; the unit the identifier names
    std::uint32_t entry;  // interned
    std::uint32_t line;
    std::uint32_t id;
  };

  // The shares of one group, and the share its finding is about: the one on the least line.
  struct Group {
    std::uint32_t name;
    std::uint32_t parts[4];  // record type, relation, attribute, target type (interned)
    std::uint32_t line;      // of the share attribute
    std::uint32_t id;
    std::uint32_t objectLine;
    std::uint32_t objectId;
    std::uint32_t key;  // the holder's keyed ordinal, or kEnd
    bool unreadable;    // a share that cannot be added: only a sum above 1 is judged
    document::ShareSum sum;
  };

  enum class Lookup : std::uint8_t { kNone, kFound, kAmbiguous };
  struct Resolved {
    std::uint64_t identity = 0;  // kFound: the object; kAmbiguous within a scope: the scope
    std::uint32_t head = kEnd;   // kAmbiguous: the first object of the key
    Lookup lookup = Lookup::kNone;
    std::int8_t depth = -1;  // kAmbiguous within a scope: the depth its chain was sorted at
    bool known = false;      // computed (memo)
  };

  explicit State(const smDocumentOptions& options) {
    const auto wanted = [&options](smDocumentCode code) { return document::Wanted(options, code); };
    wantKey = wanted(dcDuplicateKey);
    wantDangling = wanted(dcDanglingReference);
    wantAmbiguous = wanted(dcAmbiguousReference);
    wantPrecinct = wanted(dcPrecinctMismatch);
    wantUnit = wanted(dcUnitMismatch);
    wantSum = wanted(dcShareSum);
    wantSumRange = wanted(dcShareSumRange);
    wantAtLeast = wanted(dcShareSumAtLeast);
    wantUpdate = wanted(dcUpdateShareSum);
  }

  bool wantReferences() const { return wantDangling || wantAmbiguous || wantPrecinct || wantUnit; }
  bool wantShares() const { return wantSum || wantSumRange || wantAtLeast || wantUpdate; }
  bool resolving() const { return wantReferences() || wantShares() || wantRegister; }

  std::uint32_t intern(std::string_view name) { return nameList.intern(name, arena); }
  AnsiString name(std::uint32_t index) const { return AnsiString(nameList.text(index)); }

  std::uint32_t internTarget(std::uint32_t type, std::uint32_t scope, char flags,
                             std::string_view text) {
    scratch.assign(reinterpret_cast<const char*>(&scope), sizeof scope);
    scratch.push_back(flags);
    scratch += text;
    const auto entered =
        targetNames.enter(type, scratch, static_cast<std::uint32_t>(targets.size()), arena);
    if (entered.added) {
      targets.push_back(entered.text.data());
    }
    return kNamed | entered.value;
  }

  // The name of reference `index` of `digest`, with the names of its scopes.
  std::uint32_t nameOf(const smObjectDigest& digest, std::size_t index, int depth) {
    const smObjectDigest::Reference& r = digest.references[index];
    const std::uint32_t type = intern(r.targetType);
    std::uint32_t scope = kEnd;
    if (r.scoped && r.scope >= 0 && depth + 1 < kDepth) {
      scope = nameOf(digest, static_cast<std::size_t>(r.scope), depth + 1);
    }
    std::uint32_t head = 0;
    if (!r.byId && scope == kEnd && keys.lookup(type, r.target, head)) {
      return head;
    }
    return internTarget(type, scope,
                        static_cast<char>((r.byId ? kByIdFlag : 0) | (r.scoped ? kScopedFlag : 0)),
                        r.target);
  }

  std::uint32_t targetType(std::uint32_t name) const {
    return (name & kNamed) != 0 ? target(name & ~kNamed).type : objects[name].type;
  }
  std::string_view targetText(std::uint32_t name) const {
    return (name & kNamed) != 0 ? target(name & ~kNamed).kept.substr(kTargetHead)
                                : text(objects[name]);
  }
  AnsiString keyText(std::uint32_t ordinal) const {
    return ordinal != kEnd ? AnsiString(text(objects[ordinal])) : AnsiString();
  }

  // Resolution, in finish() only.
  static Resolved found(std::uint64_t identity) {
    Resolved r;
    r.lookup = Lookup::kFound;
    r.identity = identity;
    return r;
  }

  // Among all the objects of a key.
  Resolved chain(std::uint32_t head) const {
    if (objects[head].next == kEnd) {
      return found(head);
    }
    Resolved r;
    r.lookup = Lookup::kAmbiguous;
    r.head = head;
    return r;
  }

  // The scope of keyed object `ordinal`, its name resolved at `depth`.
  std::uint64_t scopeOf(std::uint32_t ordinal, int depth) {
    const std::uint32_t scoped = objects[ordinal].scoped;
    if (scoped == kEnd || scopedKeys[scoped].scope == kEnd) {
      return kNoScope;
    }
    const std::uint32_t scope = scopedKeys[scoped].scope;
    const Resolved r = resolve(scope, depth);
    if (r.lookup == Lookup::kFound) {
      return r.identity;
    }
    if (r.lookup == Lookup::kAmbiguous) {
      // A scope that fits several objects (7006 says which): whether two keys named within it
      // lie in the same one cannot be known, so each is a scope of its own and no key is
      // called repeated for it (a register unit G1 in the precincts 0001 of two units).
      return kByText | kOwnScope | ordinal;
    }
    // No one object: the objects naming the same scope type and text share it, however they
    // name it (a key's chain, or a name kept before the key came).
    const char byId = (scope & kNamed) != 0 ? target(scope & ~kNamed).kept[4] & kByIdFlag : 0;
    const std::uint32_t flat = internTarget(targetType(scope), kEnd, byId, targetText(scope));
    return kByText | (flat & ~kNamed);
  }

  // `name` as its text says it, whichever way it was kept (a key's chain, or a name kept before
  // the key came), within its scope said the same way: two names of an object that is not in
  // the document are one name when their texts are, whatever the order they came in.
  std::uint32_t plainName(std::uint32_t name, int depth) {
    if ((name & kNamed) == 0) {
      return internTarget(objects[name].type, kEnd, 0, text(objects[name]));
    }
    const Target t = target(name & ~kNamed);
    std::uint32_t scope = kEnd;
    std::memcpy(&scope, t.kept.data(), sizeof scope);
    const char flags = t.kept[4];
    scope = scope != kEnd && depth + 1 < kDepth ? plainName(scope, depth + 1) : kEnd;
    // A name within no scope is looked up among all, whether its relation has a scope or not.
    return internTarget(t.type, scope, static_cast<char>(flags & kByIdFlag),
                        t.kept.substr(kTargetHead));
  }

  // The objects of the key whose chain starts at `head`, by (scope at `depth`, ordinal).
  using Members = std::vector<std::pair<std::uint64_t, std::uint32_t>>;
  const Members& members(std::uint32_t head, int depth) {
    const std::uint64_t index = std::uint64_t{head} << 3 | static_cast<std::uint64_t>(depth);
    const auto it = scoped.find(index);
    if (it != scoped.end()) {
      return it->second;
    }
    Members list;
    for (std::uint32_t at = head; at != kEnd; at = objects[at].next) {
      list.emplace_back(scopeOf(at, depth), at);
    }
    std::sort(list.begin(), list.end());
    return scoped.emplace(index, std::move(list)).first->second;
  }

  // What `name` means, looked up at `depth` (0 for a relation's own name).
  Resolved resolve(std::uint32_t name, int depth) {
    if ((name & kNamed) == 0) {
      return chain(name);
    }
    const std::uint32_t index = name & ~kNamed;
    const Target t = target(index);
    std::uint32_t scope = kEnd;
    std::memcpy(&scope, t.kept.data(), sizeof scope);
    const char flags = t.kept[4];
    const std::string_view text = t.kept.substr(kTargetHead);
    // Only a name within a scope is worth remembering: the others are one lookup.
    const bool within = (flags & kScopedFlag) != 0 && scope != kEnd && depth + 1 < kDepth;
    std::vector<Resolved>& memo = memos[static_cast<std::size_t>(depth)];
    if (within && memo.size() <= index) {
      memo.resize(targets.size());
    }
    if (within && memo[index].known) {
      return memo[index];
    }
    Resolved r;
    std::uint32_t head = 0;
    if ((flags & kByIdFlag) == 0 && keys.lookup(t.type, text, head)) {
      r = chain(head);
      if (within) {
        const Resolved in = resolve(scope, depth + 1);
        if (in.lookup == Lookup::kFound) {
          const Members& all = members(head, depth + 1);
          const auto range = std::equal_range(
              all.begin(), all.end(), std::make_pair(in.identity, std::uint32_t{0}),
              [](const auto& a, const auto& b) { return a.first < b.first; });
          r = Resolved{};
          if (range.second - range.first == 1) {
            r = found(range.first->second);
          } else if (range.first != range.second) {
            r.lookup = Lookup::kAmbiguous;
            r.identity = in.identity;
            r.head = head;
            r.depth = static_cast<std::int8_t>(depth + 1);
          }
        }
      }
    }
    std::uint32_t id = 0;
    if (r.lookup == Lookup::kNone && readId(text, id) && ids.contains(t.type, id)) {
      r = found(kById | std::uint64_t{t.type} << 32 | id);
    }
    r.known = true;
    if (within) {
      memos[static_cast<std::size_t>(depth)][index] = r;
    }
    return r;
  }

  // The key lines of an ambiguous name's candidates, ascending.
  std::vector<std::uint32_t> candidates(const Resolved& r) {
    std::vector<std::uint32_t> lines;
    if (r.depth < 0) {
      for (std::uint32_t at = r.head; at != kEnd; at = objects[at].next) {
        lines.push_back(objects[at].line);
      }
    } else {
      for (const auto& [scope, ordinal] : members(r.head, r.depth)) {
        if (scope == r.identity) {
          lines.push_back(objects[ordinal].line);
        }
      }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  // 7002, 7004, 7005 or 7006 about reference `at`.
  smDocumentFinding refFinding(std::uint32_t at, smDocumentCode code, const Resolved& r) {
    const Ref ref = this->ref(at);
    const AnsiString type = name(ref.type);
    const AnsiString relation = name(ref.relation & ~kFlags);
    const AnsiString target(targetText(ref.name));
    const document::Subject object{type, ref.objectLine, ref.objectId};
    smDocumentFinding finding;
    if (code == dcPrecinctMismatch || code == dcUnitMismatch) {
      const Parcel& p =
          *std::lower_bound(parcels.begin(), parcels.end(), at,
                            [](const Parcel& a, std::uint32_t b) { return a.ref < b; });
      const AnsiString entry = name(p.entry);
      const auto other = parcelValues.find(at);
      const AnsiString value =
          other == parcelValues.end() ? keyText(ref.key) : AnsiString(other->second);
      if (code == dcUnitMismatch) {
        return document::MakeUnitFinding(object, entry, p.line, p.id, keyText(ref.key), value,
                                         target,
                                         name(units.at(static_cast<std::uint32_t>(r.identity))));
      }
      finding = document::MakeEntryFinding(code, object, entry, p.line, p.id,
                                           {entry, type, target, relation});
      finding.key = keyText(ref.key);
      finding.value = value;
      finding.expected = target;
      return finding;
    }
    std::string lines;
    std::uint32_t first = 0;
    if (code == dcAmbiguousReference) {
      const std::vector<std::uint32_t> all = candidates(r);
      first = all.front();
      for (std::size_t i = 0; i < all.size() && i < 3; ++i) {
        lines += (i == 0 ? "" : ", ") + std::to_string(all[i]);
      }
      lines += all.size() > 3 ? ", ..." : "";
    }
    finding = document::MakeEntryFinding(
        code, object, relation, ref.line, ref.id,
        {name(targetType(ref.name)), target, relation, type, AnsiString(lines)});
    finding.key = keyText(ref.key);
    finding.value = target;
    if (code == dcAmbiguousReference) {
      finding.expected = lines;
      finding.relatedLine = first;
    }
    return finding;
  }

  smDocumentFinding groupFinding(const Group& g, smDocumentCode code) const {
    const AnsiString type = name(g.parts[0]);
    const AnsiString attribute = name(g.parts[2]);
    const document::Subject object{type, g.objectLine, g.objectId};
    const AnsiString relation = name(g.parts[1]);
    const AnsiString targetTypeName = name(g.parts[3]);
    const AnsiString target(targetText(g.name));
    smDocumentFinding finding;
    if (code == dcShareSumRange) {
      finding = document::MakeEntryFinding(code, object, attribute, g.line, g.id,
                                           {attribute, type, relation, targetTypeName, target});
    } else {
      const AnsiString sum = g.sum.text();
      const bool atLeast = code == dcShareSumAtLeast || (code == dcUpdateShareSum && g.unreadable);
      finding = document::MakeEntryFinding(
          code, object, attribute, g.line, g.id,
          {attribute, type, relation, targetTypeName, target,
           code == dcUpdateShareSum && atLeast ? "co najmniej " + sum : sum});
      finding.value = atLeast ? ">= " + sum : sum;
      finding.expected = code == dcUpdateShareSum ? "<= 1" : "1";
    }
    finding.key = keyText(g.key);
    return finding;
  }

  smDocumentFinding duplicateFinding(std::uint32_t ordinal, std::uint32_t first) const {
    const Keyed& k = objects[ordinal];
    const ScopedKey& sk = scopedKeys[k.scoped];
    const AnsiString type = name(k.type);
    const AnsiString key(text(k));
    smDocumentFinding finding = document::MakeEntryFinding(
        dcDuplicateKey, {type, sk.objectLine, k.id}, name(sk.keyEntry), k.line, sk.keyId,
        {type, key, std::to_string(objects[first].line)});
    finding.key = key;
    finding.value = key;
    finding.relatedLine = objects[first].line;
    return finding;
  }

  bool wantKey = true;
  bool wantDangling = true;
  bool wantAmbiguous = true;
  bool wantPrecinct = true;
  bool wantUnit = true;
  bool wantSum = true;
  bool wantSumRange = true;
  bool wantAtLeast = true;
  bool wantUpdate = true;
  bool wantRegister = false;  // the register checks resolve names (document::Identities)
  bool update = false;        // an update transfer: share sums are judged only above 1

  // document::Identities, for the register checks: their names wait for finish() like the others.
  std::uint64_t byKey(const smObjectDigest& digest) override {
    return digest.keyed && !digest.key.empty() ? objects.size() - 1 : kNone;
  }
  std::uint64_t byId(const AnsiString& typeName, std::uint32_t id) override {
    return kById | std::uint64_t{intern(typeName)} << 32 | id;
  }
  std::uint32_t handle(const smObjectDigest& digest, std::size_t index) override {
    registerNames.push_back(nameOf(digest, index, 0));
    return static_cast<std::uint32_t>(registerNames.size() - 1);
  }
  std::uint64_t resolve(std::uint32_t handle) override {
    const Resolved r = resolve(registerNames[handle], 0);
    return r.lookup == Lookup::kFound ? r.identity : kNone;
  }
  std::string_view keptKey(const smObjectDigest& digest) override {
    if (byKey(digest) == kNone || objects.empty() || text(objects.back()) != digest.key) {
      return {};
    }
    return text(objects.back());
  }
  std::deque<std::uint32_t> registerNames;  // the names the register checks resolve

  document::Arena arena;
  document::NameList nameList;
  // (record type, key) -> the first object of that key, in `objects`.
  document::KeyedTable<> keys;
  std::deque<Keyed> objects;  // keyed objects, by ordinal
  std::deque<ScopedKey> scopedKeys;
  std::unordered_map<std::uint32_t, std::uint32_t> units;  // a precinct's ordinal -> its unit
  // (record type, [scope][flags]text) -> the index in `targets`.
  document::KeyedTable<> targetNames;
  std::deque<const char*> targets;  // the text of each, as `targetNames` keeps it
  document::IdSet<> ids;            // (record type, object id), every object's
  // Refs, packed: a Ref as 8 fields, the flags of its name and relation in their low bits, and
  // its holder's key ordinal plus one (kEnd: 0), so that the fields of neighbours differ little.
  document::PackedRecords<8> refs;
  static document::PackedRecords<8>::Record pack(const Ref& r) {
    return {r.name << 1 | r.name >> 31,
            r.relation << 2 | r.relation >> 30,
            r.line,
            r.id,
            r.type,
            r.objectLine,
            r.objectId,
            r.key + 1};
  }
  static Ref unpack(const document::PackedRecords<8>::Record& f) {
    return Ref{
        f[0] >> 1 | f[0] << 31, f[1] >> 2 | f[1] << 30, f[2], f[3], f[4], f[5], f[6], f[7] - 1};
  }
  Ref ref(std::uint32_t at) const { return unpack(refs[at]); }
  std::deque<Parcel> parcels;  // by Parcel::ref
  // The parcel identifiers that are not their holder's key, by Parcel::ref.
  std::unordered_map<std::uint32_t, std::string_view> parcelValues;
  // Named by record type, relation, attribute, target type and name (interned, 20 bytes); the
  // value: the group's index in `groups`.
  document::KeyedTable<> groupIndex;
  std::deque<Group> groups;
  std::string scratch;
  // finish(): resolved names, per depth; the objects of a key by scope, per (first, depth).
  std::vector<Resolved> memos[kDepth];
  std::unordered_map<std::uint64_t, Members> scoped;

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
  register_->add(digest, *state_, findings);  // the register checks
}

void smDocumentChecks::State::record(const smObjectDigest& digest,
                                     std::vector<smDocumentFinding>& findings) {
  State& s = *this;
  if (!digest.checked || (!s.wantKey && !s.resolving())) {
    return;
  }
  const std::uint32_t type = s.intern(digest.typeName);
  s.ids.insert(type, digest.id);

  std::uint32_t self = kEnd;
  if (digest.keyed && !digest.key.empty()) {
    self = static_cast<std::uint32_t>(s.objects.size());
    const auto entered = s.keys.enter(type, digest.key, self, s.arena);
    s.objects.push_back(Keyed{entered.handle, digest.keyLine, kEnd, type, digest.id, kEnd});
    if (!entered.added) {
      Keyed& head = s.objects[entered.value];
      s.objects.back().next = head.next;
      head.next = self;
    }
    if (digest.keyScoped) {
      s.objects.back().scoped = static_cast<std::uint32_t>(s.scopedKeys.size());
      const std::uint32_t scope =
          digest.scope >= 0 ? s.nameOf(digest, static_cast<std::size_t>(digest.scope), 1) : kEnd;
      s.scopedKeys.push_back(
          ScopedKey{scope, digest.line, s.intern(digest.keyEntry), digest.keyId});
    } else if (!entered.added && s.wantKey) {
      const std::uint32_t line = s.objects[entered.value].line;
      smDocumentFinding finding = document::MakeEntryFinding(
          dcDuplicateKey, {digest.typeName, digest.line, digest.id}, digest.keyEntry,
          digest.keyLine, digest.keyId, {digest.typeName, digest.key, std::to_string(line)});
      finding.key = digest.key;
      finding.value = digest.key;
      finding.relatedLine = line;
      findings.push_back(std::move(finding));
    }
    if (!digest.unit.empty() && s.wantUnit) {
      s.units.emplace(self, s.intern(digest.unit));
    }
  }
  if (!s.resolving()) {
    return;
  }

  for (std::size_t i = 0; s.wantReferences() && i < digest.references.size(); ++i) {
    const smObjectDigest::Reference& r = digest.references[i];
    const bool precinct = s.wantPrecinct && r.precinctDiffers;
    const bool unit = s.wantUnit && !r.parcelUnit.empty();
    if (r.byId) {
      // An object id names one object whatever comes later: settled once it is known.
      std::uint32_t id = 0;
      if (!s.wantDangling || (readId(r.target, id) && s.ids.contains(s.intern(r.targetType), id))) {
        continue;
      }
    } else if (!s.wantDangling && !s.wantAmbiguous && !precinct && !unit) {
      continue;
    }
    const auto at = static_cast<std::uint32_t>(s.refs.size());
    s.refs.push_back(
        pack(Ref{s.nameOf(digest, i, 0),
                 s.intern(r.relation) | (precinct ? kPrecinct : 0) | (unit ? kUnit : 0), r.line,
                 r.id, type, digest.line, digest.id, self}));
    if (precinct || unit) {
      s.parcels.push_back(Parcel{at, unit ? s.intern(r.parcelUnit) : 0,
                                 s.intern(digest.parcelEntry), digest.parcelLine, digest.parcelId});
      if (self == kEnd || digest.parcelValue != digest.key) {
        s.parcelValues.emplace(at, s.arena.keep(digest.parcelValue));
      }
    }
  }

  for (std::size_t i = 0; s.wantShares() && i < digest.shares.size(); ++i) {
    const smObjectDigest::Share& share = digest.shares[i];
    const smObjectDigest::Reference& r = digest.references[share.reference];
    const std::uint32_t target = s.nameOf(digest, share.reference, 0);
    const std::uint32_t parts[5] = {type, s.intern(r.relation), s.intern(share.attribute),
                                    s.intern(r.targetType), target};
    const auto entered =
        s.groupIndex.enter(0, std::string_view(reinterpret_cast<const char*>(parts), sizeof parts),
                           static_cast<std::uint32_t>(s.groups.size()), s.arena);
    if (entered.added) {
      s.groups.push_back(Group{target,
                               {parts[0], parts[1], parts[2], parts[3]},
                               share.line,
                               share.id,
                               digest.line,
                               digest.id,
                               self,
                               false,
                               document::ShareSum()});
    }
    Group& g = s.groups[entered.value];
    if (std::tie(share.line, digest.line) < std::tie(g.line, g.objectLine)) {
      g.line = share.line;
      g.id = share.id;
      g.objectLine = digest.line;
      g.objectId = digest.id;
      g.key = self;
    }
    if (!share.readable) {
      g.unreadable = true;
    } else {
      g.sum.add(share.numerator, share.denominator);
    }
  }
}

void smDocumentChecks::finish(const std::function<void(smDocumentFinding&&)>& sink) {
  State& s = *state_;
  s.update = register_->update();
  // One entry per finding to make: `index` below refs.size() is a reference, then come the
  // groups, then the keyed objects.
  struct Item {
    std::uint32_t line;
    std::uint32_t code;
    std::uint32_t index;
    std::uint32_t related;  // a repeated key's first object
  };
  std::vector<Item> items;
  const auto refCount = static_cast<std::uint32_t>(s.refs.size());
  const auto groupCount = static_cast<std::uint32_t>(s.groups.size());

  // Keys repeated within their scope: in each chain, the objects of one scope after the first.
  if (s.wantKey) {
    for (std::uint32_t o = 0; o < s.objects.size(); ++o) {
      const State::Keyed& k = s.objects[o];
      std::uint32_t head = 0;
      if (k.scoped == State::kEnd || !s.keys.lookup(k.type, s.text(k), head) || head != o ||
          k.next == State::kEnd) {
        continue;
      }
      const State::Members& all = s.members(o, 1);
      for (std::size_t first = 0, at = 1; at < all.size(); ++at) {
        if (all[at].first != all[first].first) {
          first = at;
        } else {
          items.push_back(Item{s.objects[all[at].second].line, dcDuplicateKey,
                               refCount + groupCount + all[at].second, all[first].second});
        }
      }
    }
  }

  // A keyed object named by its id: the object, when exactly one keyed object has that id.
  std::unordered_map<std::uint64_t, std::uint32_t> byKey;
  constexpr std::uint32_t kTwice = State::kEnd;
  const auto noteId = [&byKey](const State::Resolved& r) {
    if (r.lookup == State::Lookup::kFound && (r.identity & State::kById) != 0) {
      byKey.emplace(r.identity, kTwice - 1);
    }
  };
  std::vector<State::Resolved> groupTargets(groupCount);
  for (std::uint32_t i = 0; i < groupCount; ++i) {
    groupTargets[i] = s.resolve(s.groups[i].name, 0);
    noteId(groupTargets[i]);
  }
  for (auto reader = s.refs.from(0); reader.index() < refCount;) {
    const State::Ref ref = State::unpack(reader.next());
    if ((ref.relation & State::kUnit) != 0) {
      noteId(s.resolve(ref.name, 0));
    }
  }
  if (!byKey.empty()) {
    for (std::uint32_t o = 0; o < s.objects.size(); ++o) {
      const State::Keyed& k = s.objects[o];
      const auto it = byKey.find(State::kById | std::uint64_t{k.type} << 32 | k.id);
      if (it != byKey.end()) {
        // Two keyed objects with one id: the id names neither, whatever their order.
        it->second = it->second == kTwice - 1 ? o : kTwice;
      }
    }
  }
  const auto canonical = [&byKey](std::uint64_t identity) {
    const auto it = (identity & State::kById) != 0 ? byKey.find(identity) : byKey.end();
    return it != byKey.end() && it->second < kTwice - 1 ? std::uint64_t{it->second} : identity;
  };

  std::size_t parcel = 0;
  auto reader = s.refs.from(0);
  for (std::uint32_t i = 0; i < refCount; ++i) {
    const State::Ref ref = State::unpack(reader.next());
    const State::Resolved r = s.resolve(ref.name, 0);
    if (r.lookup == State::Lookup::kNone) {
      if (s.wantDangling) {
        items.push_back(Item{ref.line, dcDanglingReference, i, 0});
      }
      continue;
    }
    if (r.lookup == State::Lookup::kAmbiguous) {
      if (s.wantAmbiguous) {
        items.push_back(Item{ref.line, dcAmbiguousReference, i, 0});
      }
      continue;
    }
    if ((ref.relation & State::kFlags) == 0) {
      continue;
    }
    while (s.parcels[parcel].ref != i) {
      ++parcel;
    }
    const State::Parcel& p = s.parcels[parcel];
    if ((ref.relation & State::kPrecinct) != 0) {
      items.push_back(Item{p.line, dcPrecinctMismatch, i, 0});
    }
    const std::uint64_t precinct = canonical(r.identity);
    if ((ref.relation & State::kUnit) != 0 && precinct < State::kByText) {
      const auto unit = s.units.find(static_cast<std::uint32_t>(precinct));
      if (unit != s.units.end() && unit->second != p.unit) {
        items.push_back(Item{p.line, dcUnitMismatch, i, static_cast<std::uint32_t>(precinct)});
      }
    }
  }

  // Groups by the object their shares name (and their record type, relation and attribute):
  // groups named differently (by id and by key, within a scope and without) come together here.
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
  targets.reserve(groupCount);  // at most one each: a vector that doubles holds three halves
  for (std::uint32_t i = 0; i < groupCount; ++i) {
    const State::Group& g = s.groups[i];
    if (groupTargets[i].lookup == State::Lookup::kFound) {  // else 7002 or 7006 tells why
      targets.push_back(
          Target{{g.parts[0], g.parts[1], g.parts[2]}, canonical(groupTargets[i].identity), i});
    } else if (s.update && groupTargets[i].lookup == State::Lookup::kNone) {
      // An update judges the shares of an object that is not in the document by themselves:
      // one group per name, however each share's name was kept.
      const std::uint32_t plain = s.plainName(g.name, 0) & ~State::kNamed;
      targets.push_back(Target{{g.parts[0], g.parts[1], g.parts[2]}, State::kAbsent | plain, i});
    }
  }
  std::vector<State::Resolved>().swap(groupTargets);
  std::sort(targets.begin(), targets.end());
  // The name a group's finding shows: the object's key before any other name (an object id),
  // then the least text.
  const auto rank = [&s](std::uint32_t name, std::uint64_t identity) {
    const std::string_view text = s.targetText(name);
    return std::make_pair(identity >= State::kByText || s.text(s.objects[identity]) != text, text);
  };
  for (std::size_t at = 0; at < targets.size();) {
    std::size_t end = at + 1;
    State::Group& g = s.groups[targets[at].group];
    for (; end < targets.size() && targets[end].same(targets[at]); ++end) {
      State::Group& other = s.groups[targets[end].group];
      g.sum.absorb(other.sum);
      g.unreadable = g.unreadable || other.unreadable;
      if (std::tie(other.line, other.objectLine) < std::tie(g.line, g.objectLine)) {
        std::tie(g.line, g.id, g.objectLine, g.objectId, g.key) =
            std::tie(other.line, other.id, other.objectLine, other.objectId, other.key);
      }
      if (rank(other.name, targets[at].identity) < rank(g.name, targets[at].identity)) {
        g.name = other.name;
      }
    }
    const std::uint32_t i = targets[at].group;
    at = end;
    g.sum.settle();
    if (s.update && !g.sum.beyondRange()) {
      if (s.wantUpdate && g.sum.compareOne() > 0) {
        items.push_back(Item{g.line, dcUpdateShareSum, refCount + i, 0});
      }
    } else if (g.sum.beyondRange()) {
      if (s.wantSumRange) {
        items.push_back(Item{g.line, dcShareSumRange, refCount + i, 0});
      }
    } else if (g.unreadable) {
      if (s.wantAtLeast && g.sum.compareOne() > 0) {
        items.push_back(Item{g.line, dcShareSumAtLeast, refCount + i, 0});
      }
    } else if (s.wantSum && !g.sum.isOne()) {
      items.push_back(Item{g.line, dcShareSum, refCount + i, 0});
    }
  }
  std::vector<Target>().swap(targets);  // given back before the register checks resolve theirs

  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.line != b.line   ? a.line < b.line
           : a.code != b.code ? a.code < b.code
                              : a.index < b.index;
  });
  // The register checks' findings, merged in by line and code; of one line and code, in the
  // order they were found (that of the objects in the document).
  std::vector<smDocumentFinding> found;
  register_->finish(s, found);
  std::stable_sort(found.begin(), found.end(),
                   [](const smDocumentFinding& a, const smDocumentFinding& b) {
                     return a.line != b.line ? a.line < b.line : a.code < b.code;
                   });
  auto next = found.begin();
  for (const Item& item : items) {
    for (; next != found.end() &&
           (next->line != item.line ? next->line < item.line
                                    : static_cast<std::uint32_t>(next->code) < item.code);
         ++next) {
      sink(std::move(*next));
    }
    const auto code = static_cast<smDocumentCode>(item.code);
    if (item.index < refCount) {
      State::Resolved r = s.resolve(s.ref(item.index).name, 0);
      if (code == dcUnitMismatch) {
        r.identity = item.related;
      }
      sink(s.refFinding(item.index, code, r));
    } else if (item.index < refCount + groupCount) {
      sink(s.groupFinding(s.groups[item.index - refCount], code));
    } else {
      sink(s.duplicateFinding(item.index - refCount - groupCount, item.related));
    }
  }
  for (; next != found.end(); ++next) {
    sink(std::move(*next));
  }
}

void smDocumentChecks::finish(std::vector<smDocumentFinding>& findings) {
  finish([&findings](smDocumentFinding&& finding) { findings.push_back(std::move(finding)); });
}

}  // namespace swde

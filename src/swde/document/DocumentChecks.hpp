// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_DOCUMENT_DOCUMENTCHECKS_HPP_
#define SWDE_DOCUMENT_DOCUMENTCHECKS_HPP_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

// Document checks: a second layer beside the object's own checks (smObject::checkMain), which it
// never changes. It judges what one object cannot tell about itself, and values beyond their
// form: keys unique in the document, relations that find their target, dates in the calendar,
// identifiers with their check digits, shares that add up to 1; and the register's own
// consistency (areas of parcels and their land-use parts, subjects named once, each object in a
// register unit of its kind). The marks it reads are in the reference schema:
// AttributeDecl::check, AttributeDef::key and ReferenceDef::shares; the register checks also
// know the national record types by name (see RegisterChecks.hpp).
//
// Two parts, so that a host checking objects on several threads reports the same whatever the
// number of threads:
//   - smObjectChecks::check: a pure function of one object and the reference schema. It reports
//     the object's values and returns a digest, the little the document needs to remember.
//     Any thread may run it, for any object, at any time.
//   - smDocumentChecks::add: fed the digests in document order. It keeps keys, pending
//     references and share sums (never objects), reports a repeated key as it arrives, and
//     reports the rest in finish().
// smDocumentChecks::addObject does both, for a host on one thread.
//
// A target is named by its DEST_OBJECT name (smRelation::destObject): the value of the target
// record type's key attribute when the reference schema marks one, else the target's object id
// in decimal.

namespace SWDE_API swde {

namespace document {
class RegisterState;
}  // namespace document

// The codes of the document checks, apart from the catalogue's (2001 to 6036). Keep in sync with
// the table in DocumentFindings.cpp (a compile-time check there counts both).
enum smDocumentCode : std::int16_t {
  dcDuplicateKey = 7001,        // error: a key value already used by an object of the same type
  dcDanglingReference = 7002,   // warning: the relation's target is not in the document
  dcUnnamedTarget = 7003,       // warning: DEST_OBJECT names no target object
  dcPrecinctMismatch = 7004,    // error: the parcel identifier's precinct is not the related one
  dcUnitMismatch = 7005,        // error: the parcel identifier's unit is not its precinct's unit
  dcAmbiguousReference = 7006,  // warning: the relation's name fits several objects
  dcDateDigits = 7010,          // error: a date or time field holds something else than digits
  dcNoSuchDay = 7011,           // error: the date does not exist in the calendar
  dcTimeRange = 7012,           // error: the time is outside 00:00:00 to 23:59:59 (or :60)
  dcFutureDate = 7013,          // error: the date is later than the day of the check
  dcNegativeArea = 7014,        // error: an area below zero
  dcNegativeShare = 7015,       // error: a share below zero
  dcShareForm = 7016,           // error: a share that is not n or n/d in natural numbers, d > 0
  dcPesel = 7020,               // error: not a valid PESEL number
  dcNip = 7021,                 // error: not a valid NIP number
  dcRegon = 7022,               // error: not a valid REGON number
  dcParcelId = 7023,            // error: not a valid parcel identifier
  dcTeryt = 7024,               // error: not a valid commune code WWPPGG_R
  dcPrecinct = 7025,            // error: not a precinct number of four digits
  dcKw = 7026,                  // error: not a valid land and mortgage register number
  dcNipForm = 7027,             // warning: a valid NIP written with separators or a PL prefix
  dcShareSum = 7030,            // error: the shares of a group do not add up to 1
  dcShareSumRange = 7031,       // warning: the shares' denominators pass 2^26 bits; not judged
  dcShareSumAtLeast = 7032,     // error: the readable shares of a group already pass 1
  // The register checks (RegisterChecks.hpp).
  dcParcelAreaZero = 7040,    // error: a parcel's area is zero
  dcAreaPrecision = 7041,     // warning: an area in hectares finer than 0.0001 ha
  dcParcelAreaSum = 7042,     // error: a parcel's area is not the sum of its land-use parts
  dcZeroShare = 7043,         // error: a share of zero
  dcDuplicateSubject = 7044,  // error: a PESEL (REGON) repeated among persons (institutions)
  dcUnitKind = 7045,          // error: a register unit of another kind than the object needs
  dcUnitPrecincts = 7046,     // error: a land register unit's parcels in two precincts
  dcBuildingPrecinct = 7047,  // warning: a building identifier names another precinct
  dcUpdateShareSum = 7048,    // error: in an update transfer, shares adding up to more than 1
};

// One code of the document checks: its severity and its message with "%s" placeholders (CP1250).
struct smDocumentCodeInfo {
  smDocumentCode code;
  smError::ReportMsgType msgType;
  const char* format;
};
// Every code, in ascending order.
const std::vector<smDocumentCodeInfo>& DocumentCodes();
// The entry of `code`, or null when it is not a code of the document checks.
const smDocumentCodeInfo* FindDocumentCode(int code);

// One finding of the document checks. Texts are CP1250.
struct smDocumentFinding {
  smDocumentCode code = dcDuplicateKey;
  smError::ReportMsgType msgType = smError::rmError;  // 0 error, 1 warning
  std::uint32_t line = 0;         // of the attribute or relation concerned, else of the object
  std::uint32_t objectLine = 0;   // the object's line
  std::uint32_t objectId = 0;     // the object's id
  bool hasEntry = false;          // the finding concerns one attribute or relation
  std::uint32_t entryId = 0;      // its id
  AnsiString entry;               // its name
  AnsiString typeName;            // the object's record type
  AnsiString key;                 // the object's key value; empty when it has none
  AnsiString value;               // the offending value; empty when there is none
  AnsiString expected;            // what the rule expected; empty when it cannot say
  std::uint32_t relatedLine = 0;  // a repeated key: the line of its first occurrence; else 0
  AnsiString message;             // the code's text with its placeholders filled
};

// What a transfer document carries. A full transfer holds the whole register of what it holds
// (every share of a register unit, every land-use part of a parcel); an update transfer holds
// only what changed, so the sums that need the whole are judged only as far as the document
// shows them.
enum class smTransfer : std::uint8_t {
  kDeclared,  // as the document declares it (smDocumentChecks::declareTransfer); else full
  kFull,
  kUpdate,
};

struct smDocumentOptions {
  // The day of the check, "rrrr.mm.dd": no date may lie after it (unless marked future-ok).
  // Empty: the date in Poland when the checks are constructed (PolishDay).
  AnsiString today;
  // Codes of the document-level part (7001, 7002, 7004-7006, 7030-7032, 7042, 7044-7048) that
  // the host will not report: smDocumentChecks does not look for them and keeps nothing for them
  // alone (no reference waits for the end when none of 7002 and 7004-7006 is wanted, no share sum
  // without 7030-7032 and 7048, no key nor id when nothing is wanted). The per-object part
  // reports its codes anyway.
  std::vector<smDocumentCode> notWanted = {};
  smTransfer transfer = smTransfer::kDeclared;  // kFull or kUpdate: whatever the document says
};

// What the document needs to remember of one object. Made by smObjectChecks::check.
struct smObjectDigest {
  struct Reference {
    AnsiString relation;     // the relation entry's name
    std::uint32_t line = 0;  // and its location
    std::uint32_t id = 0;
    AnsiString targetType;  // DEST_OBJECT element
    AnsiString target;      // DEST_OBJECT name, trimmed
    bool byId = false;      // the target type has no key: `target` is an object id
    // The object's parcel identifier (see below) names another precinct than `target`;
    // reported only when the target is in the document.
    bool precinctDiffers = false;
    // The target is a precinct: the unit WWPPGG_R of the object's parcel identifier, which must
    // be the precinct's own `unit` (7005); empty when the object has no valid one.
    AnsiString parcelUnit;
    // The target type's key is unique only within a scope (AttributeDef::keyScope); `scope` is
    // then the index in `references` of the object's relation to an object of the scope's record
    // type (the relation of the scope's name first), within which the name is looked up; -1:
    // none, the name is looked up among all the objects of the target type.
    bool scoped = false;
    int scope = -1;
  };
  struct Share {
    std::size_t reference = 0;  // the relation that groups the share, in `references`
    AnsiString attribute;       // the share attribute's code
    std::uint32_t line = 0;     // of the share attribute, or of the object when it has none
    std::uint32_t id = 0;
    bool readable = false;  // a share n/d (or n) that can be added exactly
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
  };

  AnsiString typeName;
  std::uint32_t line = 0;
  std::uint32_t id = 0;
  bool checked = false;  // false for an object the checks leave out (status 20, 21 or 22)
  bool keyed = false;    // the record type has a key attribute
  AnsiString key;        // the trimmed key value; empty when the object has none
  AnsiString keyEntry;   // the key attribute's name and location
  // The record type's key is unique only within a scope (AttributeDef::keyScope); `scope` is
  // then the index in `references` of the relation naming the object's scope, -1 when it names
  // none (such objects are compared among themselves).
  bool keyScoped = false;
  int scope = -1;
  std::uint32_t keyLine = 0;
  std::uint32_t keyId = 0;
  AnsiString parcelEntry;  // the first valid parcel identifier: its attribute, location, value
  std::uint32_t parcelLine = 0;
  std::uint32_t parcelId = 0;
  AnsiString parcelValue;
  // A precinct (its key is marked `precinct`): the unit it belongs to, the target of its first
  // relation to a record type whose key is marked `teryt`; else empty.
  AnsiString unit;
  std::vector<Reference> references;
  std::vector<Share> shares;

  // What the register checks (RegisterChecks.hpp) need of the object besides the above.
  struct Register {
    std::uint8_t role = 0;  // the record type's part in the register (document::RegisterRole)
    // An area in hectares (G5PEW) read exactly, in units of 0.0001 ha, and its location.
    bool areaRead = false;
    std::int64_t area = 0;
    std::uint32_t areaLine = 0;
    std::uint32_t areaId = 0;
    AnsiString areaEntry;
    // "WWPPGG_R.OOOO": a parcel's, of its parcel identifier; a building's, of its identifier;
    // else empty.
    AnsiString precinct;
    // A land-use part: its relation to its parcel, in `references`, when the schema admits the
    // target; -1: none.
    int partOf = -1;
    char unitKind = 0;  // a register unit: its kind G, B or L (G5TJR); 0 when it has none
    // A subject: its PESEL or REGON (trimmed; empty when none) and its attribute.
    AnsiString subject;
    AnsiString subjectEntry;
    std::uint32_t subjectLine = 0;
    std::uint32_t subjectId = 0;
  };
  Register reg;
};

// The per-object part. Reads the reference schema only through its lookups (no walk cursor
// moves), so one instance may serve any number of threads at once.
class smObjectChecks {
 public:
  // REQUIRES: `annex` outlives this and does not change meanwhile; it may be null (a schema that
  // defines nothing). Throws std::invalid_argument when options.today is not a real day
  // "rrrr.mm.dd".
  explicit smObjectChecks(const Metadata* annex, const smDocumentOptions& options = {});

  // Appends the findings about the object's values to `findings`, in the order of its
  // attribute map, then those about its relations, then those of the register checks about the
  // object alone (7040, 7041, 7043), and returns its digest. Objects with the
  // status 20, 21 or 22 are left out: no finding, a digest with `checked` false.
  smObjectDigest check(const smObject& object, std::vector<smDocumentFinding>& findings) const;

  ~smObjectChecks();
  smObjectChecks(const smObjectChecks&) = delete;
  smObjectChecks& operator=(const smObjectChecks&) = delete;

  // The day of the check as "rrrr.mm.dd".
  const AnsiString& today() const { return today_; }

 private:
  struct TypeInfo;  // what check() needs to know of one record type
  const TypeInfo* typeInfo(const AnsiString& typeName) const;

  const Metadata* annex_;
  int day_ = 0;  // the day of the check as yyyymmdd
  AnsiString today_;
  std::vector<std::unique_ptr<TypeInfo>> types_;
  NameIndex<TypeInfo> typesByName_;
};

// The document-level part: one instance per document.
class smDocumentChecks {
 public:
  // As smObjectChecks.
  explicit smDocumentChecks(const Metadata* annex, const smDocumentOptions& options = {});
  ~smDocumentChecks();
  smDocumentChecks(const smDocumentChecks&) = delete;
  smDocumentChecks& operator=(const smDocumentChecks&) = delete;

  // The per-object part, for the host's workers.
  const smObjectChecks& objectChecks() const { return objectChecks_; }

  // Takes the next object's digest, in document order, and appends what it settles at once: a
  // key of a type without scope that an earlier object of the same type has (7001), a PESEL or
  // REGON an earlier subject of the same type has (7044). Everything a later object may change
  // waits for finish(): which object a name means is known only when no other object of that
  // name can come any more.
  void add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings);
  // objectChecks().check(object, findings), then add() of its digest.
  void addObject(const smObject& object, std::vector<smDocumentFinding>& findings);
  // Ends the document and hands `sink` one at a time, ordered by line, then code: keys repeated
  // within their scope (7001), relations whose target never came (7002) or whose name fits
  // several objects (7006), precinct and unit mismatches (7004, 7005), share groups whose sum is
  // not 1 (7030, 7031, 7032; in an update transfer only a sum above 1, 7048), and the register
  // checks (7042, 7045 to 7047). REQUIRES: called once, after the last add().
  void finish(const std::function<void(smDocumentFinding&&)>& sink);
  // The same, appended to `findings`.
  void finish(std::vector<smDocumentFinding>& findings);

  // The kind of transfer the document declares (its root element's `transfer`), for a host to
  // call once it has read the root element, before finish(). Options that name a kind win;
  // kDeclared is taken as kFull.
  void declareTransfer(smTransfer kind);
  // The kind of transfer finish() judges the document as.
  smTransfer transfer() const;

 private:
  struct State;
  smObjectChecks objectChecks_;
  std::unique_ptr<State> state_;
  std::unique_ptr<document::RegisterState> register_;  // RegisterChecks.hpp
};

}  // namespace swde

#endif  // SWDE_DOCUMENT_DOCUMENTCHECKS_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_MODEL_SMOBJECT_HPP_
#define SWDE_MODEL_SMOBJECT_HPP_

#include <cstdint>
#include <map>
#include <vector>

#include "swde/errors/Smerrors.hpp"
#include "swde/model/Smattribute.hpp"
#include "swde/model/Smrelation.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

class Metadata;
class RecordType;

// One object (one record of the SO section) under check. The host creates it (usually through
// smObjectFactory), fills its entries and public members, runs the checks and walks the errors.
// The object owns its attribute and relation entries and its error records.
class smObject {
 public:
  // Maps keyed by the entry's name: ordinal byte order, equal keys in order of addition.
  using AttributeMap = std::multimap<AnsiString, smAttribute*>;
  using RelationMap = std::multimap<AnsiString, smRelation*>;

  explicit smObject(const AnsiString& typeName);
  smObject(const smObject&) = delete;
  smObject& operator=(const smObject&) = delete;
  // Frees the error records, then the entries.
  virtual ~smObject();

  // Deletes every attribute and relation entry and empties both maps; errors stay, naming no
  // entry.
  void clearMaps();
  // Records whether the checked file carries its own schema sections (SP and ST).
  void setExistMetadata(bool exists);

  // Creates an attribute entry filed under `name`, or under `code` when `name` is empty, after
  // any entries with the same key. Returns the entry (owned by the object) for the host to
  // fill its `line` and `id`.
  smAttribute* addAttribute(const AnsiString& code, const AnsiString& name,
                            const AnsiString& value);
  // The same for a relation entry; the host fills `destType`, `checkDest`, `line`, `id`, ...
  smRelation* addRelation(const AnsiString& code, const AnsiString& name);

  // The first entry filed under `name` (the one added first), or null.
  smAttribute* getAttribute(const AnsiString& name) const;
  // The first entry in map order whose code is `code`, or null. A linear walk.
  smAttribute* getAttributeByCode(const AnsiString& code) const;
  smRelation* getRelation(const AnsiString& name) const;
  smRelation* getRelationByCode(const AnsiString& code) const;

  // Restarts the error walk: the first error, or null.
  smError* getFirstError();
  // Advances the error walk: the next error, or null past the end (until getFirstError).
  smError* getNextError();

  // Per-type hook for an extra check of one attribute value; does nothing here. Called by the
  // value-range check as its last step, with an entry of this object, while checkMain walks the
  // `attributes` map.
  //
  // What an override may do: read the entry, the object's public members and the metadata sets,
  // and append errors (report, reportAttribute). What it may not do while checkMain runs: add,
  // remove or re-key attribute or relation entries (the walk over `attributes` would break),
  // change the entry's value (the date check reads the values afterwards), change the metadata
  // sets or move their walk cursors, remove or reorder `errors`, or destroy the object. It may
  // not throw except for a failed allocation, which passes to the caller of checkMain.
  virtual void checkAttribValue(smAttribute* attribute);

  // --- Checks. Each fault becomes an error appended to `errors` (section 49, the object's
  // type name). A null metadata set is treated as a set that defines nothing.

  // Stores both sets (the annex first, the file's own sections second), passes the two gates
  // (record type defined, status mark acceptable) and runs every check in a fixed order.
  // Returns false when a gate turned the object away; its entries have then been freed.
  // Every run starts with creationDateValid and verificationDateValid true and fractionProper
  // false, so a second run on the same object reports the same errors again (appended).
  bool checkMain(Metadata* annex, Metadata* file);
  // The record type is defined in the file's sections (when existMetadata) or the annex;
  // reports 6007 when the file's sections (or, without them, the annex) lack it.
  bool isTypeDefined();
  // False only for the status marks "20", "21", "22"; reports 6024 for an unknown mark.
  bool checkStatusFormat();

  // 6006: the base type differs from the record type definition (the annex's first).
  void isCorrectBaseType();
  // 6001, 6002: entries that the record type (the file's definition first) does not define.
  void existsAttribsRelationsInST();
  // 6008: required attributes (from the annex) that the object lacks.
  void existsAttribsInSO();
  // 6009: required relations (from the annex) that the object lacks.
  void existsRelationsInSO();
  // 6010: relations pointing to a record type that the annex does not admit.
  void checkRelationDest();
  // 6011, 6012: single-occurrence attributes and relations that occur more than once.
  void checkAttrAndRelatMultiple();

  // Checks the form of one value against its base type code ("FL", "NO", "LN", "UL", "DN",
  // "HR", "DH"), then hands it to checkAttribValueRange. Reports 6033, 6013 to 6016, 6018 to
  // 6020; clears creationDateValid / verificationDateValid for a malformed G5DTU / G5DTW.
  void checkAttribute(const AnsiString& baseType, smAttribute* attribute);
  // Emptiness (6022) and the allowed value set (6021) from the annex, then the per-type hook.
  void checkAttribValueRange(smAttribute* attribute);
  // The form of a fraction value; reports 6016 and returns false when it is malformed. Sets
  // fractionProper for a proper fraction (n < d, or 1/1).
  bool isCorectFraction(smAttribute* attribute);
  // True when the value, blanks removed, is a decimal real number (or nothing). Reports nothing
  // and leaves the value unchanged.
  bool isCorrectFloatData(AnsiString& value);
  // 6003, 6004, 6005: empty creation or verification date, verification before creation.
  void checkDate();

  Metadata* annexMetadata = nullptr;  // the reference schema (annex); not owned
  Metadata* fileMetadata = nullptr;   // the checked file's own sections; not owned
  bool existMetadata = false;         // the file carries its own schema sections
  AnsiString typeName;                // record type the object was created for
  AttributeMap attributes;            // owning
  RelationMap relations;              // owning
  std::vector<smError*> errors;       // owning, in report order
  std::uint32_t errorIndex = 0;       // cursor of the error walk
  bool creationDateValid = true;      // cleared when G5DTU is malformed
  bool verificationDateValid = true;  // cleared when G5DTW is malformed
  bool fractionProper = false;        // verdict of the last fraction check
  std::uint32_t line = 0;             // the object's line, written by the host
  std::uint32_t id = 0;               // the object's identifier, written by the host
  AnsiString baseType;                // the record's base type as read from the file
  AnsiString hostText1;               // the host's own; never read here
  AnsiString hostText2;
  AnsiString hostText3;
  AnsiString status;  // two-character status mark

 protected:
  // Appends an error about the item at (`itemLine`, `itemId`) with the object's type name.
  void report(smErrorCode code, smError::ReportMsgType msgType, std::uint32_t itemLine,
              std::uint32_t itemId, const AnsiString* args, int argsHigh);
  // The same about one of the object's entries, which the error names (smError::attribute,
  // smError::relation) beside its line and id.
  void report(smErrorCode code, smError::ReportMsgType msgType, const smAttribute& attribute,
              const AnsiString* args, int argsHigh);
  void report(smErrorCode code, smError::ReportMsgType msgType, const smRelation& relation,
              const AnsiString* args, int argsHigh);
  // Appends an error about `attribute` with its name and the object's type name as arguments.
  void reportAttribute(smErrorCode code, smError::ReportMsgType msgType,
                       const smAttribute* attribute);

  // The record type of `typeName` in the annex and in the file's sections, or null. Looked up
  // once per checkMain run, afresh when a check is called on its own.
  const RecordType* annexType();
  const RecordType* fileType();

  // Rules of the per-type hooks.
  // 6017 for a "G5UD" entry whose last fraction check did not find a proper fraction.
  void checkProperFraction(smAttribute* attribute);
  // 6028 for a non-empty "G5KOD" entry that is not two characters, "-", three characters, both
  // groups integers.
  void checkPostalCode(smAttribute* attribute);

 private:
  // Record types found at the start of checkMain; valid only while it runs. The metadata may
  // not change during a run, so the lookups need not be repeated for every attribute.
  struct TypeCache {
    bool valid = false;
    const RecordType* annex = nullptr;
    const RecordType* file = nullptr;
  };
  TypeCache typeCache_;
};

}  // namespace swde

#endif  // SWDE_MODEL_SMOBJECT_HPP_

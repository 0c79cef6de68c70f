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

  // Deletes every attribute and relation entry and empties both maps; errors stay.
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
  // value-range check as its last step.
  virtual void checkAttribValue(smAttribute* attribute);

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
  AnsiString status;                  // two-character status mark

 protected:
  // Appends an error about the item at (`itemLine`, `itemId`) with the object's type name.
  void report(smErrorCode code, smError::ReportMsgType msgType, std::uint32_t itemLine,
              std::uint32_t itemId, const AnsiString* args, int argsHigh);
};

}  // namespace swde

#endif  // SWDE_MODEL_SMOBJECT_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ERRORS_SMERRORS_HPP_
#define SWDE_ERRORS_SMERRORS_HPP_

#include <cstdint>
#include <map>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

class smAttribute;
class smRelation;

// Error codes; the value of each enumerator is its code number. Keep in sync with the message
// table in Smerrors.cpp (a compile-time check there counts both).
enum smErrorCode : std::int16_t {
  // Declarations of attributes and relations (section SP). Raised only by hosts.
  errSpAttrDeclaredBefore = 2001,   // attribute declared earlier
  errSpAttrTypeMismatch = 2002,     // attribute type differs from the annex
  errSpExtraAttr = 2003,            // attribute missing from the annex
  errSpRelatDeclaredBefore = 2004,  // relation declared earlier
  errSpExtraBinding = 2005,         // binding missing from the annex
  errSpNoAttrTypeDecl = 2006,       // attribute type not declared
  errSpNoBindingTypeDecl = 2007,    // binding type not declared
  errSpSectionMissing = 2008,       // no SP section
  // Record type definitions (section ST). Raised only by hosts.
  errStExtraType = 3001,          // application type missing from the annex
  errStBaseTypeMismatch = 3002,   // record base type differs from the annex
  errStMissingAttr = 3003,        // required attribute missing from a type definition
  errStMissingBinding = 3004,     // required binding missing from a type definition
  errStNoTypeDef = 3005,          // record type not defined in ST
  errStRelatMultiplicity = 3006,  // wrong relation multiplicity in a type definition
  errStExtraAttr = 3007,          // extra attribute in an application type
  errStExtraRelat = 3008,         // extra relation in an application type
  errStAttrNotDeclared = 3009,    // attribute not declared in SP
  errStRelatNotDeclared = 3010,   // relation not declared in SP
  errStBindingRepeated = 3011,    // binding repeated in a type definition
  errStAttrRepeated = 3012,       // attribute repeated in a type definition
  errStTypeRepeated = 3013,       // record type defined twice
  errStSectionMissing = 3014,     // no ST section
  // Objects (section SO).
  errAttrNotDefined = 6001,              // attribute not defined for the record type
  errRelatNotDefined = 6002,             // relation not defined for the record type
  errCreationDateEmpty = 6003,           // empty creation date
  errVerificationDateEmpty = 6004,       // empty verification date
  errVerificationBeforeCreation = 6005,  // verification date before creation date
  errBaseType = 6006,                    // wrong record base type
  errTypeNotDefined = 6007,              // record type defined nowhere
  errMissingAttr = 6008,                 // required attribute missing
  errMissingRelat = 6009,                // required relation missing
  errRelatDestType = 6010,               // relation points to a type the annex does not admit
  errAttrCount = 6011,                   // single attribute occurs more than once
  errRelatCount = 6012,                  // single relation occurs more than once
  errFloatValue = 6013,                  // malformed real number
  errIntegerValue = 6014,                // malformed integer
  errLogicalValue = 6015,                // malformed logical value
  errFractionValue = 6016,               // malformed fraction
  errProperFraction = 6017,              // not a proper fraction
  errDateFormat = 6018,                  // malformed date
  errTimeFormat = 6019,                  // malformed time
  errDateTimeFormat = 6020,              // malformed date and time
  errValueOutOfSet = 6021,               // value outside the allowed set
  errEmptyValue = 6022,                  // required value empty
  errRelatTargetMissing = 6023,          // relation target does not exist
  errStatus = 6024,                      // malformed status mark
  errBindingStaleVersion = 6025,         // binding points to an outdated version
  errIsolatedObject = 6026,              // object neither points nor is pointed to
  errComponentCount = 6027,              // wrong number of component objects
  errPostalCode = 6028,                  // malformed postal code
  errNoComponents = 6029,                // no component records point to the object
  errTopoTargetMissing = 6030,           // topological relation target does not exist
  errTopoStaleVersion = 6031,            // topological relation points to an outdated version
  errTopoNotPoint = 6032,                // topological relation target is not a point
  errInvalidChar = 6033,                 // forbidden character (";") in a value
  errDuplicateVersion = 6034,            // current version of an object occurs twice
  errDuplicateRecordId = 6035,           // record identifier occurs twice
  errMissingObjectId = 6036,             // object identifier not filled in
};

// Sections of a transfer file. Taken by constructor 3 of smError, which does not keep it.
enum sxSectionCode : std::uint8_t {
  sxNone = 0,    // outside any section
  sxHeader = 1,  // file header
  sxSP = 2,      // declarations of attributes and relations
  sxST = 3,      // record type definitions
  sxSO = 4,      // objects
};

// The message catalogue: code number to CP1250 text. One process-wide instance is filled by
// Initialize() and emptied by the matching last Finalize() (see Orvane.hpp).
class MessageMapInit : public std::map<int, const char*> {
 public:
  // Fills the map with the 58 codes and texts, in ascending code order.
  MessageMapInit();
};

// The catalogue text of `code` as a new string; "  " (two blanks) when the catalogue holds no
// entry for it or has not been built.
AnsiString catalogueText(int code);

// One fault found in one object. A check creates it, the object's error list owns it, and the
// host reads its fields directly.
class smError {
 public:
  enum ReportSectionType : std::uint8_t {
    rsNone = 0,      // left unset by constructors 1, 3 and 4
    rsObjects = 49,  // the character '1': every record the checks make
  };
  enum ReportMsgType : std::uint8_t {
    rmError = 0,    // a fault
    rmWarning = 1,  // a lesser fault (undefined items, level-2 requirements)
  };

  // 1: the code's text, placeholders left as they are.
  explicit smError(smErrorCode code);
  // 2: all fields; the code's text, placeholders left as they are.
  smError(smErrorCode code, ReportSectionType section, ReportMsgType msgType, std::uint32_t line,
          std::uint32_t id, const AnsiString& typeName);
  // 3: the caller's `format` formatted with every element of the list but the last; the section
  // code is not kept. `args` may be null (then `format` is used as it stands).
  smError(std::uint32_t line, sxSectionCode sectionCode, smErrorCode code, const AnsiString& format,
          const AnsiString* args, int argsHigh);
  // 4: the code's text, formatted with the list when `args` is not null.
  smError(smErrorCode code, const AnsiString* args, int argsHigh);
  // 5: all fields; the message as constructor 4 makes it. Every check of the library uses it.
  smError(smErrorCode code, ReportSectionType section, ReportMsgType msgType, std::uint32_t line,
          std::uint32_t id, const AnsiString* args, int argsHigh, const AnsiString& typeName);
  // Constructors 4 and 5 throw EConvertError when the text has more placeholders than `args`.

  smError(const smError&) = default;
  smError& operator=(const smError&) = default;
  virtual ~smError();

  std::uint32_t line = 0;  // line of the object or entry concerned
  AnsiString typeName;     // record type name of the object under check
  std::uint32_t id = 0;    // identifier of the object or entry concerned
  ReportSectionType section = rsNone;
  smErrorCode code = static_cast<smErrorCode>(0);
  ReportMsgType msgType = rmError;
  AnsiString message;  // the finished text, CP1250
  // The entry of the object the error is about, when a check of the object made it about one of
  // its attributes or relations; else null. Names the entry however the host numbered its lines
  // and ids. Valid while the object holds the entry (smObject::clearMaps clears both).
  const smAttribute* attribute = nullptr;
  const smRelation* relation = nullptr;
};

}  // namespace swde

#endif  // SWDE_ERRORS_SMERRORS_HPP_

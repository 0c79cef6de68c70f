// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_SCHEMA_SMXMLDEF_HPP_
#define SWDE_SCHEMA_SMXMLDEF_HPP_

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// The element and attribute names of the XML description of a schema and its objects. The
// library itself reads none of them; they are the host's vocabulary.
class smXMLDef {
 public:
  smXMLDef();
  ~smXMLDef();

  WideString swdeKey;            // "SWDE": the root element
  WideString attribsSectKey;     // "ATTRIBS_SECT": declarations of attributes and relations
  WideString typesSectKey;       // "TYPES_SECT": record type definitions
  WideString objectKey;          // "OBJECT"
  WideString attributesKey;      // "ATTRIBUTES"
  WideString relationsKey;       // "RELATIONS"
  WideString relatKey;           // "RELAT"
  WideString attrKey;            // "ATTR"
  WideString valueKey;           // "VALUE"
  WideString destObjectKey;      // "DEST_OBJECT"
  WideString schemaDateKey;      // "schema_date"
  WideString schemaVersionKey;   // "schema_version"
  WideString schemaProfileKey;   // "schema_profile"
  WideString mandatoryLevelKey;  // "mandatory_level"
  WideString nameKey;            // "name"
  WideString fieldNameKey;       // "field_name"
  WideString typeKey;            // "type"
  WideString baseTypeKey;        // "base_type"
  WideString valueIntKey;        // "value_int"
  WideString valueStrKey;        // "value_str"
  WideString mandatoryKey;       // "mandatory"
  WideString multipleKey;        // "multiple"
  WideString elementKey;         // "element"
};

}  // namespace swde

#endif  // SWDE_SCHEMA_SMXMLDEF_HPP_

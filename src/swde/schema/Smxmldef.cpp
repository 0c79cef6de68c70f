// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/schema/Smxmldef.hpp"

namespace SWDE_API swde {

smXMLDef::smXMLDef()
    : swdeKey(u"SWDE"),
      attribsSectKey(u"ATTRIBS_SECT"),
      typesSectKey(u"TYPES_SECT"),
      objectKey(u"OBJECT"),
      attributesKey(u"ATTRIBUTES"),
      relationsKey(u"RELATIONS"),
      relatKey(u"RELAT"),
      attrKey(u"ATTR"),
      valueKey(u"VALUE"),
      destObjectKey(u"DEST_OBJECT"),
      schemaDateKey(u"schema_date"),
      schemaVersionKey(u"schema_version"),
      schemaProfileKey(u"schema_profile"),
      mandatoryLevelKey(u"mandatory_level"),
      nameKey(u"name"),
      fieldNameKey(u"field_name"),
      typeKey(u"type"),
      baseTypeKey(u"base_type"),
      valueIntKey(u"value_int"),
      valueStrKey(u"value_str"),
      mandatoryKey(u"mandatory"),
      multipleKey(u"multiple"),
      elementKey(u"element") {}

smXMLDef::~smXMLDef() = default;

}  // namespace swde

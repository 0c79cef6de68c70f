// swde — semantic checks of SWDE cadastral exchange objects.
//
// The base type is judged by the annex's definition when the annex has one; the allowed
// attributes and relations by the file's own definition when it has one.
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"

namespace SWDE_API swde {

void smObject::isCorrectBaseType() {
  if (typeName.empty()) {
    return;
  }
  const RecordType* type = annexType() != nullptr ? annexType() : fileType();
  if (type == nullptr || type->baseType == baseType) {
    return;
  }
  const AnsiString args[] = {type->name};
  report(errBaseType, smError::rmError, line, id, args, 0);
}

void smObject::existsAttribsRelationsInST() {
  const RecordType* type = fileType() != nullptr ? fileType() : annexType();
  if (type == nullptr) {
    return;
  }
  for (const auto& [name, attribute] : attributes) {
    if (type->getAttributeByCode(attribute->code) == nullptr) {
      const AnsiString args[] = {attribute->name, typeName};
      report(errAttrNotDefined, smError::rmWarning, *attribute, args, 1);
    }
  }
  for (const auto& [name, relation] : relations) {
    if (type->getReferenceByCode(relation->code) == nullptr) {
      const AnsiString args[] = {relation->name, typeName};
      report(errRelatNotDefined, smError::rmWarning, *relation, args, 1);
    }
  }
}

}  // namespace swde

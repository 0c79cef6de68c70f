// swde — semantic checks of SWDE cadastral exchange objects.
//
// What is required comes from the annex; under which name the object must carry it comes from
// the file's own definition of the same code, when there is one. Reports always name the
// annex's definition.
#include "swde/checks/MetadataAccess.hpp"
#include "swde/model/Smobject.hpp"

namespace SWDE_API swde {
namespace {

// Mandatory level 1 is a fault, 2 a lesser fault; any other level requires nothing.
bool isRequired(int mandatory) {
  return mandatory == 1 || mandatory == 2;
}

smError::ReportMsgType severityOf(int mandatory) {
  return mandatory == 1 ? smError::rmError : smError::rmWarning;
}

}  // namespace

void smObject::existsAttribsInSO() {
  RecordType* annexType = checks::findType(annexMetadata, typeName);
  const RecordType* fileType = checks::findType(fileMetadata, typeName);
  if (annexType == nullptr) {
    return;
  }
  for (const AttributeDef* def = annexType->getFirstAttr(); def != nullptr;
       def = annexType->getNextAttr()) {
    if (!isRequired(def->mandatory)) {
      continue;
    }
    const AttributeDef* fileDef =
        fileType != nullptr ? fileType->getAttributeByCode(def->code) : nullptr;
    const AnsiString& wanted = fileDef != nullptr ? fileDef->name : def->name;
    if (attributes.find(wanted) == attributes.end()) {
      const AnsiString args[] = {def->name, typeName};
      report(errMissingAttr, severityOf(def->mandatory), line, id, args, 1);
    }
  }
}

void smObject::existsRelationsInSO() {
  RecordType* annexType = checks::findType(annexMetadata, typeName);
  const RecordType* fileType = checks::findType(fileMetadata, typeName);
  if (annexType == nullptr) {
    return;
  }
  for (const ReferenceDef* def = annexType->getFirstReference(); def != nullptr;
       def = annexType->getNextReference()) {
    if (def->presenceExempt || !isRequired(def->mandatory)) {
      continue;
    }
    const ReferenceDef* fileDef =
        fileType != nullptr ? fileType->getReferenceByCode(def->code) : nullptr;
    const AnsiString& wanted = fileDef != nullptr ? fileDef->name : def->name;
    if (relations.find(wanted) == relations.end()) {
      const AnsiString args[] = {def->name, typeName};
      report(errMissingRelat, severityOf(def->mandatory), line, id, args, 1);
    }
  }
}

}  // namespace swde

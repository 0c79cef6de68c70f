// swde — semantic checks of SWDE cadastral exchange objects.
//
// What is required comes from the annex; under which name the object must carry it comes from
// the file's own definition of the same code, when there is one. Reports always name the
// annex's definition.
#include "swde/metadata/Metadata.hpp"
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
  const RecordType* annex = annexType();
  const RecordType* file = fileType();
  if (annex == nullptr) {
    return;
  }
  for (const AttributeDef* def : annex->attributes()) {
    if (!isRequired(def->mandatory)) {
      continue;
    }
    const AttributeDef* fileDef = file != nullptr ? file->getAttributeByCode(def->code) : nullptr;
    const AnsiString& wanted = fileDef != nullptr ? fileDef->name : def->name;
    if (attributes.find(wanted) == attributes.end()) {
      const AnsiString args[] = {def->name, typeName};
      report(errMissingAttr, severityOf(def->mandatory), line, id, args, 1);
    }
  }
}

void smObject::existsRelationsInSO() {
  const RecordType* annex = annexType();
  const RecordType* file = fileType();
  if (annex == nullptr) {
    return;
  }
  for (const ReferenceDef* def : annex->references()) {
    if (def->presenceExempt || !isRequired(def->mandatory)) {
      continue;
    }
    const ReferenceDef* fileDef = file != nullptr ? file->getReferenceByCode(def->code) : nullptr;
    const AnsiString& wanted = fileDef != nullptr ? fileDef->name : def->name;
    if (relations.find(wanted) == relations.end()) {
      const AnsiString args[] = {def->name, typeName};
      report(errMissingRelat, severityOf(def->mandatory), line, id, args, 1);
    }
  }
}

}  // namespace swde

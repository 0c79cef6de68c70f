// swde — semantic checks of SWDE cadastral exchange objects.
//
// The driver: two gates decide whether the object is checked at all, then the structural checks
// run in a fixed order, the value check runs for every attribute the annex declares, and the
// date check comes last (it relies on the date flags the value check may have cleared).
#include "swde/checks/MetadataAccess.hpp"
#include "swde/model/Smobject.hpp"

namespace SWDE_API swde {

void smObject::setExistMetadata(bool exists) {
  existMetadata = exists;
}

namespace {

// Keeps the record types of one checkMain run at hand, and forgets them however the run ends.
class TypeCacheScope {
 public:
  TypeCacheScope(bool& valid) : valid_(valid) { valid_ = true; }
  ~TypeCacheScope() { valid_ = false; }
  TypeCacheScope(const TypeCacheScope&) = delete;
  TypeCacheScope& operator=(const TypeCacheScope&) = delete;

 private:
  bool& valid_;
};

}  // namespace

const RecordType* smObject::annexType() {
  return typeCache_.valid ? typeCache_.annex : checks::findType(annexMetadata, typeName);
}

const RecordType* smObject::fileType() {
  return typeCache_.valid ? typeCache_.file : checks::findType(fileMetadata, typeName);
}

bool smObject::checkMain(Metadata* annex, Metadata* file) {
  annexMetadata = annex;
  fileMetadata = file;
  // The flags are what this run finds, never what an earlier run left: checking an object twice
  // gives the same errors twice.
  creationDateValid = true;
  verificationDateValid = true;
  fractionProper = false;
  typeCache_.annex = checks::findType(annexMetadata, typeName);
  typeCache_.file = checks::findType(fileMetadata, typeName);
  const TypeCacheScope scope(typeCache_.valid);
  if (!isTypeDefined() || !checkStatusFormat()) {
    clearMaps();
    return false;
  }
  isCorrectBaseType();
  existsAttribsRelationsInST();
  existsAttribsInSO();
  existsRelationsInSO();
  checkRelationDest();
  checkAttrAndRelatMultiple();
  // Only the annex's declarations choose the value form, whatever the file declares.
  for (const auto& [name, attribute] : attributes) {
    if (const AttributeDecl* declaration = checks::findDeclaration(annexMetadata, name)) {
      checkAttribute(declaration->baseType, attribute);
    }
  }
  checkDate();
  return true;
}

bool smObject::isTypeDefined() {
  const AnsiString args[] = {typeName};
  if (existMetadata) {
    if (fileType() != nullptr) {
      return true;
    }
    // Missing from the file's own sections is reported even when the annex knows the type.
    report(errTypeNotDefined, smError::rmError, line, id, args, 0);
    return annexType() != nullptr;
  }
  if (annexType() != nullptr) {
    return true;
  }
  report(errTypeNotDefined, smError::rmError, line, id, args, 0);
  return false;
}

bool smObject::checkStatusFormat() {
  if (status == "00" || status == "01" || status == "02" || status == "10" || status == "11" ||
      status == "12") {
    return true;
  }
  if (status == "20" || status == "21" || status == "22") {
    return false;  // archival marks: not checked, not reported
  }
  const AnsiString args[] = {typeName};
  report(errStatus, smError::rmError, line, id, args, 0);
  return true;
}

}  // namespace swde

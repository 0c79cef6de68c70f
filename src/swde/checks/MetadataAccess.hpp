// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_CHECKS_METADATAACCESS_HPP_
#define SWDE_CHECKS_METADATAACCESS_HPP_

// Lookups into a metadata set as the checks make them. A missing set (a null pointer, or a set
// without the section asked for) defines nothing, so every lookup into it finds nothing.

#include "swde/metadata/Metadata.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {
namespace checks {

inline const RecordType* findType(const Metadata* set, const AnsiString& typeName) {
  if (set == nullptr || set->typesSection == nullptr) {
    return nullptr;
  }
  return set->typesSection->getType(typeName);
}

inline const AttributeDecl* findDeclaration(const Metadata* set, const AnsiString& attributeName) {
  if (set == nullptr || set->attribsSection == nullptr) {
    return nullptr;
  }
  return set->attribsSection->getAttribute(attributeName);
}

}  // namespace checks
}  // namespace swde

#endif  // SWDE_CHECKS_METADATAACCESS_HPP_

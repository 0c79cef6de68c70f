// swde — semantic checks of SWDE cadastral exchange objects.
//
// Relation targets are judged by the annex alone. Multiplicity is a single flag per definition:
// without it a name may occur at most once, counted under the definition's own name.
#include <iterator>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"

namespace SWDE_API swde {
namespace {

template <typename Map>
bool occursMoreThanOnce(const Map& map, const AnsiString& name) {
  const auto range = map.equal_range(name);
  return range.first != range.second && std::next(range.first) != range.second;
}

// True when some key occurs more than once: one pass over the sorted keys.
template <typename Map>
bool hasRepeatedKeys(const Map& map) {
  if (map.empty()) {
    return false;
  }
  for (auto it = map.begin(), next = std::next(it); next != map.end(); it = next++) {
    if (it->first == next->first) {
      return true;
    }
  }
  return false;
}

}  // namespace

void smObject::checkRelationDest() {
  const RecordType* type = annexType();
  if (type == nullptr) {
    return;
  }
  for (const auto& [name, relation] : relations) {
    if (!relation->checkDest) {
      continue;
    }
    // The annex's reference is looked up by name, with the relation's code as the key.
    const ReferenceDef* reference = type->getReference(relation->code);
    if (reference != nullptr && !reference->isRefTypeNamePresent(relation->destType)) {
      const AnsiString args[] = {relation->name, typeName};
      report(errRelatDestType, smError::rmError, *relation, args, 1);
    }
  }
}

void smObject::checkAttrAndRelatMultiple() {
  const RecordType* type = annexType() != nullptr ? annexType() : fileType();
  if (type == nullptr) {
    return;
  }
  // Both walks run to the end whatever is found; the counting is skipped when no name repeats.
  const bool repeatedAttributes = hasRepeatedKeys(attributes);
  const bool repeatedRelations = hasRepeatedKeys(relations);
  for (const AttributeDef* def : type->attributes()) {
    if (repeatedAttributes && !def->multiple && occursMoreThanOnce(attributes, def->name)) {
      const AnsiString args[] = {def->name, typeName};
      report(errAttrCount, smError::rmError, line, id, args, 1);
    }
  }
  for (const ReferenceDef* def : type->references()) {
    if (repeatedRelations && !def->multiple && occursMoreThanOnce(relations, def->name)) {
      const AnsiString args[] = {def->name, typeName};
      report(errRelatCount, smError::rmError, line, id, args, 1);
    }
  }
}

}  // namespace swde

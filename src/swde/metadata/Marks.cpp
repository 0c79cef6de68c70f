// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/metadata/Marks.hpp"

#include <string>

namespace SWDE_API swde {

bool HasMarks(Metadata& schema) {
  for (const auto& decl : schema.attribsSection->declarations()) {
    if (decl->check != ValueCheck::kNone) {
      return true;
    }
  }
  for (const auto& type : schema.typesSection->types()) {
    if (type->getKeyAttribute() != nullptr) {
      return true;
    }
    for (const ReferenceDef* def : type->references()) {
      if (!def->shares.empty()) {
        return true;
      }
    }
  }
  return false;
}

LentMarks LendMarks(Metadata& schema, const Metadata& from) {
  LentMarks lent;
  if (HasMarks(schema)) {
    return lent;
  }
  lent.lent = true;
  for (const auto& decl : schema.attribsSection->declarations()) {
    const AttributeDecl* mark = from.attribsSection->getAttribute(decl->name);
    if (mark != nullptr && mark->check != ValueCheck::kNone) {
      decl->check = mark->check;
      ++lent.checks;
    }
  }
  for (const auto& type : schema.typesSection->types()) {
    const RecordType* marked = from.typesSection->getType(type->name);
    if (marked == nullptr) {
      continue;
    }
    if (const AttributeDef* key = marked->getKeyAttribute()) {
      if (AttributeDef* def = type->getAttributeByCode(key->code)) {
        def->key = true;
        // The scope only where the schema has the relation it names.
        if (!key->keyScope.empty() && type->getReference(key->keyScope) != nullptr) {
          def->keyScope = key->keyScope;
        }
        ++lent.keys;
      }
    }
    for (ReferenceDef* def = type->getFirstReference(); def != nullptr;
         def = type->getNextReference()) {
      const ReferenceDef* mark = marked->getReferenceByCode(def->code);
      if (mark != nullptr && !mark->shares.empty() &&
          type->getAttributeByCode(mark->shares) != nullptr) {
        def->shares = mark->shares;
        ++lent.shares;
      }
    }
  }
  return lent;
}

std::string BuiltinMarksNotice(const LentMarks& lent) {
  if (lent.checks + lent.keys + lent.shares == 0) {
    return "marks: none (the schema has no key, check or shares mark of its own and shares none "
           "of its record types and attributes with the built-in schema: keys, identifiers and "
           "shares go unchecked)";
  }
  return "marks: built-in (the schema has no key, check or shares mark of its own; the built-in "
         "schema's apply to the record types and attributes the two share: " +
         std::to_string(lent.checks) + " checks, " + std::to_string(lent.keys) + " keys, " +
         std::to_string(lent.shares) + " shares)";
}

}  // namespace swde

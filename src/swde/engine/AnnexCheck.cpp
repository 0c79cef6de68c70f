// swde — semantic checks of SWDE cadastral exchange objects.
//
// Runs over the definitions once, noting which declarations the record types use, and then
// over the declarations for the unused ones. Names are CP1250 and reported as UTF-8.
#include "swde/engine/AnnexCheck.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "swde/platform/Cp1250.hpp"

namespace swde::engine {
namespace {

// Base types with a meaning: TX (text, any value) and the ones whose values have a form.
constexpr std::string_view kBaseTypes[] = {"TX", "FL", "NO", "LN", "UL", "DN", "HR", "DH"};

std::string quoted(std::string_view cp1250) {
  return '"' + Cp1250ToUtf8(cp1250) + '"';
}

}  // namespace

std::vector<SchemaMistake> findSchemaMistakes(const Metadata& annex) {
  std::vector<SchemaMistake> found;
  const AttribsSection& declarations = *annex.attribsSection;
  const TypesSection& types = *annex.typesSection;
  std::unordered_set<const AttributeDecl*> used;
  for (const auto& type : types.types()) {
    const std::string in = " of record type " + quoted(type->name);
    if (type->attributeCount() == 0) {
      found.push_back(
          {false, type->line, "record type " + quoted(type->name) + " defines no attributes"});
    }
    for (const AttributeDef* def : type->attributes()) {
      if (const AttributeDecl* decl = declarations.getAttribute(def->name)) {
        used.insert(decl);
      } else {
        found.push_back(
            {true, def->line,
             "attribute " + quoted(def->name) + in + " is not declared in ATTRIBS_SECT"});
      }
    }
    for (const ReferenceDef* def : type->references()) {
      const std::string relation = "relation " + quoted(def->name) + in;
      if (def->refTypeNames().empty()) {
        found.push_back({false, def->line,
                         relation + " names no DEST_OBJECT: every such relation is reported"});
      }
      for (const AnsiString& target : def->refTypeNames()) {
        if (types.getType(target) == nullptr) {
          found.push_back({true, def->line,
                           relation + " points to record type " + quoted(target) +
                               ", which TYPES_SECT does not define"});
        }
      }
      const AttributeDef* share =
          def->shares.empty() ? nullptr : type->getAttributeByCode(def->shares);
      const AttributeDecl* decl =
          share == nullptr ? nullptr : declarations.getAttribute(share->name);
      if (decl != nullptr && decl->baseType != "UL") {
        found.push_back({false, def->line,
                         relation + " sums the shares of attribute " + quoted(share->name) +
                             ", whose base type " + quoted(decl->baseType) +
                             " is not a fraction (UL)"});
      }
    }
  }
  std::string known;
  for (const std::string_view code : kBaseTypes) {
    known += (known.empty() ? "" : ", ") + std::string(code);
  }
  for (const auto& decl : declarations.declarations()) {
    if (std::find(std::begin(kBaseTypes), std::end(kBaseTypes), std::string_view(decl->baseType)) ==
        std::end(kBaseTypes)) {
      found.push_back({true, decl->line,
                       "attribute " + quoted(decl->name) + " has the unknown base type " +
                           quoted(decl->baseType) + ": expected one of " + known});
    } else if (used.count(decl.get()) == 0) {
      found.push_back(
          {false, decl->line,
           "attribute " + quoted(decl->name) + " is declared but no record type uses it"});
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const SchemaMistake& a, const SchemaMistake& b) { return a.line < b.line; });
  return found;
}

}  // namespace swde::engine

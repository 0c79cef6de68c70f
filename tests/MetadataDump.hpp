// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_METADATADUMP_HPP_
#define SWDE_TESTS_METADATADUMP_HPP_

// One line for a whole schema set, walking every declaration, definition, value and target in
// order: "SP{name:base,...} ST{type:base[A name/code m=level 1|* (value|...)]
// [R name/code m=level 1|* inv|- ->target|...];...}" ("*" marks multiple). Shared by the tests
// and the schema fuzz target, which compares a set with its clone through it.

#include <string>

#include "swde/metadata/Metadata.hpp"

namespace swde_test {

inline std::string Dump(const swde::Metadata& metadata) {
  std::string out = "SP{";
  for (const auto& decl : metadata.attribsSection->declarations()) {
    out += decl->name + ":" + decl->baseType + ",";
  }
  out += "} ST{";
  for (const auto& type : metadata.typesSection->types()) {
    out += type->name + ":" + type->baseType;
    for (const swde::AttributeDef* def = type->getFirstAttr(); def != nullptr;
         def = type->getNextAttr()) {
      out += "[A " + def->name + "/" + def->code + " m=" + std::to_string(def->mandatory) +
             (def->multiple ? " * (" : " 1 (");
      for (const auto& value : def->possibleValues()) {
        out += value + "|";
      }
      out += ")]";
    }
    for (const swde::ReferenceDef* def = type->getFirstReference(); def != nullptr;
         def = type->getNextReference()) {
      out += "[R " + def->name + "/" + def->code + " m=" + std::to_string(def->mandatory) +
             (def->multiple ? " *" : " 1") + (def->presenceExempt ? " inv ->" : " - ->");
      for (const auto& target : def->refTypeNames()) {
        out += target + "|";
      }
      out += "]";
    }
    out += ";";
  }
  return out + "}";
}

}  // namespace swde_test

#endif  // SWDE_TESTS_METADATADUMP_HPP_

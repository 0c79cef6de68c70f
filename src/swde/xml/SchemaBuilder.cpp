// swde — semantic checks of SWDE cadastral exchange objects.
//
// The schema sections: ATTRIBS_SECT fills the attribute declarations, TYPES_SECT the record
// types with their attribute and relation definitions. Definitions are added at their start
// tags; the allowed values and target types of a definition follow as its children arrive.
#include <string>

#include "swde/xml/Parser.hpp"

namespace swde::xml::detail {

void Parser::startSchemaSection() {
  if (objectsStarted_ > 0) {
    fail(stack_.back().start,
         std::string("<") +
             (stack_.back().node == Node::kAttribsSect ? "ATTRIBS_SECT" : "TYPES_SECT") +
             "> after an object: schema sections must come first");
  }
  sawSchemaSections_ = true;
}

void Parser::countSchemaItem() {
  if (++schemaItems_ > limits_.maxSchemaItems) {
    fail(stack_.back().start, "more than " + std::to_string(limits_.maxSchemaItems) +
                                  " declarations, definitions and values in the schema sections");
  }
}

void Parser::startAttribDecl(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString baseType = toCp1250(required(attributes, "base_type"), "base_type");
  metadata_->attribsSection->addAttribute(name, baseType);
}

void Parser::startTypeDef(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString baseType = toCp1250(required(attributes, "base_type"), "base_type");
  type_ = metadata_->typesSection->addType(name, baseType);
  typeEntries_ = 0;
}

void Parser::startAttrDef(const Attributes& attributes) {
  countEntry(typeEntries_);
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString code = codeOf(attributes, name);
  const int mandatory = mandatoryLevel(attributes);
  const bool multiple = flag(attributes, "multiple");
  attrDef_ = type_->addAttribute(name, code, mandatory, multiple);
}

void Parser::endAllowedValue() {
  countSchemaItem();
  attrDef_->addPossibleValue(takeValue());
}

void Parser::startRelatDef(const Attributes& attributes) {
  countEntry(typeEntries_);
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString code = codeOf(attributes, name);
  const int mandatory = mandatoryLevel(attributes);
  const bool multiple = flag(attributes, "multiple");
  const char* type = attributes.find("type");
  const bool inverse = type != nullptr && std::string_view(type) == "inverse";
  refDef_ = type_->addReference(name, code, mandatory, multiple, inverse);
}

void Parser::startDestTypeDef(const Attributes& attributes) {
  countSchemaItem();
  refDef_->addRefTypeName(toCp1250(required(attributes, "element"), "element"));
}

}  // namespace swde::xml::detail

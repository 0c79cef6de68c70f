// swde — semantic checks of SWDE cadastral exchange objects.
//
// The schema sections: ATTRIBS_SECT fills the attribute declarations, TYPES_SECT the record
// types with their attribute and relation definitions. Definitions are added at their start
// tags; the allowed values and target types of a definition follow as its children arrive.
// The marks of the document checks (check, key, shares) are validated here, so that a typing
// slip in a schema is an error with its line instead of a check that silently never runs.
//
// A reference schema defines each thing once: a second definition would double every finding
// that comes from it. The line of each first definition is kept to name both in the error.
#include <string>

#include "swde/platform/Cp1250.hpp"
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

// Entries of entryLines_: the names and codes of one record type's attributes and relations.
enum : std::size_t { kAttributeNames, kAttributeCodes, kRelationNames, kRelationCodes };

std::string Parser::inType() const {
  return " defined twice in record type " + quote(Cp1250ToUtf8(type_->name));
}

std::uint32_t Parser::firstDefinition(FirstLines& seen, const AnsiString& key) {
  return mode_ == Mode::kSchema ? seen.note(key, stack_.back().start.line) : 0;
}

void Parser::failRepeated(const std::string& what, std::uint32_t first) const {
  fail(stack_.back().start, what + " (first on line " + std::to_string(first) + ")");
}

void Parser::startAttribDecl(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  if (const std::uint32_t first = firstDefinition(declarationLines_, name)) {
    failRepeated("attribute " + quote(required(attributes, "name")) + " declared twice", first);
  }
  const AnsiString baseType = toCp1250(required(attributes, "base_type"), "base_type");
  AttributeDecl* decl = metadata_->attribsSection->addAttribute(name, baseType);
  if (const char* check = attributes.find("check")) {
    if (!ParseValueCheck(check, decl->check)) {
      std::string known;
      for (int i = static_cast<int>(ValueCheck::kNone) + 1;
           i <= static_cast<int>(ValueCheck::kFutureOk); ++i) {
        known +=
            std::string(known.empty() ? "" : ", ") + ValueCheckName(static_cast<ValueCheck>(i));
      }
      fail(stack_.back().start,
           "unknown check " + quote(check) + " on <ATTR>: expected one of " + known);
    }
  }
}

void Parser::startTypeDef(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString baseType = toCp1250(required(attributes, "base_type"), "base_type");
  if (const std::uint32_t first = firstDefinition(typeLines_, name)) {
    failRepeated("record type " + quote(required(attributes, "name")) + " defined twice", first);
  }
  for (FirstLines& lines : entryLines_) {
    if (!lines.empty()) {
      lines = FirstLines();
    }
  }
  type_ = metadata_->typesSection->addType(name, baseType);
  typeEntries_ = 0;
  typeShares_.clear();
}

void Parser::endTypeDef() {
  for (const auto& [at, def] : typeShares_) {
    if (type_->getAttributeByCode(def->shares) == nullptr) {
      fail(at, "shares " + quote(Cp1250ToUtf8(def->shares)) +
                   " on <RELAT name=" + quote(Cp1250ToUtf8(def->name)) + ">: record type " +
                   Cp1250ToUtf8(type_->name) + " has no attribute of that code");
    }
  }
}

void Parser::startAttrDef(const Attributes& attributes) {
  countEntry(typeEntries_);
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  const AnsiString code = codeOf(attributes, name);
  const int mandatory = mandatoryLevel(attributes);
  const bool multiple = flag(attributes, "multiple");
  if (const std::uint32_t first = firstDefinition(entryLines_[kAttributeNames], name)) {
    failRepeated("attribute " + quote(required(attributes, "name")) + inType(), first);
  }
  if (const std::uint32_t first = firstDefinition(entryLines_[kAttributeCodes], code)) {
    failRepeated("attribute code " + quote(Cp1250ToUtf8(code)) + inType(), first);
  }
  const bool key = flag(attributes, "key");
  if (key) {
    if (const AttributeDef* other = type_->getKeyAttribute()) {
      fail(stack_.back().start, "a second key attribute in record type " +
                                    Cp1250ToUtf8(type_->name) + " (the first is " +
                                    Cp1250ToUtf8(other->name) + ")");
    }
  }
  attrDef_ = type_->addAttribute(name, code, mandatory, multiple);
  attrDef_->key = key;
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
  if (const std::uint32_t first = firstDefinition(entryLines_[kRelationNames], name)) {
    failRepeated("relation " + quote(required(attributes, "name")) + inType(), first);
  }
  if (const std::uint32_t first = firstDefinition(entryLines_[kRelationCodes], code)) {
    failRepeated("relation code " + quote(Cp1250ToUtf8(code)) + inType(), first);
  }
  refDef_ = type_->addReference(name, code, mandatory, multiple, inverse);
  if (const char* shares = attributes.find("shares")) {
    refDef_->shares = toCp1250(shares, "shares");
    typeShares_.emplace_back(stack_.back().start, refDef_);
  }
}

void Parser::startDestTypeDef(const Attributes& attributes) {
  countSchemaItem();
  refDef_->addRefTypeName(toCp1250(required(attributes, "element"), "element"));
}

}  // namespace swde::xml::detail

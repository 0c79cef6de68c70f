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

void Parser::checkFirstDefinition(std::map<AnsiString, std::uint32_t>& seen, const AnsiString& key,
                                  const std::string& what) {
  if (mode_ != Mode::kSchema) {
    return;
  }
  const Position at = stack_.back().start;
  const auto [it, first] = seen.emplace(key, at.line);
  if (!first) {
    fail(at, what + " (first on line " + std::to_string(it->second) + ")");
  }
}

void Parser::startAttribDecl(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  checkFirstDefinition(declarationLines_, name,
                       "attribute " + quote(required(attributes, "name")) + " declared twice");
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
  checkFirstDefinition(typeLines_, name,
                       "record type " + quote(required(attributes, "name")) + " defined twice");
  for (auto& lines : entryLines_) {
    lines.clear();
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
  const std::string inType = " defined twice in record type " + quote(Cp1250ToUtf8(type_->name));
  checkFirstDefinition(entryLines_[kAttributeNames], name,
                       "attribute " + quote(required(attributes, "name")) + inType);
  checkFirstDefinition(entryLines_[kAttributeCodes], code,
                       "attribute code " + quote(Cp1250ToUtf8(code)) + inType);
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
  const std::string inType = " defined twice in record type " + quote(Cp1250ToUtf8(type_->name));
  checkFirstDefinition(entryLines_[kRelationNames], name,
                       "relation " + quote(required(attributes, "name")) + inType);
  checkFirstDefinition(entryLines_[kRelationCodes], code,
                       "relation code " + quote(Cp1250ToUtf8(code)) + inType);
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

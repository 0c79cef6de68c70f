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
#include <memory>
#include <string>
#include <vector>

#include "swde/platform/Cp1250.hpp"
#include "swde/xml/detail/Parser.hpp"

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

namespace {

// Where `item` stands among `items`, in order of addition.
template <typename T>
std::size_t positionOf(const std::vector<std::unique_ptr<T>>& items, const T* item) {
  std::size_t position = 0;
  while (position < items.size() && items[position].get() != item) {
    ++position;
  }
  return position;
}

// The same among the attribute or the relation definitions of a record type.
template <typename T>
std::size_t positionOf(DefinitionsView<T> items, const T* item) {
  std::size_t position = 0;
  while (position < items.size() && items[position] != item) {
    ++position;
  }
  return position;
}

}  // namespace

std::string Parser::inType() const {
  return " defined twice in record type " + quote(Cp1250ToUtf8(type_->name));
}

void Parser::failRepeated(const std::string& what, std::uint32_t firstLine) const {
  fail(stack_.back().start, what + " (first on line " + std::to_string(firstLine) + ")");
}

template <typename T>
void Parser::noteDefinition(const std::vector<std::unique_ptr<T>>& items, const T* first,
                            std::vector<std::uint32_t>& lines, const char* kind, const char* name,
                            const char* verb) {
  if (first != nullptr) {
    failRepeated(std::string(kind) + " " + quote(name) + " " + verb + " twice",
                 lines[positionOf(items, first)]);
  }
  lines.push_back(stack_.back().start.line);
}

void Parser::startAttribDecl(const Attributes& attributes) {
  countSchemaItem();
  const AnsiString name = toCp1250(required(attributes, "name"), "name");
  if (mode_ == Mode::kSchema) {
    const AttribsSection& section = *metadata_->attribsSection;
    noteDefinition(section.declarations(), section.getAttribute(name), declarationLines_,
                   "attribute", required(attributes, "name").data(), "declared");
  }
  const AnsiString baseType = toCp1250(required(attributes, "base_type"), "base_type");
  AttributeDecl* decl = metadata_->attribsSection->addAttribute(name, baseType);
  decl->line = stack_.back().start.line;
  if (const char* check = attributes.find("check")) {
    if (!ParseValueCheck(check, decl->check)) {
      std::string known;
      for (int i = static_cast<int>(ValueCheck::kNone) + 1; i <= static_cast<int>(ValueCheck::kKw);
           ++i) {
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
  if (mode_ == Mode::kSchema) {
    const TypesSection& section = *metadata_->typesSection;
    noteDefinition(section.types(), section.getType(name), typeLines_, "record type",
                   required(attributes, "name").data(), "defined");
    attributeLines_.clear();
    relationLines_.clear();
  }
  type_ = metadata_->typesSection->addType(name, baseType);
  type_->line = stack_.back().start.line;
  typeEntries_ = 0;
  typeShares_.clear();
}

void Parser::endTypeDef() {
  const AttributeDef* key = type_->getKeyAttribute();
  if (key != nullptr && !key->keyScope.empty() && type_->getReference(key->keyScope) == nullptr) {
    fail(typeScope_, "key-scope " + quote(Cp1250ToUtf8(key->keyScope)) +
                         " on <ATTR name=" + quote(Cp1250ToUtf8(key->name)) + ">: record type " +
                         Cp1250ToUtf8(type_->name) + " has no relation of that name");
  }
  for (const auto& [at, def] : typeShares_) {
    if (type_->getAttributeByCode(def->shares) == nullptr) {
      fail(at, "shares " + quote(Cp1250ToUtf8(def->shares)) +
                   " on <RELAT name=" + quote(Cp1250ToUtf8(def->name)) + ">: record type " +
                   Cp1250ToUtf8(type_->name) + " has no attribute of that code");
    }
  }
}

Parser::EntryDef Parser::startEntryDef(const Attributes& attributes) {
  countEntry(typeEntries_);
  countSchemaItem();
  EntryDef def;
  def.name = toCp1250(required(attributes, "name"), "name");
  def.code = codeOf(attributes, def.name);
  def.mandatory = mandatoryLevel(attributes);
  def.multiple = flag(attributes, "multiple");
  return def;
}

template <typename T>
void Parser::noteEntryDef(const T* byName, const T* byCode, const char* kind, const char* name,
                          const AnsiString& code, std::vector<std::uint32_t>& lines,
                          DefinitionsView<T> defined) {
  if (byName != nullptr || byCode != nullptr) {
    const std::string what = byName != nullptr
                                 ? std::string(kind) + " " + quote(name)
                                 : std::string(kind) + " code " + quote(Cp1250ToUtf8(code));
    failRepeated(what + inType(), lines[positionOf(defined, byName != nullptr ? byName : byCode)]);
  }
  lines.push_back(stack_.back().start.line);
}

void Parser::startAttrDef(const Attributes& attributes) {
  const EntryDef def = startEntryDef(attributes);
  if (mode_ == Mode::kSchema) {
    noteEntryDef(type_->getAttribute(def.name), type_->getAttributeByCode(def.code), "attribute",
                 required(attributes, "name").data(), def.code, attributeLines_,
                 type_->attributes());
  }
  const bool key = flag(attributes, "key");
  if (key) {
    if (const AttributeDef* other = type_->getKeyAttribute()) {
      fail(stack_.back().start, "a second key attribute in record type " +
                                    Cp1250ToUtf8(type_->name) + " (the first is " +
                                    Cp1250ToUtf8(other->name) + ")");
    }
  }
  attrDef_ = type_->addAttribute(def.name, def.code, def.mandatory, def.multiple);
  attrDef_->key = key;
  if (const char* scope = attributes.find("key-scope")) {
    if (!key) {
      fail(stack_.back().start, "key-scope on attribute " + quote(required(attributes, "name")) +
                                    ", which is not marked key=\"1\"");
    }
    attrDef_->keyScope = toCp1250(scope, "key-scope");
    typeScope_ = stack_.back().start;
  }
  attrDef_->line = stack_.back().start.line;
}

void Parser::endAllowedValue() {
  countSchemaItem();
  attrDef_->addPossibleValue(takeValue());
}

void Parser::startRelatDef(const Attributes& attributes) {
  const EntryDef def = startEntryDef(attributes);
  const char* type = attributes.find("type");
  const bool inverse = type != nullptr && std::string_view(type) == "inverse";
  if (mode_ == Mode::kSchema) {
    noteEntryDef(type_->getReference(def.name), type_->getReferenceByCode(def.code), "relation",
                 required(attributes, "name").data(), def.code, relationLines_,
                 type_->references());
  }
  refDef_ = type_->addReference(def.name, def.code, def.mandatory, def.multiple, inverse);
  refDef_->line = stack_.back().start.line;
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

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/metadata/Metadata.hpp"

#include <utility>

namespace SWDE_API swde {
namespace {

// Owns `item` in `store` and indexes it under `key` unless the key is taken.
template <typename T>
T* keep(std::vector<std::unique_ptr<T>>& store, NameIndex<T>& index, const AnsiString& key,
        std::unique_ptr<T> item) {
  T* raw = item.get();
  store.push_back(std::move(item));
  index.insert(key, raw);
  return raw;
}

template <typename T>
T* lookup(const NameIndex<T>& index, const AnsiString& key) {
  return index.find(key);
}

template <typename T>
T* walkFrom(const std::vector<std::unique_ptr<T>>& store, std::size_t& cursor,
            std::size_t position) {
  if (position >= store.size()) {
    cursor = store.size();
    return nullptr;
  }
  cursor = position + 1;
  return store[position].get();
}

struct CheckName {
  ValueCheck check;
  const char* name;
};
constexpr CheckName kCheckNames[] = {
    {ValueCheck::kPesel, "pesel"}, {ValueCheck::kNip, "nip"},
    {ValueCheck::kRegon, "regon"}, {ValueCheck::kParcelId, "parcel-id"},
    {ValueCheck::kTeryt, "teryt"}, {ValueCheck::kPrecinct, "precinct"},
    {ValueCheck::kArea, "area"},   {ValueCheck::kFutureOk, "future-ok"},
    {ValueCheck::kKw, "kw"},
};

}  // namespace

const char* ValueCheckName(ValueCheck check) {
  for (const CheckName& entry : kCheckNames) {
    if (entry.check == check) {
      return entry.name;
    }
  }
  return "";
}

bool ParseValueCheck(std::string_view name, ValueCheck& check) {
  for (const CheckName& entry : kCheckNames) {
    if (name == entry.name) {
      check = entry.check;
      return true;
    }
  }
  return false;
}

AttributeDef::AttributeDef(const AnsiString& name, const AnsiString& code, int mandatory,
                           bool multiple)
    : name(name), code(code), multiple(multiple), mandatory(mandatory) {}

void AttributeDef::addPossibleValue(const AnsiString& value) {
  if (valueSet_.insert(value).second) {
    values_.push_back(value);
  }
}

int AttributeDef::getPossibleValuesCount() const {
  return static_cast<int>(values_.size());
}

bool AttributeDef::isValuePresent(const AnsiString& value) const {
  return valueSet_.count(value) != 0;
}

ReferenceDef::ReferenceDef(const AnsiString& name, const AnsiString& code, int mandatory,
                           bool multiple, bool presenceExempt)
    : name(name),
      code(code),
      presenceExempt(presenceExempt),
      multiple(multiple),
      mandatory(mandatory) {}

void ReferenceDef::addRefTypeName(const AnsiString& typeName) {
  if (typeNameSet_.insert(typeName).second) {
    typeNames_.push_back(typeName);
  }
}

bool ReferenceDef::isRefTypeNamePresent(const AnsiString& typeName) const {
  return typeNameSet_.count(typeName) != 0;
}

RecordType::RecordType(const AnsiString& name, const AnsiString& baseType)
    : name(name), baseType(baseType) {}

RecordType::RecordType(const RecordType& other)
    : name(other.name), baseType(other.baseType), line(other.line) {
  for (const auto& def : other.attributes_) {
    AttributeDef* copy = addAttribute(def->name, def->code, def->mandatory, def->multiple);
    copy->key = def->key;
    copy->keyScope = def->keyScope;
    copy->line = def->line;
    for (const AnsiString& value : def->possibleValues()) {
      copy->addPossibleValue(value);
    }
  }
  for (const auto& def : other.references_) {
    ReferenceDef* copy =
        addReference(def->name, def->code, def->mandatory, def->multiple, def->presenceExempt);
    copy->shares = def->shares;
    copy->line = def->line;
    for (const AnsiString& typeName : def->refTypeNames()) {
      copy->addRefTypeName(typeName);
    }
  }
}

AttributeDef* RecordType::addAttribute(const AnsiString& name, const AnsiString& code,
                                       int mandatory, bool multiple) {
  AttributeDef* def = keep(attributes_, attributesByName_, name,
                           std::make_unique<AttributeDef>(name, code, mandatory, multiple));
  attributesByCode_.insert(code, def);
  return def;
}

ReferenceDef* RecordType::addReference(const AnsiString& name, const AnsiString& code,
                                       int mandatory, bool multiple, bool presenceExempt) {
  ReferenceDef* def =
      keep(references_, referencesByName_, name,
           std::make_unique<ReferenceDef>(name, code, mandatory, multiple, presenceExempt));
  referencesByCode_.insert(code, def);
  return def;
}

AttributeDef* RecordType::getAttribute(const AnsiString& name) const {
  return lookup(attributesByName_, name);
}

AttributeDef* RecordType::getAttributeByCode(const AnsiString& code) const {
  return lookup(attributesByCode_, code);
}

ReferenceDef* RecordType::getReference(const AnsiString& name) const {
  return lookup(referencesByName_, name);
}

ReferenceDef* RecordType::getReferenceByCode(const AnsiString& code) const {
  return lookup(referencesByCode_, code);
}

AttributeDef* RecordType::getKeyAttribute() const {
  for (const auto& def : attributes_) {
    if (def->key) {
      return def.get();
    }
  }
  return nullptr;
}

AttributeDef* RecordType::getFirstAttr() {
  return walkFrom(attributes_, attributeCursor_, 0);
}

AttributeDef* RecordType::getNextAttr() {
  return walkFrom(attributes_, attributeCursor_, attributeCursor_);
}

ReferenceDef* RecordType::getFirstReference() {
  return walkFrom(references_, referenceCursor_, 0);
}

ReferenceDef* RecordType::getNextReference() {
  return walkFrom(references_, referenceCursor_, referenceCursor_);
}

AttribsSection::AttribsSection(const AttribsSection& other) {
  for (const auto& decl : other.decls_) {
    AttributeDecl* copy = addAttribute(decl->name, decl->baseType);
    copy->check = decl->check;
    copy->line = decl->line;
  }
}

AttributeDecl* AttribsSection::addAttribute(const AnsiString& name, const AnsiString& baseType) {
  return keep(decls_, byName_, name,
              std::make_unique<AttributeDecl>(AttributeDecl{name, baseType, ValueCheck::kNone, 0}));
}

AttributeDecl* AttribsSection::getAttribute(const AnsiString& name) const {
  return lookup(byName_, name);
}

TypesSection::TypesSection(const TypesSection& other) {
  for (const auto& type : other.types_) {
    keep(types_, byName_, type->name, std::make_unique<RecordType>(*type));
  }
}

RecordType* TypesSection::addType(const AnsiString& name, const AnsiString& baseType) {
  return keep(types_, byName_, name, std::make_unique<RecordType>(name, baseType));
}

RecordType* TypesSection::getType(const AnsiString& name) const {
  return lookup(byName_, name);
}

Metadata::Metadata()
    : Metadata(std::make_unique<AttribsSection>(), std::make_unique<TypesSection>()) {}

Metadata::Metadata(std::unique_ptr<AttribsSection> attribs, std::unique_ptr<TypesSection> types)
    : attribsSection(attribs.release()), typesSection(types.release()) {}

Metadata::~Metadata() {
  delete typesSection;
  delete attribsSection;
}

std::unique_ptr<Metadata> Metadata::clone() const {
  // A host may have removed a section; the copy then has an empty one, which defines as little.
  auto attribs = attribsSection != nullptr ? std::make_unique<AttribsSection>(*attribsSection)
                                           : std::make_unique<AttribsSection>();
  auto types = typesSection != nullptr ? std::make_unique<TypesSection>(*typesSection)
                                       : std::make_unique<TypesSection>();
  return std::unique_ptr<Metadata>(new Metadata(std::move(attribs), std::move(types)));
}

bool Metadata::empty() const {
  return (attribsSection == nullptr || attribsSection->size() == 0) &&
         (typesSection == nullptr || typesSection->size() == 0);
}

}  // namespace swde

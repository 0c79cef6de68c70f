// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/model/Smobject.hpp"

#include <memory>

namespace SWDE_API swde {
namespace {

template <typename Map>
typename Map::mapped_type findByCode(const Map& map, const AnsiString& code) {
  for (const auto& [key, entry] : map) {
    if (entry->code == code) {
      return entry;
    }
  }
  return nullptr;
}

template <typename Map>
typename Map::mapped_type findByName(const Map& map, const AnsiString& name) {
  // lower_bound is the first of equal keys, and equal keys keep their order of addition.
  const auto it = map.lower_bound(name);
  return it == map.end() || it->first != name ? nullptr : it->second;
}

template <typename Map>
void deleteEntries(Map& map) {
  for (auto& [key, entry] : map) {
    delete entry;
  }
  map.clear();
}

}  // namespace

smObject::smObject(const AnsiString& typeName) : typeName(typeName) {
  errors.reserve(1);
}

smObject::~smObject() {
  for (smError* error : errors) {
    delete error;
  }
  errors.clear();
  clearMaps();
}

void smObject::clearMaps() {
  for (smError* error : errors) {
    error->attribute = nullptr;
    error->relation = nullptr;
  }
  deleteEntries(attributes);
  deleteEntries(relations);
}

smAttribute* smObject::addAttribute(const AnsiString& code, const AnsiString& name,
                                    const AnsiString& value) {
  auto entry = std::make_unique<smAttribute>();
  entry->code = code;
  entry->value = value;
  entry->name = name.empty() ? code : name;
  attributes.emplace(entry->name, entry.get());  // after equal keys
  return entry.release();
}

smRelation* smObject::addRelation(const AnsiString& code, const AnsiString& name) {
  auto entry = std::make_unique<smRelation>();
  entry->code = code;
  entry->name = name.empty() ? code : name;
  relations.emplace(entry->name, entry.get());
  return entry.release();
}

smAttribute* smObject::getAttribute(const AnsiString& name) const {
  return findByName(attributes, name);
}

smAttribute* smObject::getAttributeByCode(const AnsiString& code) const {
  return findByCode(attributes, code);
}

smRelation* smObject::getRelation(const AnsiString& name) const {
  return findByName(relations, name);
}

smRelation* smObject::getRelationByCode(const AnsiString& code) const {
  return findByCode(relations, code);
}

smError* smObject::getFirstError() {
  errorIndex = 0;
  return errors.empty() ? nullptr : errors.front();
}

smError* smObject::getNextError() {
  // The index keeps growing past the end; stop at the limit rather than wrap around.
  if (errorIndex < UINT32_MAX) {
    ++errorIndex;
  }
  return errorIndex < errors.size() ? errors[errorIndex] : nullptr;
}

void smObject::checkAttribValue(smAttribute* /*attribute*/) {}

void smObject::report(smErrorCode code, smError::ReportMsgType msgType, std::uint32_t itemLine,
                      std::uint32_t itemId, const AnsiString* args, int argsHigh) {
  auto error = std::make_unique<smError>(code, smError::rsObjects, msgType, itemLine, itemId, args,
                                         argsHigh, typeName);
  errors.push_back(error.get());
  error.release();
}

void smObject::report(smErrorCode code, smError::ReportMsgType msgType,
                      const smAttribute& attribute, const AnsiString* args, int argsHigh) {
  report(code, msgType, attribute.line, attribute.id, args, argsHigh);
  errors.back()->attribute = &attribute;
}

void smObject::report(smErrorCode code, smError::ReportMsgType msgType, const smRelation& relation,
                      const AnsiString* args, int argsHigh) {
  report(code, msgType, relation.line, relation.id, args, argsHigh);
  errors.back()->relation = &relation;
}

void smObject::reportAttribute(smErrorCode code, smError::ReportMsgType msgType,
                               const smAttribute* attribute) {
  const AnsiString args[] = {attribute->name, typeName};
  report(code, msgType, *attribute, args, 1);
}

}  // namespace swde

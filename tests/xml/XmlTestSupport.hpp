// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_XML_XMLTESTSUPPORT_HPP_
#define SWDE_TESTS_XML_XMLTESTSUPPORT_HPP_

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

namespace xmltest {

// One line per object: "TYPE #id @line base=B status=S", then its attributes
// " A:name/code=value#id@line" and relations " R:name/code->destType(destObject)#id@line" in
// map order.
inline std::string dump(const swde::smObject& object) {
  std::string out = object.typeName + " #" + std::to_string(object.id) + " @" +
                    std::to_string(object.line) + " base=" + object.baseType +
                    " status=" + object.status;
  for (const auto& [key, entry] : object.attributes) {
    out += " A:" + key + "/" + entry->code + "=" + entry->value + "#" + std::to_string(entry->id) +
           "@" + std::to_string(entry->line);
  }
  for (const auto& [key, entry] : object.relations) {
    out += " R:" + key + "/" + entry->code + "->" + entry->destType + "(" + entry->destObject +
           ")#" + std::to_string(entry->id) + "@" + std::to_string(entry->line);
  }
  return out;
}

// "SP{name:base,...} ST{name:base[A name/code m=level *|1 (values)][R name/code m=level *|1
// inv|- ->types]...}"; "*" marks multiple.
inline std::string dump(const swde::Metadata& metadata) {
  std::string out = "SP{";
  for (const auto& decl : metadata.attribsSection->declarations()) {
    out += decl->name + ":" + decl->baseType + ",";
  }
  out += "} ST{";
  for (const auto& type : metadata.typesSection->types()) {
    out += type->name + ":" + type->baseType;
    for (auto* def = type->getFirstAttr(); def != nullptr; def = type->getNextAttr()) {
      out += "[A " + def->name + "/" + def->code + " m=" + std::to_string(def->mandatory) +
             (def->multiple ? " *" : " 1") + " (";
      for (const auto& value : def->possibleValues()) {
        out += value + "|";
      }
      out += ")]";
    }
    for (auto* def = type->getFirstReference(); def != nullptr; def = type->getNextReference()) {
      out += "[R " + def->name + "/" + def->code + " m=" + std::to_string(def->mandatory) +
             (def->multiple ? " *" : " 1") + (def->presenceExempt ? " inv" : " -") + " ->";
      for (const auto& name : def->refTypeNames()) {
        out += name + "|";
      }
      out += "]";
    }
    out += ";";
  }
  return out + "}";
}

// What a DocumentReader produced from one document.
struct Result {
  std::vector<std::unique_ptr<swde::smObject>> objects;
  std::string metadata;
  std::string root;  // "date|version|profile"
  bool sections = false;
  std::uint64_t count = 0;

  std::string objectsDump() const {
    std::string out;
    for (const auto& object : objects) {
      out += dump(*object) + "\n";
    }
    return out;
  }
};

// Reads `text` whole (chunk 0) or in pieces of `chunk` bytes. Throws what the reader throws.
inline Result read(std::string_view text, std::size_t chunk = 0,
                   const swde::xml::ReaderLimits& limits = {}) {
  Result result;
  swde::xml::DocumentReader reader(
      "doc.xml", [&](std::unique_ptr<swde::smObject> o) { result.objects.push_back(std::move(o)); },
      limits);
  const std::size_t step = chunk == 0 ? std::max<std::size_t>(text.size(), 1) : chunk;
  for (std::size_t at = 0; at < text.size(); at += step) {
    reader.feed(text.data() + at, std::min(step, text.size() - at));
  }
  reader.finish();
  result.metadata = dump(reader.fileMetadata());
  result.root = reader.schemaDate() + "|" + reader.schemaVersion() + "|" + reader.schemaProfile();
  result.sections = reader.hasSchemaSections();
  result.count = reader.objectCount();
  return result;
}

}  // namespace xmltest

#endif  // SWDE_TESTS_XML_XMLTESTSUPPORT_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: swde::xml::parseSchema on the input. An XmlError is the expected answer to bad
// input; any other exception, a crash, a leak or a sanitizer report is a finding. A schema that
// loads is walked whole and cloned, and the clone must describe the same schema.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "swde/metadata/Metadata.hpp"
#include "swde/xml/Reader.hpp"

#include "FuzzSupport.hpp"

namespace {

// A one-string form of a schema, walking every section, definition, value and target.
std::string describe(swde::Metadata& metadata) {
  std::string out;
  for (const auto& decl : metadata.attribsSection->declarations()) {
    out += decl->name + ':' + decl->baseType + ',';
    SWDE_FUZZ_CHECK(metadata.attribsSection->getAttribute(decl->name) != nullptr);
  }
  out += '|';
  for (const auto& type : metadata.typesSection->types()) {
    SWDE_FUZZ_CHECK(metadata.typesSection->getType(type->name) != nullptr);
    out += type->name + ':' + type->baseType + '[';
    std::size_t attributes = 0;
    for (swde::AttributeDef* def = type->getFirstAttr(); def != nullptr;
         def = type->getNextAttr()) {
      ++attributes;
      SWDE_FUZZ_CHECK(type->getAttribute(def->name) != nullptr);
      SWDE_FUZZ_CHECK(type->getAttributeByCode(def->code) != nullptr);
      SWDE_FUZZ_CHECK(def->getPossibleValuesCount() ==
                      static_cast<int>(def->possibleValues().size()));
      out += def->name + '/' + def->code + '=' + std::to_string(def->mandatory) +
             (def->multiple ? "*" : "1") + '(';
      for (const auto& value : def->possibleValues()) {
        SWDE_FUZZ_CHECK(def->isValuePresent(value));
        out += value + ';';
      }
      out += ')';
    }
    SWDE_FUZZ_CHECK(attributes == type->attributeCount());
    std::size_t references = 0;
    for (swde::ReferenceDef* def = type->getFirstReference(); def != nullptr;
         def = type->getNextReference()) {
      ++references;
      SWDE_FUZZ_CHECK(type->getReference(def->name) != nullptr);
      SWDE_FUZZ_CHECK(type->getReferenceByCode(def->code) != nullptr);
      out += def->name + '/' + def->code + '=' + std::to_string(def->mandatory) +
             (def->multiple ? "*" : "1") + (def->presenceExempt ? "i" : "-") + "->";
      for (const auto& target : def->refTypeNames()) {
        SWDE_FUZZ_CHECK(def->isRefTypeNamePresent(target));
        out += target + ';';
      }
    }
    SWDE_FUZZ_CHECK(references == type->referenceCount());
    out += ']';
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  swde::fuzz::initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Small limits now and then, so that their errors are reached too.
  const std::uint64_t hash = swde::fuzz::hashOf(data, size);
  swde::xml::ReaderLimits limits;
  if ((hash & 3U) == 0) {
    limits.maxValueBytes = 1 + (hash >> 8) % 64;
    limits.maxEntriesPerObject = 1 + (hash >> 16) % 8;
    limits.maxDepth = 1 + (hash >> 24) % 8;
  }
  std::unique_ptr<swde::Metadata> schema;
  try {
    schema = swde::xml::parseSchema(text, "<fuzz>", limits);
  } catch (const swde::xml::XmlError& error) {
    SWDE_FUZZ_CHECK(!error.message().empty());
    SWDE_FUZZ_CHECK(error.file() == "<fuzz>");
    SWDE_FUZZ_CHECK((error.line() == 0) == (error.column() == 0));
    return 0;
  }
  SWDE_FUZZ_CHECK(schema != nullptr);
  const std::string original = describe(*schema);
  const std::unique_ptr<swde::Metadata> copy = schema->clone();
  SWDE_FUZZ_CHECK(describe(*copy) == original);
  SWDE_FUZZ_CHECK(schema->empty() ==
                  (schema->attribsSection->size() == 0 && schema->typesSection->size() == 0));
  return 0;
}

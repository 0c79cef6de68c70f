// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: swde::xml::parseSchema on the input. An XmlError is the expected answer to bad
// input; any other exception, a crash, a leak or a sanitizer report is a finding. A schema that
// loads is walked whole, and its clone must dump as the same schema (the tests' one-line dump).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "swde/metadata/Metadata.hpp"
#include "swde/xml/Reader.hpp"

#include "FuzzSupport.hpp"
#include "MetadataDump.hpp"

namespace {

// Every item the walks reach is found again by the lookups, and the counts agree.
void checkLookups(swde::Metadata& metadata) {
  for (const auto& decl : metadata.attribsSection->declarations()) {
    SWDE_FUZZ_CHECK(metadata.attribsSection->getAttribute(decl->name) != nullptr);
  }
  for (const auto& type : metadata.typesSection->types()) {
    SWDE_FUZZ_CHECK(metadata.typesSection->getType(type->name) != nullptr);
    std::size_t attributes = 0;
    for (swde::AttributeDef* def = type->getFirstAttr(); def != nullptr;
         def = type->getNextAttr()) {
      ++attributes;
      SWDE_FUZZ_CHECK(type->getAttribute(def->name) != nullptr);
      SWDE_FUZZ_CHECK(type->getAttributeByCode(def->code) != nullptr);
      SWDE_FUZZ_CHECK(def->getPossibleValuesCount() ==
                      static_cast<int>(def->possibleValues().size()));
      for (const auto& value : def->possibleValues()) {
        SWDE_FUZZ_CHECK(def->isValuePresent(value));
      }
    }
    SWDE_FUZZ_CHECK(attributes == type->attributeCount());
    std::size_t references = 0;
    for (swde::ReferenceDef* def = type->getFirstReference(); def != nullptr;
         def = type->getNextReference()) {
      ++references;
      SWDE_FUZZ_CHECK(type->getReference(def->name) != nullptr);
      SWDE_FUZZ_CHECK(type->getReferenceByCode(def->code) != nullptr);
      for (const auto& target : def->refTypeNames()) {
        SWDE_FUZZ_CHECK(def->isRefTypeNamePresent(target));
      }
    }
    SWDE_FUZZ_CHECK(references == type->referenceCount());
  }
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
  checkLookups(*schema);
  const std::unique_ptr<swde::Metadata> copy = schema->clone();
  SWDE_FUZZ_CHECK(swde_test::Dump(*copy) == swde_test::Dump(*schema));
  SWDE_FUZZ_CHECK(schema->empty() ==
                  (schema->attribsSection->size() == 0 && schema->typesSection->size() == 0));
  return 0;
}

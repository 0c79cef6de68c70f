// swde — semantic checks of SWDE cadastral exchange objects.
#include "FuzzSupport.hpp"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "swde/errors/Smerrors.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Bytes.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/xml/Reader.hpp"

extern const char swde_fuzz_annex[];
extern const std::size_t swde_fuzz_annex_size;

namespace swde::fuzz {
namespace {

std::unique_ptr<Metadata>& annexHolder() {
  static std::unique_ptr<Metadata> annex;
  return annex;
}

}  // namespace

void initialize() {
  Initialize();
  try {
    annexHolder() = xml::parseSchema(std::string_view(swde_fuzz_annex, swde_fuzz_annex_size),
                                     "<built-in annex>");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fuzz: the built-in reference schema does not load: %s\n", error.what());
    std::abort();
  }
}

Metadata& builtinAnnex() {
  return *annexHolder();
}

void walkErrors(smObject& object) {
  std::size_t seen = 0;
  for (smError* error = object.getFirstError(); error != nullptr; error = object.getNextError()) {
    SWDE_FUZZ_CHECK(seen < object.errors.size());
    SWDE_FUZZ_CHECK(error == object.errors[seen]);
    ++seen;
    SWDE_FUZZ_CHECK(catalogueText(error->code) != "  ");
    SWDE_FUZZ_CHECK(error->msgType == smError::rmError || error->msgType == smError::rmWarning);
    SWDE_FUZZ_CHECK(error->section == smError::rsObjects);
    SWDE_FUZZ_CHECK(error->typeName == object.typeName);
    SWDE_FUZZ_CHECK(!error->message.empty());
    // What the tool prints: both texts converted to UTF-8, and the numbers.
    const std::string message = Cp1250ToUtf8(error->message);
    const std::string typeName = Cp1250ToUtf8(error->typeName);
    SWDE_FUZZ_CHECK(IsUtf8(message));
    SWDE_FUZZ_CHECK(IsUtf8(typeName));
    const std::string line = std::to_string(error->line) + ":" + std::to_string(error->id) + ":" +
                             std::to_string(static_cast<int>(error->code));
    SWDE_FUZZ_CHECK(!line.empty());
  }
  SWDE_FUZZ_CHECK(seen == object.errors.size());
  // Past the end the walk stays at the end.
  SWDE_FUZZ_CHECK(object.getNextError() == nullptr);
  SWDE_FUZZ_CHECK(object.getNextError() == nullptr);
}

std::uint64_t hashOf(const std::uint8_t* data, std::size_t size) {
  const std::uint64_t hash = Fnv1a(std::string_view(reinterpret_cast<const char*>(data), size));
  return hash ^ (hash >> 31);
}

void broken(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

}  // namespace swde::fuzz

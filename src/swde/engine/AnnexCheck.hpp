// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_ANNEXCHECK_HPP_
#define SWDE_ENGINE_ANNEXCHECK_HPP_

#include <cstdint>
#include <string>
#include <vector>

#include "swde/metadata/Metadata.hpp"

namespace swde::engine {

// A mistake in a reference schema that its reader accepts, found before any document is read.
struct SchemaMistake {
  bool error;          // false: doubtful, the run goes on
  std::uint32_t line;  // of the definition concerned
  std::string message;
};

// The mistakes of `annex`, in order of line. Errors: a declaration whose base type has no known
// meaning (so its values would go unchecked), an attribute of a record type that ATTRIBS_SECT
// does not declare, a relation target that TYPES_SECT does not define. Doubtful: a declaration
// no record type uses, a record type without attributes, a relation without targets (every
// such relation would be reported), a `shares` attribute that is not a fraction (UL).
std::vector<SchemaMistake> findSchemaMistakes(const Metadata& annex);

}  // namespace swde::engine

#endif  // SWDE_ENGINE_ANNEXCHECK_HPP_

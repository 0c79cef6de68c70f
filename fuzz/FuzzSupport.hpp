// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_FUZZ_FUZZSUPPORT_HPP_
#define SWDE_FUZZ_FUZZSUPPORT_HPP_

#include <cstddef>
#include <cstdint>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"

// What the three fuzz targets share: the package start-up, the built-in reference schema and
// the walk over an object's errors with the invariants every error must keep.

namespace swde::fuzz {

// Starts the package and parses the built-in reference schema; call once, from
// LLVMFuzzerInitialize. Aborts when the schema does not load.
void initialize();

// The built-in reference schema (data/annex.xml). REQUIRES: initialize() called.
Metadata& builtinAnnex();

// Walks the object's errors with getFirstError/getNextError and reads every field. Aborts when
// an error breaks an invariant: a code without a catalogue text, a message type other than
// error or warning, a section other than rsObjects, a type name other than the object's, an
// empty message, or a walk that does not see each record of `errors` once, in order.
void walkErrors(smObject& object);

// A 64-bit FNV-1a hash of the input: the source of the choices that must not take bytes away
// from the document itself (chunk sizes, reader limits).
std::uint64_t hashOf(const std::uint8_t* data, std::size_t size);

// Prints "fuzz invariant broken: what" to stderr and aborts, so libFuzzer keeps the input.
[[noreturn]] void broken(const char* what);

}  // namespace swde::fuzz

#define SWDE_FUZZ_CHECK(condition)      \
  do {                                  \
    if (!(condition)) {                 \
      ::swde::fuzz::broken(#condition); \
    }                                   \
  } while (false)

#endif  // SWDE_FUZZ_FUZZSUPPORT_HPP_

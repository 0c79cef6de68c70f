// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_CONTEXT_HPP_
#define SWDE_ENGINE_CONTEXT_HPP_

#include <functional>

#include "swde/document/DocumentChecks.hpp"
#include "swde/engine/Output.hpp"
#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"

namespace swde::engine {

// Hands `found` the findings that the error records of `object` make, after checkMain, in the
// order of its errors, each with the context a reader needs to mend the fault: the attribute or
// relation the check reported the error about (smError::attribute and relation, never looked up
// by line and id, which a host may repeat), the object's key (the value of the attribute that
// `annex` marks key="1" for its record type), the offending value and what the rule expected.
// `annex` and `file` are the sets the object was checked against. An object that checkMain
// turned away has no entries left, so its findings carry only the object's own context. Costs
// the same per finding however many findings one object has. Moves no cursor of the object or
// of the sets.
void findingsOf(const smObject& object, const Metadata& annex, const Metadata& file,
                const std::function<void(Finding&&)>& found);

// The finding of the document checks, which carries its context itself.
Finding findingOf(const smDocumentFinding& finding);

}  // namespace swde::engine

#endif  // SWDE_ENGINE_CONTEXT_HPP_

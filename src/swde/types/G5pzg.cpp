// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5pzg.hpp"

namespace SWDE_API swde {

G5PZG::G5PZG(const AnsiString& typeCode) : smObject(typeCode) {}

G5PZG::~G5PZG() = default;

void G5PZG::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

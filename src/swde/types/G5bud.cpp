// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5bud.hpp"

namespace SWDE_API swde {

G5BUD::G5BUD(const AnsiString& typeCode) : smObject(typeCode) {}

G5BUD::~G5BUD() = default;

void G5BUD::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

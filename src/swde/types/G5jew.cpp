// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5jew.hpp"

namespace SWDE_API swde {

G5JEW::G5JEW(const AnsiString& typeCode) : smObject(typeCode) {}

G5JEW::~G5JEW() = default;

void G5JEW::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

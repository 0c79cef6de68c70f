// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5udw.hpp"

namespace SWDE_API swde {

G5UDW::G5UDW(const AnsiString& typeCode) : smObject(typeCode) {}

G5UDW::~G5UDW() = default;

void G5UDW::checkAttribValue(smAttribute* attribute) {
  checkProperFraction(attribute);
}

}  // namespace swde

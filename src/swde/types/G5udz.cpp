// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5udz.hpp"

namespace SWDE_API swde {

G5UDZ::G5UDZ(const AnsiString& typeCode) : smObject(typeCode) {}

G5UDZ::~G5UDZ() = default;

void G5UDZ::checkAttribValue(smAttribute* attribute) {
  checkProperFraction(attribute);
}

}  // namespace swde

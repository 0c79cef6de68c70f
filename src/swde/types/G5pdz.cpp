// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5pdz.hpp"

namespace SWDE_API swde {

G5PDZ::G5PDZ(const AnsiString& typeCode) : smObject(typeCode) {}

G5PDZ::~G5PDZ() = default;

void G5PDZ::checkAttribValue(smAttribute* attribute) {
  checkProperFraction(attribute);
}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5jrz.hpp"

namespace SWDE_API swde {

G5JRZ::G5JRZ(const AnsiString& typeCode) : smObject(typeCode) {}

G5JRZ::~G5JRZ() = default;

void G5JRZ::checkAttribValue(smAttribute* attribute) {
  checkProperFraction(attribute);
}

}  // namespace swde

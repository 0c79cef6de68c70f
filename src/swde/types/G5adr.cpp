// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5adr.hpp"

namespace SWDE_API swde {

G5ADR::G5ADR(const AnsiString& typeCode) : smObject(typeCode) {}

G5ADR::~G5ADR() = default;

void G5ADR::checkAttribValue(smAttribute* attribute) {
  checkPostalCode(attribute);
}

}  // namespace swde

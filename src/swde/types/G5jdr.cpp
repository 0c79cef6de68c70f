// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5jdr.hpp"

namespace SWDE_API swde {

G5JDR::G5JDR(const AnsiString& typeCode) : smObject(typeCode) {}

G5JDR::~G5JDR() = default;

void G5JDR::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

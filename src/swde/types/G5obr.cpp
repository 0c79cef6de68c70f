// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5obr.hpp"

namespace SWDE_API swde {

G5OBR::G5OBR(const AnsiString& typeCode) : smObject(typeCode) {}

G5OBR::~G5OBR() = default;

void G5OBR::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5klu.hpp"

namespace SWDE_API swde {

G5KLU::G5KLU(const AnsiString& typeCode) : smObject(typeCode) {}

G5KLU::~G5KLU() = default;

void G5KLU::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

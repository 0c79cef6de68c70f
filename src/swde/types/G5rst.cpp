// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5rst.hpp"

namespace SWDE_API swde {

G5RST::G5RST(const AnsiString& typeCode) : smObject(typeCode) {}

G5RST::~G5RST() = default;

void G5RST::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

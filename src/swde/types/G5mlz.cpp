// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5mlz.hpp"

namespace SWDE_API swde {

G5MLZ::G5MLZ(const AnsiString& typeCode) : smObject(typeCode) {}

G5MLZ::~G5MLZ() = default;

void G5MLZ::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5osz.hpp"

namespace SWDE_API swde {

G5OSZ::G5OSZ(const AnsiString& typeCode) : smObject(typeCode) {}

G5OSZ::~G5OSZ() = default;

void G5OSZ::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

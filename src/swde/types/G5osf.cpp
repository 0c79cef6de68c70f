// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5osf.hpp"

namespace SWDE_API swde {

G5OSF::G5OSF(const AnsiString& typeCode) : smObject(typeCode) {}

G5OSF::~G5OSF() = default;

void G5OSF::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

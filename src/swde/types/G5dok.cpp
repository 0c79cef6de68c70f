// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5dok.hpp"

namespace SWDE_API swde {

G5DOK::G5DOK(const AnsiString& typeCode) : smObject(typeCode) {}

G5DOK::~G5DOK() = default;

void G5DOK::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

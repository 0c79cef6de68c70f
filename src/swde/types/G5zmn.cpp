// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5zmn.hpp"

namespace SWDE_API swde {

G5ZMN::G5ZMN(const AnsiString& typeCode) : smObject(typeCode) {}

G5ZMN::~G5ZMN() = default;

void G5ZMN::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

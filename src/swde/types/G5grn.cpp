// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5grn.hpp"

namespace SWDE_API swde {

G5GRN::G5GRN(const AnsiString& typeCode) : smObject(typeCode) {}

G5GRN::~G5GRN() = default;

void G5GRN::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

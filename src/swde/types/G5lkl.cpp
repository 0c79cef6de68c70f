// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5lkl.hpp"

namespace SWDE_API swde {

G5LKL::G5LKL(const AnsiString& typeCode) : smObject(typeCode) {}

G5LKL::~G5LKL() = default;

void G5LKL::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

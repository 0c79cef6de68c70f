// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5kkl.hpp"

namespace SWDE_API swde {

G5KKL::G5KKL(const AnsiString& typeCode) : smObject(typeCode) {}

G5KKL::~G5KKL() = default;

void G5KKL::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

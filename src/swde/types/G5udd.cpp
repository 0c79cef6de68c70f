// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5udd.hpp"

namespace SWDE_API swde {

G5UDD::G5UDD(const AnsiString& typeCode) : smObject(typeCode) {}

G5UDD::~G5UDD() = default;

void G5UDD::checkAttribValue(smAttribute* attribute) {
  checkProperFraction(attribute);
}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5dze.hpp"

namespace SWDE_API swde {

G5DZE::G5DZE(const AnsiString& typeCode) : smObject(typeCode) {}

G5DZE::~G5DZE() = default;

void G5DZE::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

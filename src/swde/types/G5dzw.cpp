// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5dzw.hpp"

namespace SWDE_API swde {

G5DZW::G5DZW(const AnsiString& typeCode) : smObject(typeCode) {}

G5DZW::~G5DZW() = default;

void G5DZW::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5uzg.hpp"

namespace SWDE_API swde {

G5UZG::G5UZG(const AnsiString& typeCode) : smObject(typeCode) {}

G5UZG::~G5UZG() = default;

void G5UZG::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

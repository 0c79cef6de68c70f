// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/types/G5ins.hpp"

namespace SWDE_API swde {

G5INS::G5INS(const AnsiString& typeCode) : smObject(typeCode) {}

G5INS::~G5INS() = default;

void G5INS::checkAttribValue(smAttribute* /*attribute*/) {}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/model/Smattribute.hpp"

namespace SWDE_API swde {

smAttribute::smAttribute() = default;
smAttribute::~smAttribute() = default;

}  // namespace swde

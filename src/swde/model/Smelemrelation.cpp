// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/model/Smelemrelation.hpp"

namespace SWDE_API swde {

smElemRelation::smElemRelation() = default;
smElemRelation::~smElemRelation() = default;

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/model/Smrelation.hpp"

namespace SWDE_API swde {

smRelation::smRelation() = default;
smRelation::~smRelation() = default;

}  // namespace swde

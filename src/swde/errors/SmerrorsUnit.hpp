// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ERRORS_SMERRORSUNIT_HPP_
#define SWDE_ERRORS_SMERRORSUNIT_HPP_

// Start-up and shut-down work of the error unit, run by the package entries only.

#include "swde/platform/Api.hpp"

namespace SWDE_API swde {

// Builds the process-wide message catalogue (replacing an emptied one).
void startUpMessageCatalogue();
// Erases every entry of the catalogue; the instance stays, empty.
void shutDownMessageCatalogue();

}  // namespace swde

#endif  // SWDE_ERRORS_SMERRORSUNIT_HPP_

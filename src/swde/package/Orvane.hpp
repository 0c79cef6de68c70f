// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PACKAGE_ORVANE_HPP_
#define SWDE_PACKAGE_ORVANE_HPP_

#include <cstddef>

#include "swde/platform/Api.hpp"

namespace SWDE_API swde {

// Package start-up: initialises every unit of the library in order. The first call builds the
// message catalogue; further calls only count. REQUIRES: called before the first object is
// checked or error record made, while no other thread uses the library.
void Initialize();

// Package shut-down: finalises every unit in reverse order. The call that balances the first
// Initialize empties the catalogue. A call with no Initialize to balance does nothing.
// REQUIRES: every object and error record has been destroyed.
void Finalize();

// The units of the package in initialisation order, and their counters: 0 when the unit is not
// initialised, -n after n unbalanced initialisations.
std::size_t packageUnitCount();
const char* packageUnitName(std::size_t index);
int packageUnitCounter(std::size_t index);

}  // namespace swde

#endif  // SWDE_PACKAGE_ORVANE_HPP_

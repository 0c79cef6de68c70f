// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_SWDE_HPP_
#define SWDE_SWDE_HPP_

// Everything of the namespace swde.

#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smattribute.hpp"
#include "swde/model/Smelemrelation.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/model/Smrecord.hpp"
#include "swde/model/Smrelation.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/AnsiString.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/platform/Sysutils.hpp"
#include "swde/schema/Smxmldef.hpp"

#endif  // SWDE_SWDE_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_ANSISTRING_HPP_
#define SWDE_PLATFORM_ANSISTRING_HPP_

#include <string>

#include "swde/platform/Api.hpp"

namespace SWDE_API swde {

// A counted byte string. Every text the library handles is held as Windows-1250 (CP1250) bytes;
// equality is byte for byte and ordering is ordinal (unsigned bytes), as std::string does it.
using AnsiString = std::string;

// A UTF-16 string; used only by the schema key names.
using WideString = std::u16string;

}  // namespace swde

#endif  // SWDE_PLATFORM_ANSISTRING_HPP_

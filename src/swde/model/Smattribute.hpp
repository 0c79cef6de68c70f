// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_MODEL_SMATTRIBUTE_HPP_
#define SWDE_MODEL_SMATTRIBUTE_HPP_

#include <cstdint>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// One attribute value of an object. Created by smObject::addAttribute and owned by that object;
// the host writes `line` and `id` through the returned pointer.
class smAttribute {
 public:
  smAttribute();
  smAttribute(const smAttribute&) = delete;
  smAttribute& operator=(const smAttribute&) = delete;
  virtual ~smAttribute();

  AnsiString code;         // code as given to addAttribute; matched by the lookups by code
  AnsiString name;         // name as given, or the code when none was given; the map key
  AnsiString value;        // the value text, unchanged
  std::uint32_t line = 0;  // line in the checked file, as the host numbers it
  std::uint32_t id = 0;    // identifier, as the host assigns it
};

}  // namespace swde

#endif  // SWDE_MODEL_SMATTRIBUTE_HPP_

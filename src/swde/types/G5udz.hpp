// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5UDZ_HPP_
#define SWDE_TYPES_G5UDZ_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5UDZ (share in a register unit).
class G5UDZ : public smObject {
 public:
  explicit G5UDZ(const AnsiString& typeCode);
  ~G5UDZ() override;

  // Reports 6017 for a "G5UD" value that is not a proper fraction.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5UDZ_HPP_

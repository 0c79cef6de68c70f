// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5PDZ_HPP_
#define SWDE_TYPES_G5PDZ_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5PDZ (share in a parcel).
class G5PDZ : public smObject {
 public:
  explicit G5PDZ(const AnsiString& typeCode);
  ~G5PDZ() override;

  // Reports 6017 for a "G5UD" value that is not a proper fraction.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5PDZ_HPP_

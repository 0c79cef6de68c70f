// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5UDD_HPP_
#define SWDE_TYPES_G5UDD_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5UDD (share in a lease).
class G5UDD : public smObject {
 public:
  explicit G5UDD(const AnsiString& typeCode);
  ~G5UDD() override;

  // Reports 6017 for a "G5UD" value that is not a proper fraction.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5UDD_HPP_

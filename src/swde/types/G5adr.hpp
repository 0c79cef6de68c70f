// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5ADR_HPP_
#define SWDE_TYPES_G5ADR_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5ADR (address).
class G5ADR : public smObject {
 public:
  explicit G5ADR(const AnsiString& typeCode);
  ~G5ADR() override;

  // Reports 6028 for a "G5KOD" value that is not a postal code of the form 00-000.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5ADR_HPP_

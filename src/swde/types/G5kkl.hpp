// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5KKL_HPP_
#define SWDE_TYPES_G5KKL_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5KKL (land class contour).
class G5KKL : public smObject {
 public:
  explicit G5KKL(const AnsiString& typeCode);
  ~G5KKL() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5KKL_HPP_

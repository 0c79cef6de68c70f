// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5LKL_HPP_
#define SWDE_TYPES_G5LKL_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5LKL (premises).
class G5LKL : public smObject {
 public:
  explicit G5LKL(const AnsiString& typeCode);
  ~G5LKL() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5LKL_HPP_

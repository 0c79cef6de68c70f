// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5PZG_HPP_
#define SWDE_TYPES_G5PZG_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5PZG (boundary point).
class G5PZG : public smObject {
 public:
  explicit G5PZG(const AnsiString& typeCode);
  ~G5PZG() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5PZG_HPP_

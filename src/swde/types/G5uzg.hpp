// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5UZG_HPP_
#define SWDE_TYPES_G5UZG_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5UZG (land use contour).
class G5UZG : public smObject {
 public:
  explicit G5UZG(const AnsiString& typeCode);
  ~G5UZG() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5UZG_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5KLU_HPP_
#define SWDE_TYPES_G5KLU_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5KLU (land use class).
class G5KLU : public smObject {
 public:
  explicit G5KLU(const AnsiString& typeCode);
  ~G5KLU() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5KLU_HPP_

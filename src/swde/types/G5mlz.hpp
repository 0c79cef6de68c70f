// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5MLZ_HPP_
#define SWDE_TYPES_G5MLZ_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5MLZ (marriage).
class G5MLZ : public smObject {
 public:
  explicit G5MLZ(const AnsiString& typeCode);
  ~G5MLZ() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5MLZ_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5OBR_HPP_
#define SWDE_TYPES_G5OBR_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5OBR (registration precinct).
class G5OBR : public smObject {
 public:
  explicit G5OBR(const AnsiString& typeCode);
  ~G5OBR() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5OBR_HPP_

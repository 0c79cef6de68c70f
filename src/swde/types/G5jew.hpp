// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5JEW_HPP_
#define SWDE_TYPES_G5JEW_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5JEW (registration unit).
class G5JEW : public smObject {
 public:
  explicit G5JEW(const AnsiString& typeCode);
  ~G5JEW() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5JEW_HPP_

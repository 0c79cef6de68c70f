// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5OSZ_HPP_
#define SWDE_TYPES_G5OSZ_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5OSZ (other subject).
class G5OSZ : public smObject {
 public:
  explicit G5OSZ(const AnsiString& typeCode);
  ~G5OSZ() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5OSZ_HPP_

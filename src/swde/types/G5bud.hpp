// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5BUD_HPP_
#define SWDE_TYPES_G5BUD_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5BUD (building).
class G5BUD : public smObject {
 public:
  explicit G5BUD(const AnsiString& typeCode);
  ~G5BUD() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5BUD_HPP_

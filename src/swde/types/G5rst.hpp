// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5RST_HPP_
#define SWDE_TYPES_G5RST_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5RST (map sheet).
class G5RST : public smObject {
 public:
  explicit G5RST(const AnsiString& typeCode);
  ~G5RST() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5RST_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5DZW_HPP_
#define SWDE_TYPES_G5DZW_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5DZW (lease).
class G5DZW : public smObject {
 public:
  explicit G5DZW(const AnsiString& typeCode);
  ~G5DZW() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5DZW_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5DZE_HPP_
#define SWDE_TYPES_G5DZE_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5DZE (parcel).
class G5DZE : public smObject {
 public:
  explicit G5DZE(const AnsiString& typeCode);
  ~G5DZE() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5DZE_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5INS_HPP_
#define SWDE_TYPES_G5INS_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5INS (institution).
class G5INS : public smObject {
 public:
  explicit G5INS(const AnsiString& typeCode);
  ~G5INS() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5INS_HPP_

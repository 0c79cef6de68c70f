// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5JDR_HPP_
#define SWDE_TYPES_G5JDR_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5JDR (register unit of a subject).
class G5JDR : public smObject {
 public:
  explicit G5JDR(const AnsiString& typeCode);
  ~G5JDR() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5JDR_HPP_

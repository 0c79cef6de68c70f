// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5GRN_HPP_
#define SWDE_TYPES_G5GRN_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5GRN (boundary area).
class G5GRN : public smObject {
 public:
  explicit G5GRN(const AnsiString& typeCode);
  ~G5GRN() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5GRN_HPP_

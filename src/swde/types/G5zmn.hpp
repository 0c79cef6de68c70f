// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5ZMN_HPP_
#define SWDE_TYPES_G5ZMN_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5ZMN (change).
class G5ZMN : public smObject {
 public:
  explicit G5ZMN(const AnsiString& typeCode);
  ~G5ZMN() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5ZMN_HPP_

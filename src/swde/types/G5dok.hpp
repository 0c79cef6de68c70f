// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5DOK_HPP_
#define SWDE_TYPES_G5DOK_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5DOK (document).
class G5DOK : public smObject {
 public:
  explicit G5DOK(const AnsiString& typeCode);
  ~G5DOK() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5DOK_HPP_

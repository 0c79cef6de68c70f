// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_G5OSF_HPP_
#define SWDE_TYPES_G5OSF_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Record type G5OSF (natural person).
class G5OSF : public smObject {
 public:
  explicit G5OSF(const AnsiString& typeCode);
  ~G5OSF() override;

  // No rule of its own.
  void checkAttribValue(smAttribute* attribute) override;
};

}  // namespace swde

#endif  // SWDE_TYPES_G5OSF_HPP_

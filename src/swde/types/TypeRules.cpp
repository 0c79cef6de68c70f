// swde — semantic checks of SWDE cadastral exchange objects.
//
// Rules that several per-type classes share, kept in smObject so that the classes stay empty
// shells choosing which rule their hook applies.
#include <cstdint>
#include <string_view>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {

void smObject::checkProperFraction(smAttribute* attribute) {
  if (attribute->code != "G5UD" || fractionProper) {
    return;
  }
  reportAttribute(errProperFraction, smError::rmError, attribute);
}

void smObject::checkPostalCode(smAttribute* attribute) {
  if (attribute->code != "G5KOD" || attribute->value.empty()) {
    return;
  }
  const std::string_view value = attribute->value;
  const std::size_t dash = value.find('-');
  const std::string_view first = value.substr(0, 2);
  const std::string_view second = value.size() > 3 ? value.substr(3) : std::string_view();
  std::int32_t number = 0;
  const bool wellFormed = dash == 2 && second.size() == 3 &&
                          second.find('-') == std::string_view::npos &&
                          TryStrToInt(first, number) && TryStrToInt(second, number);
  if (!wellFormed) {
    const AnsiString args[] = {typeName};
    report(errPostalCode, smError::rmError, *attribute, args, 0);
  }
}

}  // namespace swde

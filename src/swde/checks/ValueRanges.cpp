// swde — semantic checks of SWDE cadastral exchange objects.
//
// Emptiness and value sets come from the annex's definition of the entry's code in the
// object's record type; the per-type hook runs last unless the value was judged out of range.
#include <cstdint>
#include <string_view>

#include "swde/checks/ValueForms.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {

void smObject::checkAttribValueRange(smAttribute* attribute) {
  const RecordType* type = annexType();
  const AttributeDef* def = type != nullptr ? type->getAttributeByCode(attribute->code) : nullptr;
  if (def == nullptr) {
    checkAttribValue(attribute);
    return;
  }
  const std::string_view trimmed = TrimView(attribute->value);
  if (trimmed.empty()) {
    if (def->mandatory >= 3) {
      return;
    }
    if (def->mandatory == 1) {
      reportAttribute(errEmptyValue, smError::rmError, attribute);
    } else if (def->mandatory == 2) {
      reportAttribute(errEmptyValue, smError::rmWarning, attribute);
    }
    checkAttribValue(attribute);
    return;
  }
  if (def->getPossibleValuesCount() < 1 || def->isValuePresent(AnsiString(trimmed))) {
    checkAttribValue(attribute);
    return;
  }
  reportAttribute(errValueOutOfSet, smError::rmError, attribute);
}

bool smObject::isCorectFraction(smAttribute* attribute) {
  const checks::FractionForm form = checks::ReadFraction(attribute->value);
  fractionProper = form.proper;
  if (!form.wellFormed) {
    reportAttribute(errFractionValue, smError::rmError, attribute);
  }
  return form.wellFormed;
}

bool smObject::isCorrectFloatData(AnsiString& value) {
  AnsiString compact;
  compact.reserve(value.size());
  for (const char c : value) {
    if (c != ' ') {
      compact.push_back(c);
    }
  }
  return DecimalNumberLength(compact) == compact.size();
}

}  // namespace swde

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Emptiness and value sets come from the annex's definition of the entry's code in the
// object's record type; the per-type hook runs last unless the value was judged out of range.
#include <cstdint>
#include <string_view>

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
  std::string_view whole = TrimView(attribute->value);
  fractionProper = false;
  if (whole.empty()) {
    return true;
  }
  // A sign may only lead. Only the first "+" is looked at when there is one, else the first "-".
  std::size_t sign = whole.find('+');
  if (sign == std::string_view::npos) {
    sign = whole.find('-');
  }
  if (sign == 0) {
    whole.remove_prefix(1);
  } else if (sign != std::string_view::npos) {
    reportAttribute(errFractionValue, smError::rmError, attribute);
    return false;
  }

  const std::size_t slash1 = whole.find('/');
  if (slash1 == std::string_view::npos) {
    std::int32_t number = 0;
    if (TryStrToInt(whole, number)) {
      return true;
    }
    reportAttribute(errFractionValue, smError::rmError, attribute);
    return false;
  }
  const std::size_t slash2 = whole.find('/', slash1 + 1);
  const std::string_view first = TrimView(whole.substr(0, slash1));
  if (slash2 == std::string_view::npos) {
    const std::string_view second = TrimView(whole.substr(slash1 + 1));
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
    if (!FieldRead(first, &numerator) || !FieldRead(second, &denominator)) {
      reportAttribute(errFractionValue, smError::rmError, attribute);
      return false;
    }
    fractionProper = (numerator == 1 && denominator == 1) || numerator < denominator;
    return true;
  }
  if (whole.find('/', slash2 + 1) == std::string_view::npos) {
    const std::string_view second = TrimView(whole.substr(slash1 + 1, slash2 - slash1 - 1));
    const std::string_view third = TrimView(whole.substr(slash2 + 1));
    if (FieldRead(first) && FieldRead(second) && FieldRead(third)) {
      return true;
    }
  }
  reportAttribute(errFractionValue, smError::rmError, attribute);
  return false;
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

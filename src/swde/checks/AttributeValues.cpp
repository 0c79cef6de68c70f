// swde — semantic checks of SWDE cadastral exchange objects.
//
// The form of a value is judged on the raw, untrimmed text (see ValueForms.hpp); one malformed
// value makes one report and stops there.
#include <cstdint>
#include <string_view>

#include "swde/checks/ValueForms.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace {

// Base type codes are compared exactly: two bytes, case-sensitive, untrimmed.
bool isCode(const AnsiString& baseType, const char (&code)[3]) {
  return baseType.size() == 2 && baseType[0] == code[0] && baseType[1] == code[1];
}

enum class Form { kReal, kInteger, kLogical, kFraction, kDate, kTime, kDateTime, kNone };

// The branch a value takes: the first row whose base type and emptiness condition hold.
Form formOf(const AnsiString& baseType, std::string_view value) {
  const bool notEmpty = !value.empty();
  if (isCode(baseType, "FL") && notEmpty) {
    return Form::kReal;
  }
  if (isCode(baseType, "NO") && notEmpty) {
    return Form::kInteger;
  }
  if (isCode(baseType, "LN") && notEmpty) {
    return Form::kLogical;
  }
  if (isCode(baseType, "UL")) {
    return Form::kFraction;
  }
  if (isCode(baseType, "DN") && notEmpty) {
    return Form::kDate;
  }
  const bool notBlank = !TrimView(value).empty();
  if (isCode(baseType, "HR") && notBlank) {
    return Form::kTime;
  }
  if (isCode(baseType, "DH") && notBlank) {
    return Form::kDateTime;
  }
  return Form::kNone;
}

}  // namespace

void smObject::checkAttribute(const AnsiString& baseType, smAttribute* attribute) {
  const std::string_view value = attribute->value;
  const Form form = formOf(baseType, value);
  if (form == Form::kNone) {
    checkAttribValueRange(attribute);
    return;
  }
  if (value.find(';') != std::string_view::npos) {
    reportAttribute(errInvalidChar, smError::rmError, attribute);
    return;
  }
  switch (form) {
    case Form::kReal:
      if (!isCorrectFloatData(attribute->value)) {
        reportAttribute(errFloatValue, smError::rmError, attribute);
        return;
      }
      break;
    case Form::kInteger: {
      std::int64_t number = 0;
      if (!TryStrToInt64(value, number)) {
        reportAttribute(errIntegerValue, smError::rmError, attribute);
        return;
      }
      break;
    }
    case Form::kLogical: {
      const std::string_view trimmed = TrimView(value);
      if (trimmed != "1" && trimmed != "0") {
        reportAttribute(errLogicalValue, smError::rmError, attribute);
        return;
      }
      break;
    }
    case Form::kFraction:
      if (!isCorectFraction(attribute)) {
        return;  // the fraction check has reported
      }
      break;
    case Form::kDate:
      if (!checks::IsDateForm(value)) {
        reportAttribute(errDateFormat, smError::rmError, attribute);
        if (TrimView(attribute->code) == "G5DTW") {
          verificationDateValid = false;
        }
        return;
      }
      break;
    case Form::kTime:
      if (!checks::IsTimeForm(value)) {
        reportAttribute(errTimeFormat, smError::rmError, attribute);
        return;
      }
      break;
    case Form::kDateTime:
      if (!checks::IsDateTimeForm(value)) {
        reportAttribute(errDateTimeFormat, smError::rmError, attribute);
        if (TrimView(attribute->code) == "G5DTU") {
          creationDateValid = false;
        }
        return;
      }
      break;
    case Form::kNone:
      break;
  }
  checkAttribValueRange(attribute);
}

}  // namespace swde

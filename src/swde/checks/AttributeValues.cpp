// swde — semantic checks of SWDE cadastral exchange objects.
//
// The form of a value is judged on the raw, untrimmed text: lengths and separator positions are
// fixed, and each numeric field only has to begin (after white space) with a digit, as a scanf
// "%ld" read demands. No calendar or clock ranges are checked.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace {

// A field of a value: its zero-based offset and length.
struct Field {
  std::size_t offset;
  std::size_t length;
};

// The fields of a date "rrrr.mm.dd", a time "gg:mm:ss[.sssss]" and a date and time
// "rrrr.mm.dd-gg:mm:ss[.sssss]", and the separators between them.
constexpr Field kDateFields[] = {{0, 4}, {5, 2}, {8, 2}};
constexpr Field kTimeFields[] = {{0, 2}, {3, 2}, {6, 2}, {9, 5}};
constexpr Field kDateTimeFields[] = {{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}, {20, 5}};

// No field may hold a sign; then every field must yield a number to a "%ld" read.
template <std::size_t N>
bool fieldsReadable(std::string_view value, const Field (&fields)[N], std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (value.substr(fields[i].offset, fields[i].length).find_first_of("-+") !=
        std::string_view::npos) {
      return false;
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!FieldRead(value.substr(fields[i].offset, fields[i].length))) {
      return false;
    }
  }
  return true;
}

// Each (zero-based position, character) pair must match.
bool separatorsAt(std::string_view value,
                  std::initializer_list<std::pair<std::size_t, char>> seps) {
  for (const auto& [position, separator] : seps) {
    if (value[position] != separator) {
      return false;
    }
  }
  return true;
}

bool isDateForm(std::string_view value) {
  return value.size() == 10 && fieldsReadable(value, kDateFields, 3) &&
         separatorsAt(value, {{4, '.'}, {7, '.'}});
}

bool isTimeForm(std::string_view value) {
  if (value.size() == 8) {
    return fieldsReadable(value, kTimeFields, 3) && separatorsAt(value, {{2, ':'}, {5, ':'}});
  }
  if (value.size() == 14) {
    return fieldsReadable(value, kTimeFields, 4) &&
           separatorsAt(value, {{2, ':'}, {5, ':'}, {8, '.'}});
  }
  return false;
}

bool isDateTimeForm(std::string_view value) {
  if (value.size() != 19 && value.size() != 25) {
    return false;
  }
  const bool withFraction = value.size() == 25;
  if (!fieldsReadable(value, kDateTimeFields, withFraction ? 7 : 6) ||
      !separatorsAt(value, {{4, '.'}, {7, '.'}, {10, '-'}, {13, ':'}, {16, ':'}})) {
    return false;
  }
  return !withFraction || value[19] == '.';
}

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
      if (!isDateForm(value)) {
        reportAttribute(errDateFormat, smError::rmError, attribute);
        if (TrimView(attribute->code) == "G5DTW") {
          verificationDateValid = false;
        }
        return;
      }
      break;
    case Form::kTime:
      if (!isTimeForm(value)) {
        reportAttribute(errTimeFormat, smError::rmError, attribute);
        return;
      }
      break;
    case Form::kDateTime:
      if (!isDateTimeForm(value)) {
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

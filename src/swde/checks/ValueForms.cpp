// swde — semantic checks of SWDE cadastral exchange objects.
//
// The form of a value is judged on the raw, untrimmed text: lengths and separator positions are
// fixed, and each numeric field only has to begin (after white space) with a digit, as a scanf
// "%ld" read demands. No calendar or clock ranges are checked.
#include "swde/checks/ValueForms.hpp"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace checks {
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

}  // namespace

bool SeparatorsAt(std::string_view value,
                  std::initializer_list<std::pair<std::size_t, char>> separators) {
  for (const auto& [position, separator] : separators) {
    if (value[position] != separator) {
      return false;
    }
  }
  return true;
}

bool IsDateForm(std::string_view value) {
  return value.size() == 10 && fieldsReadable(value, kDateFields, 3) &&
         SeparatorsAt(value, {{4, '.'}, {7, '.'}});
}

bool IsTimeForm(std::string_view value) {
  if (value.size() == 8) {
    return fieldsReadable(value, kTimeFields, 3) && SeparatorsAt(value, {{2, ':'}, {5, ':'}});
  }
  if (value.size() == 14) {
    return fieldsReadable(value, kTimeFields, 4) &&
           SeparatorsAt(value, {{2, ':'}, {5, ':'}, {8, '.'}});
  }
  return false;
}

bool IsDateTimeForm(std::string_view value) {
  if (value.size() != 19 && value.size() != 25) {
    return false;
  }
  const bool withFraction = value.size() == 25;
  if (!fieldsReadable(value, kDateTimeFields, withFraction ? 7 : 6) ||
      !SeparatorsAt(value, {{4, '.'}, {7, '.'}, {10, '-'}, {13, ':'}, {16, ':'}})) {
    return false;
  }
  return !withFraction || value[19] == '.';
}

FractionForm ReadFraction(std::string_view value) {
  FractionForm form;
  std::string_view whole = TrimView(value);
  if (whole.empty()) {
    form.wellFormed = true;
    return form;
  }
  // A sign may only lead. Only the first "+" is looked at when there is one, else the first "-".
  std::size_t sign = whole.find('+');
  if (sign == std::string_view::npos) {
    sign = whole.find('-');
  }
  if (sign == 0) {
    whole.remove_prefix(1);
  } else if (sign != std::string_view::npos) {
    return form;
  }

  const std::size_t slash1 = whole.find('/');
  if (slash1 == std::string_view::npos) {
    std::int32_t number = 0;
    form.wellFormed = TryStrToInt(whole, number);
    return form;
  }
  const std::size_t slash2 = whole.find('/', slash1 + 1);
  const std::string_view first = TrimView(whole.substr(0, slash1));
  if (slash2 == std::string_view::npos) {
    const std::string_view second = TrimView(whole.substr(slash1 + 1));
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
    if (FieldRead(first, &numerator) && FieldRead(second, &denominator)) {
      form.wellFormed = true;
      form.proper = (numerator == 1 && denominator == 1) || numerator < denominator;
    }
    return form;
  }
  if (whole.find('/', slash2 + 1) == std::string_view::npos) {
    const std::string_view second = TrimView(whole.substr(slash1 + 1, slash2 - slash1 - 1));
    const std::string_view third = TrimView(whole.substr(slash2 + 1));
    form.wellFormed = FieldRead(first) && FieldRead(second) && FieldRead(third);
  }
  return form;
}

}  // namespace checks
}  // namespace swde

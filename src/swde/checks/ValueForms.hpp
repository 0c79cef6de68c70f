// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_CHECKS_VALUEFORMS_HPP_
#define SWDE_CHECKS_VALUEFORMS_HPP_

// The forms that the catalogue's value checks accept, as plain predicates: the object's checks
// report from them, and the document checks use them to judge further only what the catalogue
// let pass. Internal to the library.

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "swde/platform/Api.hpp"

namespace SWDE_API swde {
namespace checks {

// "rrrr.mm.dd", "gg:mm:ss[.sssss]" and "rrrr.mm.dd-gg:mm:ss[.sssss]" on the raw value: lengths
// and separators fixed, no sign in a field, each field only has to begin (after white space)
// with a digit. No calendar or clock ranges.
bool IsDateForm(std::string_view value);
bool IsTimeForm(std::string_view value);
bool IsDateTimeForm(std::string_view value);

// True when every (zero-based position, character) pair matches `value`.
// REQUIRES: every position lies inside `value`.
bool SeparatorsAt(std::string_view value,
                  std::initializer_list<std::pair<std::size_t, char>> separators);

// The catalogue's reading of a fraction ("UL") value.
struct FractionForm {
  bool wellFormed = false;  // a whole number, or two or three whole numbers separated by "/"
  bool proper = false;      // n/d with n < d or 1/1, the numbers read in 32 bits
};
// Blank values are well formed and not proper.
FractionForm ReadFraction(std::string_view value);

}  // namespace checks
}  // namespace swde

#endif  // SWDE_CHECKS_VALUEFORMS_HPP_

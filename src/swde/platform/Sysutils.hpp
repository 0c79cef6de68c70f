// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_SYSUTILS_HPP_
#define SWDE_PLATFORM_SYSUTILS_HPP_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Raised by the throwing conversions and by Format.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Returns `text` without its leading and trailing characters of code 0 to 32.
AnsiString Trim(std::string_view text);
// The same as a view into `text`; allocates nothing.
std::string_view TrimView(std::string_view text);

// Decimal text to a signed 32-bit integer. Accepted: an optional "+" or "-", then one or more
// decimal digits and nothing else, the value within range. Throws EConvertError otherwise.
std::int32_t StrToInt(std::string_view text);
// As StrToInt for the signed 64-bit range.
std::int64_t StrToInt64(std::string_view text);

// Non-throwing forms: the same accept/reject decisions; on success store the value and return
// true, on failure leave `out` unchanged and return false.
bool TryStrToInt(std::string_view text, std::int32_t& out) noexcept;
bool TryStrToInt64(std::string_view text, std::int64_t& out) noexcept;

// The C library's scanf("%ld") read of one field: optional white space (blank, \t, \n, \v, \f,
// \r), an optional sign, then at least one decimal digit; what follows the digits is not looked
// at. Returns false when no number can be read. On success, when `out` is given, stores the
// number clamped to the signed 32-bit range (the saturation of a 32-bit long).
bool FieldRead(std::string_view field, std::int32_t* out = nullptr) noexcept;

// The length of the longest prefix of `text` that the C library's strtod reads as a decimal
// number: optional white space, an optional sign, digits with at most one ".", at least one
// digit, then an exponent if digits follow its "e" or "E". 0 when it reads none. Infinity,
// not-a-number and hexadecimal forms are not numbers here.
std::size_t DecimalNumberLength(std::string_view text) noexcept;

// Substitutes the arguments, in order, for the "%s" placeholders of `format`; "%%" gives one
// "%"; any other "%" is copied as it stands. Surplus arguments are ignored. More placeholders
// than arguments throws EConvertError. `args` points to the first argument and `argsHigh` is the
// index of the last one (-1 for none); `args` may be null only when `argsHigh` is negative.
AnsiString Format(std::string_view format, const AnsiString* args, int argsHigh);
AnsiString Format(std::string_view format, std::initializer_list<AnsiString> args);

}  // namespace swde

#endif  // SWDE_PLATFORM_SYSUTILS_HPP_

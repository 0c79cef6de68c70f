// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_CP1250_HPP_
#define SWDE_PLATFORM_CP1250_HPP_

#include <cstddef>
#include <string>
#include <string_view>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// The Unicode code point of one CP1250 byte; -1 for the five bytes that CP1250 leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98).
int Cp1250ToUnicode(unsigned char byte) noexcept;

// The CP1250 byte of a Unicode code point; -1 when CP1250 cannot hold it.
int UnicodeToCp1250(char32_t codePoint) noexcept;

// CP1250 bytes to UTF-8. An undefined byte becomes U+FFFD, so the result is always valid UTF-8.
std::string Cp1250ToUtf8(std::string_view text);

// UTF-8 to CP1250 bytes. Returns false when the input is not valid UTF-8 or holds a character
// that CP1250 cannot represent; `errorOffset` (if given) then receives the byte offset of the
// offending sequence and `out` holds the bytes converted before it.
bool Utf8ToCp1250(std::string_view text, AnsiString& out, std::size_t* errorOffset = nullptr);

}  // namespace swde

#endif  // SWDE_PLATFORM_CP1250_HPP_

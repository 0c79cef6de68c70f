// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_XML_DETAIL_ENCODING_HPP_
#define SWDE_XML_DETAIL_ENCODING_HPP_

#include <cstddef>
#include <optional>
#include <string_view>

#include <expat.h>

#include "swde/platform/Bytes.hpp"

// Internal to swde_xml: the encodings a document may declare. expat decodes UTF-8, UTF-16,
// ISO-8859-1 and US-ASCII itself; the Polish code pages are decoded through its unknown-encoding
// handler from the tables of Bytes.hpp.

namespace swde::xml::detail {

// True when `a` and `b` are equal but for the letter case of ASCII letters.
bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept;

// The code page of a declared encoding name, in any letter case: windows-1250 or cp1250;
// ISO-8859-2, ISO8859-2, ISO_8859-2 or latin2; IBM852, cp852 or 852. None for other names.
std::optional<Codepage> codepageOf(std::string_view encodingName) noexcept;

// True when every byte below 0x80 in the declared encoding is that ASCII character, so markup
// can be found byte by byte: UTF-8 (also an empty name: nothing declared), US-ASCII, ISO-8859-1
// and the code pages of codepageOf.
bool isAsciiCompatible(std::string_view encodingName) noexcept;

// The handler for XML_SetUnknownEncodingHandler: fills `info` from the table of the code page
// that codepageOf(name) gives, and refuses every other name.
int XMLCALL unknownEncodingHandler(void* handlerData, const XML_Char* name,
                                   XML_Encoding* info) noexcept;

// The encoding that `bytes` look like where reading them as `assumed` (a declared name; empty
// for UTF-8) failed at bytes[at]: "UTF-8" when a UTF-8 sequence covers bytes[at] and `assumed`
// is not UTF-8, else the code page (windows-1250, ISO-8859-2, IBM852) other than `assumed` that
// defines bytes[at] and makes the most Polish letters of the bytes above 0x7F, less four for each
// byte it leaves undefined, if that is more than none (windows-1250 first on a tie, then
// ISO-8859-2). Empty when nothing fits.
std::string_view guessEncoding(std::string_view assumed, std::string_view bytes, std::size_t at);

}  // namespace swde::xml::detail

#endif  // SWDE_XML_DETAIL_ENCODING_HPP_

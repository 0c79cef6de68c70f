// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_XML_DETAIL_ENCODING_HPP_
#define SWDE_XML_DETAIL_ENCODING_HPP_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <expat.h>

// Internal to swde_xml: the windows-1250 decoder given to expat, and the bookkeeping of
// positions inside the UTF-8 text that expat hands over.

namespace swde::xml::detail {

// A place in the input: line from 1, column from 1 counted in characters, as expat counts them
// (expat's own columns start at 0).
struct Position {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

// True for "windows-1250" and "cp1250" in any letter case.
bool isCp1250Name(std::string_view encodingName) noexcept;

// The handler for XML_SetUnknownEncodingHandler: fills `info` from the CP1250 table for the
// names isCp1250Name accepts and refuses every other name.
int XMLCALL unknownEncodingHandler(void* handlerData, const XML_Char* name,
                                   XML_Encoding* info) noexcept;

// The position just past `utf8` when it starts at `from`: a line feed begins a new line, every
// other character (not byte) moves one column.
Position advance(Position from, std::string_view utf8) noexcept;

// "U+XXXX" for the character at `offset` of `utf8` (a complete UTF-8 sequence).
std::string describeCharacter(std::string_view utf8, std::size_t offset);

// `text` in double quotes, cut after 40 bytes (at a character boundary) with "..." added.
std::string quote(std::string_view text);

}  // namespace swde::xml::detail

#endif  // SWDE_XML_DETAIL_ENCODING_HPP_

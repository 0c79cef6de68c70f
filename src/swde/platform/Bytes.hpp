// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_BYTES_HPP_
#define SWDE_PLATFORM_BYTES_HPP_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "swde/platform/Api.hpp"

// Helpers on raw bytes shared by the library, the reader and the tools: the single-byte code
// pages, UTF-8 decoding, control bytes made visible, and a hash.

namespace SWDE_API swde {

// The single-byte code pages of Polish text. Each keeps ASCII in 0x00..0x7F.
enum class Codepage {
  kWindows1250,  // windows-1250 (CP1250), the library's own text encoding
  kIso8859_2,    // ISO-8859-2 (Latin-2)
  kIbm852,       // IBM852 (CP852, the DOS Latin-2)
};

// The Unicode code point of `byte` in `codepage`; -1 where the code page defines no character:
// the five holes of windows-1250 (0x81, 0x83, 0x88, 0x90, 0x98) and the C1 controls
// 0x80..0x9F of ISO-8859-2, which no text holds.
int CodepageToUnicode(Codepage codepage, unsigned char byte) noexcept;

// Decodes the UTF-8 sequence at text[pos] into `cp` and returns its length; returns 0 when it is
// malformed (a stray or cut-short sequence, an overlong form, a surrogate, beyond U+10FFFF).
// REQUIRES: pos < text.size().
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) noexcept;

// The number of bytes below 0x80 at the start of `text`: eight at a time.
std::size_t AsciiPrefixLength(std::string_view text) noexcept;

// True when all of `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text) noexcept;

// "U+XXXX", with at least four hexadecimal digits.
std::string DescribeCodePoint(char32_t cp);

// What EscapeBytes writes as "\xHH".
enum class Escape {
  kInvalid,             // the bytes that are not part of well-formed UTF-8
  kInvalidAndControls,  // those, and every byte of a control character: C0 (U+0000..U+001F),
                        // DEL (U+007F) and C1 (U+0080..U+009F, written C2 80..C2 9F)
};

// `text` as well-formed UTF-8, for a report or a terminal: each byte that `what` names is written
// "\xHH" (two capital hexadecimal digits), every other character stays as it is. Every report of
// the tool shows text this way, so an invalid byte of a file name reads alike in all of them, and
// with kInvalidAndControls a text stays on one line and cannot drive a terminal.
std::string EscapeBytes(std::string_view text, Escape what);

// The 64-bit FNV-1a hash of `bytes`, continuing from `hash`.
constexpr std::uint64_t kFnv1aOffset = 14695981039346656037ull;
std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t hash = kFnv1aOffset) noexcept;

}  // namespace swde

#endif  // SWDE_PLATFORM_BYTES_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Bytes 0x00 to 0x7F are ASCII; the upper half maps through a table. The reverse direction is a
// binary search over the table's 123 defined entries sorted by code point, built once.
#include "swde/platform/Cp1250.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace SWDE_API swde {
namespace {

// Code points of the bytes 0x80 to 0xFF; -1 where CP1250 defines no character.
constexpr std::array<std::int32_t, 128> kUpperHalf = {
    0x20AC, -1,     0x201A, -1,     0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    -1,     0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    -1,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    -1,     0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

using ReverseEntry = std::pair<char32_t, unsigned char>;

const std::vector<ReverseEntry>& reverseTable() {
  static const std::vector<ReverseEntry> table = [] {
    std::vector<ReverseEntry> entries;
    for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
      if (kUpperHalf[i] >= 0) {
        entries.emplace_back(static_cast<char32_t>(kUpperHalf[i]),
                             static_cast<unsigned char>(0x80 + i));
      }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }();
  return table;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[pos]; returns its length, or 0 when it is malformed
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[pos + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) {
      return 0;
    }
    cp = (cp << 6) | (byte(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

int Cp1250ToUnicode(unsigned char byte) noexcept {
  return byte < 0x80 ? byte : kUpperHalf[byte - 0x80];
}

int UnicodeToCp1250(char32_t codePoint) noexcept {
  if (codePoint < 0x80) {
    return static_cast<int>(codePoint);
  }
  const auto& table = reverseTable();
  const auto it = std::lower_bound(table.begin(), table.end(), ReverseEntry{codePoint, 0});
  if (it == table.end() || it->first != codePoint) {
    return -1;
  }
  return it->second;
}

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char c : text) {
    const int cp = Cp1250ToUnicode(static_cast<unsigned char>(c));
    appendUtf8(out, cp < 0 ? char32_t{0xFFFD} : static_cast<char32_t>(cp));
  }
  return out;
}

bool Utf8ToCp1250(std::string_view text, AnsiString& out, std::size_t* errorOffset) {
  out.clear();
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    const std::size_t length = decodeUtf8(text, pos, cp);
    const int byte = length == 0 ? -1 : UnicodeToCp1250(cp);
    if (byte < 0) {
      if (errorOffset != nullptr) {
        *errorOffset = pos;
      }
      return false;
    }
    out.push_back(static_cast<char>(byte));
    pos += length;
  }
  return true;
}

}  // namespace swde

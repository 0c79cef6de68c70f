// swde — semantic checks of SWDE cadastral exchange objects.
//
// Bytes map through the windows-1250 table of Bytes.cpp. The reverse direction is a binary
// search over the 123 bytes it defines above 0x7F sorted by code point, built once.
#include "swde/platform/Cp1250.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "swde/platform/Bytes.hpp"

namespace SWDE_API swde {
namespace {

using ReverseEntry = std::pair<char32_t, unsigned char>;

const std::vector<ReverseEntry>& reverseTable() {
  static const std::vector<ReverseEntry> table = [] {
    std::vector<ReverseEntry> entries;
    for (int byte = 0x80; byte < 0x100; ++byte) {
      const int cp = Cp1250ToUnicode(static_cast<unsigned char>(byte));
      if (cp >= 0) {
        entries.emplace_back(static_cast<char32_t>(cp), static_cast<unsigned char>(byte));
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

}  // namespace

int Cp1250ToUnicode(unsigned char byte) noexcept {
  return CodepageToUnicode(Codepage::kWindows1250, byte);
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
    // ASCII is the same bytes in both: a run of it is copied whole.
    const std::size_t ascii = AsciiPrefixLength(text.substr(pos));
    out.append(text.data() + pos, ascii);
    pos += ascii;
    if (pos == text.size()) {
      break;
    }
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, pos, cp);
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

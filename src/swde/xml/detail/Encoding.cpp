// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/xml/detail/Encoding.hpp"

#include <cstdio>

#include "swde/platform/Cp1250.hpp"

namespace swde::xml::detail {
namespace {

char lowerAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

bool isContinuation(unsigned char byte) noexcept {
  return (byte & 0xC0U) == 0x80U;
}

}  // namespace

bool isCp1250Name(std::string_view encodingName) noexcept {
  return equalsIgnoringCase(encodingName, "windows-1250") ||
         equalsIgnoringCase(encodingName, "cp1250");
}

int XMLCALL unknownEncodingHandler(void* /*handlerData*/, const XML_Char* name,
                                   XML_Encoding* info) noexcept {
  if (name == nullptr || !isCp1250Name(name)) {
    return XML_STATUS_ERROR;
  }
  // A single-byte table: every byte is one character, and the five bytes that CP1250 leaves
  // undefined are -1, which expat reports as an invalid token.
  for (int byte = 0; byte < 256; ++byte) {
    info->map[byte] = Cp1250ToUnicode(static_cast<unsigned char>(byte));
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

Position advance(Position from, std::string_view utf8) noexcept {
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n') {
      from.line += from.line < UINT32_MAX ? 1 : 0;  // lines past the range stay at its end
      from.column = 1;
    } else if (!isContinuation(byte)) {
      ++from.column;
    }
  }
  return from;
}

std::string describeCharacter(std::string_view utf8, std::size_t offset) {
  char32_t codePoint = 0;
  if (offset < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[offset]);
    std::size_t length = 1;
    if (lead >= 0xF0U) {
      codePoint = lead & 0x07U;
      length = 4;
    } else if (lead >= 0xE0U) {
      codePoint = lead & 0x0FU;
      length = 3;
    } else if (lead >= 0xC0U) {
      codePoint = lead & 0x1FU;
      length = 2;
    } else {
      codePoint = lead;
    }
    for (std::size_t i = 1; i < length && offset + i < utf8.size(); ++i) {
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[offset + i]) & 0x3FU);
    }
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(codePoint));
  return buffer;
}

std::string quote(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) {
    return "\"" + std::string(text) + "\"";
  }
  std::size_t cut = kShown;
  while (cut > 0 && isContinuation(static_cast<unsigned char>(text[cut]))) {
    --cut;
  }
  return "\"" + std::string(text.substr(0, cut)) + "...\"";
}

}  // namespace swde::xml::detail

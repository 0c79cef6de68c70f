// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/xml/detail/Encoding.hpp"

#include <algorithm>
#include <array>

namespace swde::xml::detail {
namespace {

char lowerAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

struct CodepageName {
  std::string_view name;
  Codepage codepage;
};

// The names users write, the canonical one of each code page first.
constexpr std::array<CodepageName, 9> kCodepageNames = {{
    {"windows-1250", Codepage::kWindows1250},
    {"cp1250", Codepage::kWindows1250},
    {"ISO-8859-2", Codepage::kIso8859_2},
    {"ISO8859-2", Codepage::kIso8859_2},
    {"ISO_8859-2", Codepage::kIso8859_2},
    {"latin2", Codepage::kIso8859_2},
    {"IBM852", Codepage::kIbm852},
    {"cp852", Codepage::kIbm852},
    {"852", Codepage::kIbm852},
}};

bool isPolishLetter(int cp) noexcept {
  constexpr std::array<int, 18> kLetters = {0x0104, 0x0105, 0x0106, 0x0107, 0x0118, 0x0119,
                                            0x0141, 0x0142, 0x0143, 0x0144, 0x00D3, 0x00F3,
                                            0x015A, 0x015B, 0x0179, 0x017A, 0x017B, 0x017C};
  return std::find(kLetters.begin(), kLetters.end(), cp) != kLetters.end();
}

// How well the bytes above 0x7F read in `codepage`: +1 for a Polish letter, -4 for a byte it
// leaves undefined.
int weigh(Codepage codepage, std::string_view bytes) noexcept {
  int weight = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      const int cp = CodepageToUnicode(codepage, byte);
      weight += cp < 0 ? -4 : isPolishLetter(cp) ? 1 : 0;
    }
  }
  return weight;
}

// True when a well-formed UTF-8 sequence of two or more bytes covers bytes[at].
bool insideUtf8Sequence(std::string_view bytes, std::size_t at) noexcept {
  for (std::size_t back = 0; back < 4 && back <= at; ++back) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(bytes, at - back, cp);
    if (length > back && length > 1) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

std::optional<Codepage> codepageOf(std::string_view encodingName) noexcept {
  for (const CodepageName& known : kCodepageNames) {
    if (equalsIgnoringCase(encodingName, known.name)) {
      return known.codepage;
    }
  }
  return std::nullopt;
}

bool isAsciiCompatible(std::string_view encodingName) noexcept {
  return encodingName.empty() || equalsIgnoringCase(encodingName, "UTF-8") ||
         equalsIgnoringCase(encodingName, "US-ASCII") ||
         equalsIgnoringCase(encodingName, "ISO-8859-1") || codepageOf(encodingName).has_value();
}

int XMLCALL unknownEncodingHandler(void* /*handlerData*/, const XML_Char* name,
                                   XML_Encoding* info) noexcept {
  const std::optional<Codepage> codepage =
      name != nullptr ? codepageOf(name) : std::optional<Codepage>();
  if (!codepage) {
    return XML_STATUS_ERROR;
  }
  // A single-byte table: every byte is one character, and the bytes the code page leaves
  // undefined are -1, which expat reports as an invalid token.
  for (int byte = 0; byte < 256; ++byte) {
    info->map[byte] = CodepageToUnicode(*codepage, static_cast<unsigned char>(byte));
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

std::string_view guessEncoding(std::string_view assumed, std::string_view bytes, std::size_t at) {
  if (at >= bytes.size()) {
    return {};
  }
  const std::optional<Codepage> read = codepageOf(assumed);
  const bool readAsUtf8 = assumed.empty() || equalsIgnoringCase(assumed, "UTF-8");
  if (!readAsUtf8 && insideUtf8Sequence(bytes, at)) {
    return "UTF-8";
  }
  std::string_view best;
  int bestWeight = 0;
  for (const Codepage candidate :
       {Codepage::kWindows1250, Codepage::kIso8859_2, Codepage::kIbm852}) {
    if (read == candidate ||
        CodepageToUnicode(candidate, static_cast<unsigned char>(bytes[at])) < 0) {
      continue;
    }
    const int weight = weigh(candidate, bytes);
    if (weight > bestWeight) {
      bestWeight = weight;
      best = std::find_if(kCodepageNames.begin(), kCodepageNames.end(),
                          [&](const CodepageName& known) { return known.codepage == candidate; })
                 ->name;
    }
  }
  return best;
}

}  // namespace swde::xml::detail

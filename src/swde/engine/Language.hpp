// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_LANGUAGE_HPP_
#define SWDE_ENGINE_LANGUAGE_HPP_

#include <cstdint>
#include <string>
#include <string_view>

namespace swde::engine {

// The language of the words around the findings in the text and HTML reports. The findings'
// messages are the catalogue's Polish in both; JSON and CSV have no words of their own.
enum class Language {
  kEnglish,
  kPolish,
};

// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty decides; a value beginning with "pl" gives Polish, anything else English.
Language languageFromEnvironment();

// "pl" or "en".
const char* languageCode(Language language);

// The words of the frame, UTF-8.
struct Words {
  const char* error;
  const char* warning;
  const char* fatal;
  const char* value;
  const char* expected;
  const char* key;
  const char* byCode;
  const char* byType;
};
const Words& wordsOf(Language language);

// `count` and the noun in the form the number takes: "1 error", "3 błędy", "5 błędów".
// `forms` are the forms for one, a few (Polish 2-4, 22-24, ...) and many.
struct Forms {
  const char* one;
  const char* few;
  const char* many;
};
std::string counted(std::uint64_t count, const Forms& forms, Language language);

}  // namespace swde::engine

#endif  // SWDE_ENGINE_LANGUAGE_HPP_

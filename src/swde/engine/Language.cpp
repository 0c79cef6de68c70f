// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/engine/Language.hpp"

#include <cstdlib>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace swde::engine {

Language languageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return std::string_view(value).substr(0, 2) == "pl" ? Language::kPolish : Language::kEnglish;
    }
  }
#ifdef _WIN32
  // Where no variable is set, as on most Windows systems: the language of the user's interface.
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH ? Language::kPolish
                                                                  : Language::kEnglish;
#else
  return Language::kEnglish;
#endif
}

const char* languageCode(Language language) {
  return language == Language::kPolish ? "pl" : "en";
}

const Words& wordsOf(Language language) {
  static const Words kEnglish{"error",    "warning", "fatal",    "value",
                              "expected", "key",     "By code:", "By record type:"};
  static const Words kPolish{"błąd",       "ostrzeżenie", "błąd krytyczny", "wartość",
                             "oczekiwano", "klucz",       "Według kodu:",   "Według typu rekordu:"};
  return language == Language::kPolish ? kPolish : kEnglish;
}

std::string counted(std::uint64_t count, const Forms& forms, Language language) {
  const char* form = forms.many;
  if (count == 1) {
    form = forms.one;
  } else if (language == Language::kPolish) {
    const std::uint64_t last = count % 10;
    const std::uint64_t lastTwo = count % 100;
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
      form = forms.few;
    }
  }
  return std::to_string(count) + ' ' + form;
}

}  // namespace swde::engine

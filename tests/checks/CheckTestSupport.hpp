// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_CHECKS_CHECKTESTSUPPORT_HPP_
#define SWDE_TESTS_CHECKS_CHECKTESTSUPPORT_HPP_

// Shared helpers of the check tests: the catalogue set up once per program, schema sets built in
// a few lines, objects filled with located entries, and every error of an object rendered as one
// readable line, "6018@12/7 m0 G5DZE: <message in UTF-8>".

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Cp1250.hpp"

namespace swde_test {

// The catalogue is global state: build it before the first test and empty it after the last.
class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { swde::Initialize(); }
  void TearDown() override { swde::Finalize(); }
};

inline ::testing::Environment* const kCatalogueEnvironment =
    ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);

// The texts of the codes that the checks raise, as users read them (UTF-8), written out here so
// that the expectations do not depend on how the library stores its catalogue.
inline const std::map<int, std::string>& ExpectedTexts() {
  static const std::map<int, std::string> texts = {
      {6001, "Atrybut %s nie jest zdefiniowany dla rekordu %s"},
      {6002, "Relacja %s nie jest zdefinowana dla rekordu %s"},
      {6003, "Data utworzenia obiektu %s nie może być pusta"},
      {6004, "Data weryfikacji obiektu %s nie może być pusta"},
      {6005, "Data weryfikacji obiektu %s wcześniejsza niż data jego utworzenia"},
      {6006, "Niepoprawny typ bazowy rekordu %s"},
      {6007, "Brak definicji rekordu %s w sekcji metadanych"},
      {6008, "Brak wymaganego atrybutu %s w rekordzie %s"},
      {6009, "Brak wymaganej relacji %s w rekordzie %s"},
      {6010, "Typ wskazywany przez wiązanie %s w obiekcie %s niezgodny z załącznikiem"},
      {6011, "Niepoprawna ilość wystąpień atrybutu %s w rekordzie %s"},
      {6012, "Niepoprawna ilość wystąpień relacji %s w rekordzie %s"},
      {6013,
       "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana jest "
       "liczba rzeczywista"},
      {6014,
       "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana jest "
       "liczba całkowita"},
      {6015,
       "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana wartość "
       "logiczna 0 lub 1"},
      {6016,
       "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana wartość "
       "ułamkowa"},
      {6017,
       "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewany ułamek "
       "właściwy"},
      {6018,
       "Niepoprawny format daty atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana "
       "data w formacie: rrrr.mm.dd"},
      {6019,
       "Niepoprawny format czasu atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewany "
       "czas w formacie: gg:mm:ss[.sssss]"},
      {6020,
       "Niepoprawny format daty i czasu atrybutu %s w obiekcie %s lub nieprawidłowy znak - "
       "spodziewana data i czas w formacie: rrrr.mm.dd-gg:mm:ss[.sssss]"},
      {6021, "Wartość atrybutu %s w obiekcie %s spoza zakresu wartości dopuszczalnych"},
      {6022, "Wartość atrybutu %s w obiekcie %s nie może być pusta"},
      {6023, "Obiekt wskazywany przez relację %s z obiektu %s nie istnieje"},
      {6024, "Niepoprawne oznaczenie statusu obiektu %s"},
      {6028, "Niepoprawny format kodu pocztowego w rekordzie %s"},
      {6033, "Nieprawidłowy znak w wartości atrybutu %s w obiekcie %s"},
  };
  return texts;
}

// `text` with the arguments substituted, in order, for its "%s" placeholders.
inline std::string Fill(const std::string& text, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next < args.size()) {
      out += args[next++];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// `text` quoted, with control characters escaped, for the messages of failed assertions.
inline std::string Shown(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32) {
      const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[byte / 16];
      out += hex[byte % 16];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The canonical line of an expected error: code@line/id, message type, the object's type name
// and the catalogue text filled with `args`.
inline std::string E(int code, int msgType, std::uint32_t line, std::uint32_t id,
                     const std::string& typeName, const std::vector<std::string>& args) {
  const auto found = ExpectedTexts().find(code);
  const std::string text = found == ExpectedTexts().end() ? "?" : found->second;
  return std::to_string(code) + "@" + std::to_string(line) + "/" + std::to_string(id) + " m" +
         std::to_string(msgType) + " " + typeName + ": " + Fill(text, args);
}

// The canonical line of an error the library made. A section other than 49 is shown, so that an
// expectation written without it fails.
inline std::string Render(const swde::smError& error) {
  std::string out = std::to_string(static_cast<int>(error.code)) + "@" +
                    std::to_string(error.line) + "/" + std::to_string(error.id) + " m" +
                    std::to_string(static_cast<int>(error.msgType)) + " " +
                    swde::Cp1250ToUtf8(error.typeName) + ": " + swde::Cp1250ToUtf8(error.message);
  if (error.section != swde::smError::rsObjects) {
    out += " [section " + std::to_string(static_cast<int>(error.section)) + "]";
  }
  return out;
}

// Every error of `object`, in report order.
inline std::vector<std::string> Rendered(const swde::smObject& object) {
  std::vector<std::string> out;
  for (const swde::smError* error : object.errors) {
    out.push_back(error == nullptr ? "<null>" : Render(*error));
  }
  return out;
}

// The codes alone, in report order.
inline std::vector<int> Codes(const swde::smObject& object) {
  std::vector<int> out;
  for (const swde::smError* error : object.errors) {
    out.push_back(error == nullptr ? 0 : static_cast<int>(error->code));
  }
  return out;
}

// A schema set (an annex or a file's own sections) built in a test.
class Schema {
 public:
  swde::Metadata* get() { return &set_; }
  // Defines a record type.
  swde::RecordType* Type(const std::string& name, const std::string& baseType = "") {
    return set_.typesSection->addType(name, baseType);
  }
  // Declares an attribute with its base type in the attribute section.
  void Declare(const std::string& name, const std::string& baseType) {
    set_.attribsSection->addAttribute(name, baseType);
  }

 private:
  swde::Metadata set_;
};

// Adds an attribute entry at (`line`, `id`).
inline swde::smAttribute* Attr(swde::smObject& object, const std::string& code,
                               const std::string& name, const std::string& value,
                               std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smAttribute* entry = object.addAttribute(code, name, value);
  entry->line = line;
  entry->id = id;
  return entry;
}

// Adds a relation entry pointing to an object of `destType`, at (`line`, `id`).
inline swde::smRelation* Rel(swde::smObject& object, const std::string& code,
                             const std::string& name, const std::string& destType,
                             std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smRelation* entry = object.addRelation(code, name);
  entry->destType = destType;
  entry->line = line;
  entry->id = id;
  return entry;
}

// An object whose per-type hook records every entry it is called with, as "name=value".
class HookProbe : public swde::smObject {
 public:
  using swde::smObject::smObject;
  void checkAttribValue(swde::smAttribute* attribute) override {
    hooked.push_back(attribute->name + "=" + attribute->value);
  }
  std::vector<std::string> hooked;
};

// Places the object at (`line`, `id`) with the status mark `status`.
inline void Place(swde::smObject& object, std::uint32_t line, std::uint32_t id,
                  const std::string& status = "00") {
  object.line = line;
  object.id = id;
  object.status = status;
}

}  // namespace swde_test

#endif  // SWDE_TESTS_CHECKS_CHECKTESTSUPPORT_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_TESTSUPPORT_HPP_
#define SWDE_TESTS_TESTSUPPORT_HPP_

// What the library's tests share: the message catalogue built once per program, schema sets and
// objects built in a few lines, and every error of an object rendered as one line,
// "6018@12/7 m0 G5DZE: <message in UTF-8>".

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Cp1250.hpp"

namespace swde_test {

using Lines = std::vector<std::string>;

// The catalogue is global state: built before the first test, emptied after the last.
class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { swde::Initialize(); }
  void TearDown() override { swde::Finalize(); }
};
inline ::testing::Environment* const kCatalogueEnvironment =
    ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);

// The catalogue text of `code` (in UTF-8) with `args` put, in order, in place of its "%s". The
// texts themselves are pinned by the tool's golden reports.
inline std::string Text(int code, const std::vector<std::string>& args = {}) {
  std::string text = swde::Cp1250ToUtf8(swde::catalogueText(code));
  for (std::size_t at = 0, next = 0; next < args.size(); ++next) {
    at = text.find("%s", at);
    if (at == std::string::npos) {
      break;
    }
    text.replace(at, 2, args[next]);
    at += args[next].size();
  }
  return text;
}

// "code@line/id mN type: " and the text: one error as one line.
inline std::string Line(int code, int msgType, std::uint32_t line, std::uint32_t id,
                        const std::string& typeName, const std::string& text) {
  return std::to_string(code) + "@" + std::to_string(line) + "/" + std::to_string(id) + " m" +
         std::to_string(msgType) + " " + typeName + ": " + text;
}

// The line of an expected error, its text filled with `args`.
inline std::string E(int code, int msgType, std::uint32_t line, std::uint32_t id,
                     const std::string& typeName, const std::vector<std::string>& args) {
  return Line(code, msgType, line, id, typeName, Text(code, args));
}

// The line of an error the library made; a section other than 49 is shown, so that it fails.
inline std::string Render(const swde::smError& e) {
  return Line(e.code, e.msgType, e.line, e.id, swde::Cp1250ToUtf8(e.typeName),
              swde::Cp1250ToUtf8(e.message)) +
         (e.section == swde::smError::rsObjects ? ""
                                                : " [section " + std::to_string(e.section) + "]");
}

inline Lines Rendered(const swde::smObject& object) {
  Lines out;
  for (const swde::smError* error : object.errors) {
    out.push_back(Render(*error));
  }
  return out;
}

// An object whose per-type hook records every entry it is called with, as "name=value".
class HookProbe : public swde::smObject {
 public:
  using swde::smObject::smObject;
  void checkAttribValue(swde::smAttribute* attribute) override {
    hooked.push_back(attribute->name + "=" + attribute->value);
  }
  Lines hooked;
};

// The two sets an object is checked against, fresh for each case: the annex and the file's own
// sections.
struct Sets {
  swde::Metadata annex;
  swde::Metadata file;

  swde::RecordType* AnnexType(const std::string& name, const std::string& baseType = "") {
    return annex.typesSection->addType(name, baseType);
  }
  swde::RecordType* FileType(const std::string& name, const std::string& baseType = "") {
    return file.typesSection->addType(name, baseType);
  }
  void Declare(const std::string& name, const std::string& baseType) {
    annex.attribsSection->addAttribute(name, baseType);
  }
  // Points the object at both sets, as checkMain would, for the checks called on their own.
  void Wire(swde::smObject& object) {
    object.annexMetadata = &annex;
    object.fileMetadata = &file;
  }
};

// Places the object at (`line`, `id`) with the status mark `status`.
inline void Place(swde::smObject& object, std::uint32_t line, std::uint32_t id,
                  const std::string& status = "00") {
  object.line = line;
  object.id = id;
  object.status = status;
}

inline swde::smAttribute* Attr(swde::smObject& object, const std::string& code,
                               const std::string& name, const std::string& value,
                               std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smAttribute* entry = object.addAttribute(code, name, value);
  entry->line = line;
  entry->id = id;
  return entry;
}

inline swde::smRelation* Rel(swde::smObject& object, const std::string& code,
                             const std::string& name, const std::string& destType,
                             std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smRelation* entry = object.addRelation(code, name);
  entry->destType = destType;
  entry->line = line;
  entry->id = id;
  return entry;
}

// `text` quoted and escaped, for failure messages.
inline std::string Shown(const std::string& text) {
  return ::testing::PrintToString(text);
}

}  // namespace swde_test

#endif  // SWDE_TESTS_TESTSUPPORT_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_CHECKS_DOCUMENTSUPPORT_HPP_
#define SWDE_TESTS_CHECKS_DOCUMENTSUPPORT_HPP_

// What the tables of the document checks share: an object written in one line, and findings
// rendered as one line each, "7011@12 G5DZE G5DTW/1 v=2025.02.30 e=dzień 01-28 k=key r=5".

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"

namespace swde_test {

// One object of a document: attributes on the lines after the object's, then relations.
struct Obj {
  const char* type;
  std::uint32_t line;
  std::uint32_t id;
  std::vector<std::pair<const char*, const char*>> attributes;
  std::vector<std::tuple<const char*, const char*, const char*>> relations;  // name, type, target
  const char* status = "00";
};

inline std::unique_ptr<swde::smObject> Build(const Obj& o) {
  auto object = std::make_unique<swde::smObject>(o.type);
  object->line = o.line;
  object->id = o.id;
  object->status = o.status;
  std::uint32_t line = o.line;
  std::uint32_t id = 0;
  for (const auto& [name, value] : o.attributes) {
    swde::AnsiString cp1250;
    EXPECT_TRUE(swde::Utf8ToCp1250(value, cp1250)) << value;
    swde::smAttribute* a = object->addAttribute(name, "", cp1250);
    a->line = ++line;
    a->id = ++id;
  }
  id = 0;
  for (const auto& [name, type, target] : o.relations) {
    swde::smRelation* r = object->addRelation(name, "");
    r->destType = type;
    r->destObject = target;
    r->line = ++line;
    r->id = ++id;
  }
  return object;
}

inline std::string Render(const std::vector<swde::smDocumentFinding>& findings) {
  std::string out;
  for (const swde::smDocumentFinding& f : findings) {
    out += (out.empty() ? "" : "; ") + std::to_string(f.code) + "@" + std::to_string(f.line) + " " +
           f.typeName;
    if (f.hasEntry) {
      out += " " + f.entry + "/" + std::to_string(f.entryId);
    }
    for (const auto& [tag, text] :
         {std::pair{" v=", &f.value}, {" e=", &f.expected}, {" k=", &f.key}}) {
      if (!text->empty()) {
        out += tag + swde::Cp1250ToUtf8(*text);
      }
    }
    if (f.relatedLine != 0) {
      out += " r=" + std::to_string(f.relatedLine);
    }
    EXPECT_EQ(f.msgType, swde::FindDocumentCode(f.code)->msgType) << f.code;
  }
  return out;
}

// The findings of a document of `objects` checked through addObject, on one thread.
inline std::vector<swde::smDocumentFinding> CheckObjects(const swde::Metadata* annex,
                                                         const swde::smDocumentOptions& options,
                                                         const std::vector<Obj>& objects) {
  swde::smDocumentChecks checks(annex, options);
  std::vector<swde::smDocumentFinding> findings;
  for (const Obj& o : objects) {
    checks.addObject(*Build(o), findings);
  }
  checks.finish(findings);
  return findings;
}

// The findings of a document of `objects`, rendered, checked twice: through addObject, and as a
// host with workers checks it (the objects in reverse order, the digests added in document
// order). Both must agree.
inline std::string CheckDocument(const swde::Metadata* annex,
                                 const swde::smDocumentOptions& options,
                                 const std::vector<Obj>& objects) {
  std::vector<std::unique_ptr<swde::smObject>> built;
  for (const Obj& o : objects) {
    built.push_back(Build(o));
  }
  swde::smDocumentChecks shared(annex, options);
  std::vector<std::vector<swde::smDocumentFinding>> perObject(built.size());
  std::vector<swde::smObjectDigest> digests(built.size());
  for (std::size_t i = built.size(); i-- > 0;) {
    digests[i] = shared.objectChecks().check(*built[i], perObject[i]);
  }
  std::vector<swde::smDocumentFinding> many;
  for (std::size_t i = 0; i < built.size(); ++i) {
    many.insert(many.end(), perObject[i].begin(), perObject[i].end());
    shared.add(digests[i], many);
  }
  shared.finish(many);
  const std::string rendered = Render(CheckObjects(annex, options, objects));
  EXPECT_EQ(Render(many), rendered);
  return rendered;
}

}  // namespace swde_test

#endif  // SWDE_TESTS_CHECKS_DOCUMENTSUPPORT_HPP_

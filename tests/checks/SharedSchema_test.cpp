// swde — semantic checks of SWDE cadastral exchange objects.
//
// One reference schema and one set of a document's own sections serve any number of threads
// checking at once: the checks only read them and move no walk cursor.
#include <thread>

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

const std::string kSource = SWDE_SOURCE_DIR;
const char* const kDocuments[] = {"examples/faults.xml", "examples/document-faults.xml",
                                  "examples/own-sections.xml"};

// A document: its objects, read once, and the sections read with them.
struct Document {
  explicit Document(const std::string& name)
      : path(kSource + "/" + name), reader(path, [this](std::unique_ptr<swde::smObject> object) {
          objects.push_back(std::move(object));
        }) {
    reader.readFile(path);
  }
  std::string path;
  std::vector<std::unique_ptr<swde::smObject>> objects;
  swde::xml::DocumentReader reader;
};

// Checks every object of `document` against `annex` and `sections` (a document's own) once
// more: the catalogue's errors of this run (a run appends to those of the runs before it), then
// the document checks' per-object findings.
std::string Findings(swde::Metadata& annex, swde::Metadata& sections, Document& document) {
  const swde::smObjectChecks values(&annex, swde::smDocumentOptions{"2026.06.15"});
  std::string out;
  for (const std::unique_ptr<swde::smObject>& object : document.objects) {
    const std::size_t before = object->errors.size();
    object->setExistMetadata(!sections.empty());
    object->checkMain(&annex, &sections);
    for (std::size_t i = before; i < object->errors.size(); ++i) {
      out += swde_test::Render(*object->errors[i]) + "\n";
    }
    std::vector<swde::smDocumentFinding> found;
    values.check(*object, found);
    out += swde_test::Render(found) + "\n";
  }
  return out;
}

// Threads that check their own objects against one reference schema and one set of a
// document's own sections find what one thread finds, every time.
TEST(SharedSchema, ThreadsFindWhatOneThreadFinds) {
  const std::unique_ptr<swde::Metadata> annex = swde::xml::loadSchema(kSource + "/data/annex.xml");
  Document shared(kDocuments[2]);  // its sections serve every thread
  const auto findings = [&](std::vector<std::unique_ptr<Document>>& documents) {
    std::string out;
    for (const std::unique_ptr<Document>& document : documents) {
      out += Findings(*annex,
                      document->reader.hasSchemaSections() ? shared.reader.fileMetadata()
                                                           : document->reader.fileMetadata(),
                      *document);
    }
    return out;
  };
  constexpr int kThreads = 4;
  std::vector<std::vector<std::unique_ptr<Document>>> documents(kThreads + 1);
  for (std::vector<std::unique_ptr<Document>>& own : documents) {
    for (const char* name : kDocuments) {
      own.push_back(std::make_unique<Document>(name));
    }
  }
  const std::string expected = findings(documents[kThreads]);
  ASSERT_NE(expected.find("6008@"), std::string::npos);  // the definitions in order
  ASSERT_NE(expected.find("6009@"), std::string::npos);
  ASSERT_NE(expected.find("6011@"), std::string::npos);
  ASSERT_NE(expected.find("6001@"), std::string::npos);  // the document's own sections
  ASSERT_NE(expected.find("7020@"), std::string::npos);  // the document checks
  ASSERT_EQ(findings(documents[kThreads]), expected);    // a run again gives the same

  std::vector<int> differing(kThreads, 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 300; ++round) {
        differing[t] += findings(documents[t]) != expected ? 1 : 0;
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(differing, std::vector<int>(kThreads, 0));
}

// A host's walk of a record type goes on where it stood, whatever was checked meanwhile.
TEST(SharedSchema, ChecksMoveNoCursor) {
  const std::unique_ptr<swde::Metadata> annex = swde::xml::loadSchema(kSource + "/data/annex.xml");
  Document document(kDocuments[0]);
  struct Walk {
    swde::RecordType* type;
    const swde::AttributeDef* secondAttribute;
    const swde::ReferenceDef* secondReference;
  };
  std::vector<Walk> walks;
  for (const auto& type : annex->typesSection->types()) {
    if (type->attributeCount() > 1 && type->referenceCount() > 1) {
      type->getFirstAttr();
      type->getFirstReference();
      walks.push_back({type.get(), type->getNextAttr(), type->getNextReference()});
      EXPECT_EQ(type->getFirstAttr(), type->attributes()[0]);
      EXPECT_EQ(type->getFirstReference(), type->references()[0]);
    }
  }
  ASSERT_GT(walks.size(), 5u);
  ASSERT_NE(Findings(*annex, document.reader.fileMetadata(), document), "");
  for (const Walk& walk : walks) {
    EXPECT_EQ(walk.type->getNextAttr(), walk.secondAttribute) << walk.type->name;
    EXPECT_EQ(walk.type->getNextReference(), walk.secondReference) << walk.type->name;
  }
}

}  // namespace

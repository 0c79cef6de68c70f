// swde — semantic checks of SWDE cadastral exchange objects.
#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "xml/XmlTestSupport.hpp"

namespace {

using swde::xml::DocumentReader;
using swde::xml::XmlError;

std::string manyObjects(int count) {
  std::string text = "<SWDE>\n";
  for (int i = 1; i <= count; ++i) {
    text += "<OBJECT name='G5DZE' status='00'><ATTRIBUTES><ATTR name='G5IDD' value_str='" +
            std::to_string(i) + "'/></ATTRIBUTES></OBJECT>\n";
  }
  return text + "</SWDE>\n";
}

void feedInPieces(DocumentReader& reader, const std::string& text, std::size_t piece) {
  for (std::size_t at = 0; at < text.size(); at += piece) {
    reader.feed(text.data() + at, std::min(piece, text.size() - at));
  }
}

// Objects are handed out as their end tags arrive, not at the end of the input.
TEST(XmlStreaming, ObjectsAreHandedOutOneByOne) {
  const int kCount = 20000;
  const std::string text = manyObjects(kCount);
  int seen = 0;
  std::uint64_t fedAtFirst = 0;
  DocumentReader* self = nullptr;
  DocumentReader reader("big.xml", [&](std::unique_ptr<swde::smObject> object) {
    ++seen;
    if (seen == 1) {
      fedAtFirst = self->bytesFed();
    }
    ASSERT_EQ(object->id, static_cast<std::uint32_t>(seen));
    ASSERT_EQ(object->line, static_cast<std::uint32_t>(seen + 1));
    ASSERT_EQ(object->getAttribute("G5IDD")->value, std::to_string(seen));
  });  // each object dies here, with the handler's parameter
  self = &reader;
  const std::string firstHalf = text.substr(0, text.size() / 2);
  std::uint64_t endTags = 0;
  for (auto at = firstHalf.find("</OBJECT>"); at != std::string::npos;
       at = firstHalf.find("</OBJECT>", at + 1)) {
    ++endTags;
  }
  feedInPieces(reader, firstHalf, 4096);
  EXPECT_EQ(reader.objectCount(), endTags);
  feedInPieces(reader, text.substr(text.size() / 2), 4096);
  reader.finish();
  EXPECT_EQ(seen, kCount);
  EXPECT_EQ(reader.objectCount(), static_cast<std::uint64_t>(kCount));
  EXPECT_EQ(reader.bytesFed(), text.size());
  EXPECT_LE(fedAtFirst, 4096u);
}

// The handler owns what it receives: kept objects outlive the reader intact.
TEST(XmlStreaming, HandedOutObjectsBelongToTheHandler) {
  std::vector<std::unique_ptr<swde::smObject>> kept;
  {
    DocumentReader reader("doc.xml",
                          [&](std::unique_ptr<swde::smObject> o) { kept.push_back(std::move(o)); });
    std::istringstream in(manyObjects(3));
    reader.readStream(in);
  }
  ASSERT_EQ(kept.size(), 3u);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(xmltest::dump(*kept[i]),
              "G5DZE #" + std::to_string(i + 1) + " @" + std::to_string(i + 2) +
                  " base= status=00 A:G5IDD/G5IDD=" + std::to_string(i + 1) + "#1@" +
                  std::to_string(i + 2));
  }
}

struct Stop {
  int at;
};

// The handler's exception leaves the reader as it was thrown, and stays the reader's error.
TEST(XmlStreaming, HandlerExceptionPropagatesUnchanged) {
  const std::string text = manyObjects(5);
  DocumentReader reader("doc.xml", [](std::unique_ptr<swde::smObject> object) {
    if (object->id == 3) {
      throw Stop{3};
    }
  });
  try {
    reader.feed(text.data(), text.size());
    ADD_FAILURE() << "no exception";
  } catch (const Stop& stop) {
    EXPECT_EQ(stop.at, 3);
  }
  EXPECT_EQ(reader.objectCount(), 3u);
  EXPECT_THROW(reader.feed("x", 1), Stop);
  EXPECT_THROW(reader.finish(), Stop);

  DocumentReader other("doc.xml", [](std::unique_ptr<swde::smObject>) {
    throw std::out_of_range("from the handler");
  });
  try {
    other.feed(text.data(), text.size());
    ADD_FAILURE() << "no exception";
  } catch (const XmlError&) {
    ADD_FAILURE() << "converted to XmlError";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "from the handler");
  }
}

TEST(XmlStreaming, MisuseIsALogicError) {
  DocumentReader* self = nullptr;
  DocumentReader reader("doc.xml", [&](std::unique_ptr<swde::smObject>) { self->feed("<", 1); });
  self = &reader;
  const std::string text = manyObjects(1);
  EXPECT_THROW(reader.feed(text.data(), text.size()), std::logic_error);

  DocumentReader done("doc.xml", nullptr);
  done.feed("<SWDE/>", 7);
  done.finish();
  EXPECT_THROW(done.feed(" ", 1), std::logic_error);
  EXPECT_THROW(done.finish(), std::logic_error);
}

// After an error nothing more happens: the empty element's end tag, which expat reports right
// after the failed start, must not close the object and hand it out.
TEST(XmlStreaming, ErrorsAreSticky) {
  int calls = 0;
  DocumentReader reader("doc.xml", [&](std::unique_ptr<swde::smObject>) { ++calls; });
  const std::string text = "<SWDE><OBJECT name='A'><FOO/></OBJECT><OBJECT name='B'/>";
  EXPECT_THROW(reader.feed(text.data(), text.size()), XmlError);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(reader.objectCount(), 0u);
  try {
    reader.feed("</SWDE>", 7);
    ADD_FAILURE() << "no error";
  } catch (const XmlError& e) {
    EXPECT_EQ(e.message(), "unexpected element <FOO> in <OBJECT>");
  }
}

TEST(XmlStreaming, UnreadableFilesAreErrorsWithoutPosition) {
  DocumentReader reader("doc.xml", nullptr);
  const std::string missing = SWDE_SOURCE_DIR "/tests/data/xml/no-such-file.xml";
  try {
    reader.readFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const XmlError& e) {
    EXPECT_EQ(std::string(e.what()), missing + ":0:0: cannot open: No such file or directory");
  }
  try {
    reader.readFile(SWDE_SOURCE_DIR "/tests/data/xml");
    ADD_FAILURE() << "no error";
  } catch (const XmlError& e) {
    EXPECT_EQ(e.message(), "cannot open: is a directory");
    EXPECT_EQ(e.line(), 0u);
  }
  EXPECT_THROW(swde::xml::loadSchema(missing), XmlError);
}

// Unfinished markup cannot grow without bound: the reader stops soon after the limit.
TEST(XmlStreaming, EndlessMarkupFailsEarly) {
  const swde::xml::ReaderLimits limits{1000, 100, 16};
  const char* starts[] = {"<SWDE>\n<OBJECT name='", "<SWDE>\n<!-- ", "<SWDE>\n<OBJECT "};
  for (const char* start : starts) {
    DocumentReader reader("doc.xml", nullptr, limits);
    reader.feed(start, std::strlen(start));
    const std::string filler(4096, 'a');
    try {
      for (int i = 0; i < 256; ++i) {
        reader.feed(filler.data(), filler.size());
      }
      ADD_FAILURE() << "no error, case: " << start;
    } catch (const XmlError& e) {
      EXPECT_EQ(std::string(e.what()), "doc.xml:2:1: markup longer than 67536 bytes without an end")
          << "case: " << start;
    }
    EXPECT_LT(reader.bytesFed(), 80000u) << "case: " << start;
  }
}

// Long values within the limit pass, whatever the pieces.
TEST(XmlStreaming, LongValuesWithinTheLimitPass) {
  const std::string value(std::size_t{1} << 20, 'v');
  const std::string text = "<SWDE><OBJECT name='A'><ATTRIBUTES><ATTR name='a' value_str='" + value +
                           "'/><ATTR name='b'><VALUE>" + value +
                           "</VALUE></ATTR></ATTRIBUTES></OBJECT></SWDE>";
  std::vector<std::unique_ptr<swde::smObject>> kept;
  DocumentReader reader("doc.xml",
                        [&](std::unique_ptr<swde::smObject> o) { kept.push_back(std::move(o)); });
  feedInPieces(reader, text, 4096);
  reader.finish();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0]->getAttribute("a")->value, value);
  EXPECT_EQ(kept[0]->getAttribute("b")->value, value);
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Regression tests of the reader against the worst documents there are: huge, deep, endless,
// self-expanding or pointing outside. Each must end in one XmlError with a plain message, soon
// after the offending bytes and without holding on to what it has read. The large inputs are
// made on the fly and fed in pieces, as swde-check feeds a file.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

namespace {

using swde::xml::DocumentReader;
using swde::xml::ReaderLimits;
using swde::xml::XmlError;

constexpr std::size_t kMiB = std::size_t{1} << 20;

// What feeding a document left behind.
struct Outcome {
  bool failed = false;
  std::string message;  // the plain message of the error
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  std::uint64_t bytesFed = 0;  // as the reader counted them when it stopped
  std::vector<std::unique_ptr<swde::smObject>> objects;
};

// Feeds the pieces that `next` makes (an empty piece ends the input), then finishes; stops at
// the first XmlError.
Outcome feedPieces(const std::function<std::string()>& next, const ReaderLimits& limits = {}) {
  Outcome outcome;
  DocumentReader reader(
      "hostile.xml",
      [&](std::unique_ptr<swde::smObject> object) { outcome.objects.push_back(std::move(object)); },
      limits);
  try {
    for (std::string piece = next(); !piece.empty(); piece = next()) {
      reader.feed(piece.data(), piece.size());
    }
    reader.finish();
  } catch (const XmlError& error) {
    outcome.failed = true;
    outcome.message = error.message();
    outcome.line = error.line();
    outcome.column = error.column();
  }
  outcome.bytesFed = reader.bytesFed();
  return outcome;
}

// A head, `count` pieces of `body`, then a tail: a generator for feedPieces.
std::function<std::string()> repeated(std::string head, std::string body, std::size_t count,
                                      std::string tail) {
  auto state = std::make_shared<std::size_t>(0);
  return [=]() -> std::string {
    const std::size_t step = (*state)++;
    if (step == 0) {
      return head;
    }
    if (step <= count) {
      return body;
    }
    return step == count + 1 ? tail : std::string();
  };
}

Outcome feedText(const std::string& text, const ReaderLimits& limits = {}) {
  return feedPieces(repeated(text, std::string(), 0, std::string()), limits);
}

std::string readData(const std::string& name) {
  std::ifstream in(std::string(SWDE_REGRESSION_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const char kHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char kAddressStart[] =
    "<SWDE><OBJECT name=\"G5ADR\" base_type=\"RD\" status=\"00\"><ATTRIBUTES>";

TEST(HostileNesting, HundredThousandUnknownElementsStopAtTheFirst) {
  std::string text = std::string(kHead) + "<SWDE>";
  for (int i = 0; i < 100000; ++i) {
    text += "<x>";
  }
  const Outcome outcome = feedText(text);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "unexpected element <x> in <SWDE>");
  EXPECT_EQ(outcome.line, 2u);
  EXPECT_EQ(outcome.column, 7u);
  // The first 64 KiB slice already held the fault; nothing after it was parsed.
  EXPECT_LE(outcome.bytesFed, std::uint64_t{64} * 1024);
}

TEST(HostileNesting, NestedRootElementsStopAtTheSecond) {
  std::string text;
  for (int i = 0; i < 100000; ++i) {
    text += "<SWDE>";
  }
  const Outcome outcome = feedText(text);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "unexpected element <SWDE> in <SWDE>");
  EXPECT_EQ(outcome.column, 7u);
}

TEST(HostileNesting, DepthLimitStopsAdmittedElements) {
  ReaderLimits limits;
  limits.maxDepth = 4;
  const Outcome outcome = feedText(
      "<SWDE><TYPES_SECT><OBJECT name=\"T\" base_type=\"RD\"><ATTRIBUTES>\n<ATTR name=\"a\"/>",
      limits);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "elements nested deeper than 4 levels");
  EXPECT_EQ(outcome.line, 2u);
  EXPECT_EQ(outcome.column, 1u);
}

TEST(HostileSize, HundredMegabyteAttributeValueFailsWithinAFewMegabytes) {
  const Outcome outcome =
      feedPieces(repeated(std::string(kHead) + kAddressStart + "<ATTR name=\"G5MSC\" value_str=\"",
                          std::string(kMiB, 'A'), 100, "\"/></SWDE>"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "markup longer than 2162688 bytes without an end");
  // Where the unfinished tag starts.
  EXPECT_EQ(outcome.line, 2u);
  EXPECT_EQ(outcome.column, 67u);
  EXPECT_LT(outcome.bytesFed, 4 * kMiB);
  EXPECT_TRUE(outcome.objects.empty());
}

TEST(HostileSize, HundredMegabyteValueTextFailsAtTheValueLimit) {
  const Outcome outcome =
      feedPieces(repeated(std::string(kHead) + kAddressStart + "<ATTR name=\"G5MSC\"><VALUE>",
                          std::string(kMiB, 'A'), 100, "</VALUE>"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "value longer than 1048576 bytes");
  EXPECT_EQ(outcome.line, 2u);
  EXPECT_EQ(outcome.column, 93u);  // where the text starts
  EXPECT_LT(outcome.bytesFed, 3 * kMiB);
}

TEST(HostileSize, EndlessCommentFailsWithinAFewMegabytes) {
  const Outcome outcome = feedPieces(
      repeated(std::string(kHead) + "<SWDE><!--", std::string(kMiB, '.'), 100, "--></SWDE>"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "markup longer than 2162688 bytes without an end");
  EXPECT_LT(outcome.bytesFed, 4 * kMiB);
}

TEST(HostileSize, TwoMillionXmlAttributesOnOneTagFailAsLongMarkup) {
  std::string attributes;
  for (int i = 0; i < 20000; ++i) {
    attributes += " a" + std::to_string(i) + "=\"x\"";
  }
  // 100 pieces of 20000 attributes each.
  const Outcome outcome = feedPieces(
      repeated(std::string(kHead) + "<SWDE><OBJECT name=\"G5ADR\"", attributes, 100, "/></SWDE>"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "markup longer than 2162688 bytes without an end");
  EXPECT_LT(outcome.bytesFed, 4 * kMiB);
}

TEST(HostileSize, TwoMillionEntriesStopAtTheEntryLimit) {
  // 2,000,000 ATTR elements in 1000 pieces of 2000.
  std::string entries;
  for (int i = 0; i < 2000; ++i) {
    entries += "<ATTR name=\"A\" value_str=\"x\"/>\n";
  }
  const Outcome outcome = feedPieces(repeated(std::string(kHead) + kAddressStart + "\n", entries,
                                              1000, "</ATTRIBUTES></OBJECT></SWDE>"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "more than 100000 attributes and relations in one <OBJECT>");
  EXPECT_EQ(outcome.line, 100003u);  // the 100001st entry
  EXPECT_TRUE(outcome.objects.empty());
}

// Schema sections had no limit, so 93 MB of record type definitions held 2.1 GB, and
// swde-check's workers each copied them. They are now bounded like everything else.
TEST(HostileSize, MillionRecordTypesStopAtALimit) {
  std::string types;
  for (int i = 0; i < 1000; ++i) {
    types += "<OBJECT name=\"T" + std::to_string(i) +
             "\" base_type=\"RD\"><ATTRIBUTES><ATTR name=\"G5MSC\"/></ATTRIBUTES></OBJECT>\n";
  }
  // The same thousand names a thousand times: the reader keeps every definition it reads.
  const Outcome outcome = feedPieces(
      repeated(std::string(kHead) + "<SWDE><TYPES_SECT>\n", types, 1000, "</TYPES_SECT></SWDE>"));
  ASSERT_TRUE(outcome.failed) << "a million record type definitions were all kept";
  EXPECT_LT(outcome.bytesFed, 32 * kMiB);
  EXPECT_EQ(outcome.message,
            "more than 200000 declarations, definitions and values in the schema sections");
}

TEST(HostileEntities, BillionLaughsInATextValueStopsAtTheValueLimit) {
  const Outcome outcome = feedText(readData("billion-laughs.xml"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "value longer than 1048576 bytes");
  EXPECT_EQ(outcome.line, 14u);
  EXPECT_TRUE(outcome.objects.empty());
}

TEST(HostileEntities, BillionLaughsInAnAttributeIsStoppedByExpat) {
  const Outcome outcome = feedText(readData("billion-laughs-in-attribute.xml"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message,
            "limit on input amplification factor (from DTD and entities) breached");
  EXPECT_EQ(outcome.line, 14u);
  EXPECT_TRUE(outcome.objects.empty());
}

TEST(HostileEntities, ExternalEntityInAnAttributeIsAnError) {
  std::string text = readData("external-entity.xml");
  const std::string inValue = "<ATTR name=\"G5MSC\"><VALUE>&x;</VALUE></ATTR>";
  text.replace(text.find(inValue), inValue.size(), "<ATTR name=\"G5MSC\" value_str=\"&x;\"/>");
  const Outcome outcome = feedText(text);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "reference to external entity in attribute");
  EXPECT_EQ(outcome.line, 3u);
}

TEST(HostileEntities, ExternalEntityIsNeverRead) {
  // The entity names /etc/passwd. Whatever the reader makes of the reference, the file's text
  // must not reach a value.
  const Outcome outcome = feedText(readData("external-entity.xml"));
  for (const auto& object : outcome.objects) {
    for (const auto& [name, attribute] : object->attributes) {
      EXPECT_EQ(attribute->value.find("root:"), std::string::npos) << name;
    }
  }
  EXPECT_TRUE(outcome.failed || outcome.objects.size() == 1u);
}

// A reference to an external entity in text (or to an entity left undeclared under an external
// DTD) used to be dropped without a word, so the value silently lost that part.
TEST(HostileEntities, ExternalEntityInTextIsAnErrorNotDropped) {
  const Outcome outcome = feedText(readData("external-entity.xml"));
  ASSERT_TRUE(outcome.failed) << "the reference was dropped and the value left empty";
  EXPECT_NE(outcome.message.find("entity"), std::string::npos) << outcome.message;
  EXPECT_EQ(outcome.line, 3u);
}

TEST(HostileBytes, NulByteInAValueIsAnError) {
  const Outcome outcome = feedText(readData("nul-byte.xml"));
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "not well-formed (invalid token)");
  EXPECT_EQ(outcome.line, 2u);
  EXPECT_EQ(outcome.column, 98u);
}

TEST(HostileBytes, BinaryGarbageIsAnErrorAtItsFirstCharacter) {
  std::string garbage;
  std::uint32_t state = 12345;
  for (int i = 0; i < 65536; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(state >> 24));
  }
  garbage[0] = '\x9A';  // no character can start a document
  const Outcome outcome = feedText(garbage);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "not well-formed (invalid token)");
  EXPECT_EQ(outcome.line, 1u);
}

TEST(HostileBytes, EmptyInputIsNoElement) {
  const Outcome outcome = feedText(std::string());
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "no element found");
  EXPECT_EQ(outcome.line, 1u);
  EXPECT_EQ(outcome.column, 1u);
}

TEST(HostileEncoding, Utf16WithByteOrderMarkIsRead) {
  const Outcome outcome = feedText(readData("utf16le-bom.xml"));
  ASSERT_FALSE(outcome.failed) << outcome.message;
  ASSERT_EQ(outcome.objects.size(), 1u);
  const swde::smAttribute* city = outcome.objects[0]->getAttribute("G5MSC");
  ASSERT_NE(city, nullptr);
  EXPECT_EQ(city->value,
            "\xA3\xF3"
            "d\x9F");  // "Łódź" in CP1250
  EXPECT_EQ(outcome.objects[0]->line, 3u);
}

TEST(HostileEncoding, Utf16ByteOrderMarkUnderAUtf8DeclarationIsAnError) {
  std::string text = readData("utf16le-bom.xml");
  // "UTF-16" -> "UTF-8\0" is not possible in place; rebuild the declaration in UTF-16LE.
  const std::string declared = std::string(
      "U\0T\0F\0-\0"
      "1\0"
      "6\0",
      12);
  const std::size_t at = text.find(declared);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, declared.size(),
               std::string("U\0T\0F\0-\0"
                           "8\0",
                           10));
  const Outcome outcome = feedText(text);
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "encoding specified in XML declaration is incorrect");
  EXPECT_EQ(outcome.line, 1u);
}

TEST(HostileEncoding, UndeclarableEncodingNamesTheKnownOnes) {
  const Outcome outcome = feedText("<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<SWDE/>\n");
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message,
            "unknown encoding (known: UTF-8, UTF-16, ISO-8859-1, US-ASCII, windows-1250)");
}

TEST(HostileEncoding, Utf8BytesUnderAWindows1250DeclarationFailOnAnUndefinedByte) {
  // "Ł" is C5 81 in UTF-8, and 0x81 is one of the five bytes windows-1250 leaves undefined.
  const Outcome outcome = feedText(
      "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<SWDE schema_profile=\"\xC5\x81\"/>");
  ASSERT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, "not well-formed (invalid token)");
  EXPECT_EQ(outcome.line, 2u);
}

TEST(HostileFiles, DirectoryIsNotOpened) {
  DocumentReader reader("dir", nullptr);
  try {
    reader.readFile(SWDE_REGRESSION_DATA_DIR);
    FAIL() << "a directory was read as a document";
  } catch (const XmlError& error) {
    EXPECT_EQ(error.message(), "cannot open: is a directory");
    EXPECT_EQ(error.line(), 0u);
    EXPECT_EQ(error.file(), SWDE_REGRESSION_DATA_DIR);
  }
}

TEST(HostileFiles, MissingFileNamesTheReason) {
  DocumentReader reader("missing", nullptr);
  try {
    reader.readFile(std::string(SWDE_REGRESSION_DATA_DIR) + "/no-such-file.xml");
    FAIL() << "a missing file was read";
  } catch (const XmlError& error) {
    EXPECT_EQ(error.message(), "cannot open: No such file or directory");
    EXPECT_EQ(error.line(), 0u);
  }
}

TEST(HostileFiles, StreamThatFailsToReadIsAReadError) {
  std::istringstream in("<SWDE>");
  in.setstate(std::ios::badbit);
  DocumentReader reader("bad-stream", nullptr);
  try {
    reader.readStream(in);
    FAIL() << "a failed stream was read as a document";
  } catch (const XmlError& error) {
    EXPECT_EQ(error.message(), "read error");
    EXPECT_EQ(error.line(), 0u);
  }
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "xml/XmlTestSupport.hpp"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian UTF-16 with a byte order mark.
std::string utf16le(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

// A real windows-1250 file and its UTF-8 twin give the same CP1250 bytes, whole and in pieces.
TEST(XmlEncoding, Cp1250FileGivesTheBytesOfItsUtf8Twin) {
  const std::string dir = SWDE_SOURCE_DIR "/tests/data/xml/";
  const std::string cp1250 = slurp(dir + "document-cp1250.xml");
  const std::string utf8 = slurp(dir + "document-utf8.xml");
  ASSERT_NE(cp1250.find("\xA3\xF3"
                        "d\x9F"),
            std::string::npos)
      << "not a CP1250 file";
  ASSERT_NE(utf8.find("Łódź"), std::string::npos) << "not a UTF-8 file";
  const xmltest::Result expected = xmltest::read(utf8);
  ASSERT_EQ(expected.objects.size(), 1u);
  EXPECT_EQ(expected.objects[0]->getAttribute("G5MSC")->value,
            "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
  EXPECT_EQ(expected.objects[0]->getAttribute("G5ULC")->value,
            "ulica \x8Cwi\xEAtokrzyska \x84\x8C\x94 \x80 \xA7");
  EXPECT_EQ(expected.objects[0]->getRelation("G5RDZE")->destObject, "dzia\xB3ka 1/2");
  EXPECT_EQ(expected.root,
            "2024-05-06|1.0|Gmina \xA3\xF3"
            "d\x9F");
  EXPECT_NE(expected.metadata.find("(\xA3\xF3"
                                   "d\x9F|Krak\xF3w\x96Nowa Huta|)"),
            std::string::npos)
      << expected.metadata;
  for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
    const xmltest::Result got = xmltest::read(cp1250, chunk);
    EXPECT_EQ(got.objectsDump(), expected.objectsDump()) << "chunk " << chunk;
    EXPECT_EQ(got.metadata, expected.metadata) << "chunk " << chunk;
    EXPECT_EQ(got.root, expected.root) << "chunk " << chunk;
  }
  swde::xml::DocumentReader reader("unused", nullptr);
  reader.readFile(dir + "document-cp1250.xml");
  EXPECT_EQ(reader.objectCount(), 1u);
  EXPECT_EQ(reader.schemaProfile(),
            "Gmina \xA3\xF3"
            "d\x9F");
}

// The encodings that expat knows, and the windows-1250 labels in any case.
TEST(XmlEncoding, EveryAcceptedEncodingGivesCp1250) {
  struct Row {
    std::string text;
    const char* typeName;
  };
  const Row rows[] = {
      {"<?xml version='1.0' encoding='cp1250'?><SWDE><OBJECT name='\xA3\x9F'/></SWDE>", "\xA3\x9F"},
      {"<?xml version='1.0' encoding='Windows-1250'?><SWDE><OBJECT name='\x80'/></SWDE>", "\x80"},
      {"<?xml version='1.0' encoding='ISO-8859-1'?><SWDE><OBJECT name='\xE9\xD3'/></SWDE>",
       "\xE9\xD3"},
      {"<?xml version='1.0' encoding='US-ASCII'?><SWDE><OBJECT name='G5DZE'/></SWDE>", "G5DZE"},
      {"\xEF\xBB\xBF<SWDE><OBJECT name='\xC5\x82'/></SWDE>", "\xB3"},  // UTF-8 with a BOM
      {utf16le(u"<SWDE><OBJECT name='\u0142\u20AC'/></SWDE>"), "\xB3\x80"},
  };
  for (const Row& row : rows) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      const xmltest::Result result = xmltest::read(row.text, chunk);
      ASSERT_EQ(result.objects.size(), 1u) << "chunk " << chunk << ", case: " << row.text;
      EXPECT_EQ(result.objects[0]->typeName, row.typeName)
          << "chunk " << chunk << ", case: " << row.text;
    }
  }
}

// A character outside CP1250 is an error with its place, whatever the input encoding.
TEST(XmlEncoding, CharacterOutsideCp1250IsAnError) {
  struct Row {
    std::string text;
    std::uint32_t line;
    std::uint32_t column;
    const char* message;
  };
  const Row rows[] = {
      {"<?xml version='1.0' encoding='ISO-8859-1'?>\n<SWDE>\n<OBJECT name='\xF1'/></SWDE>", 3, 1,
       "character U+00F1 in attribute 'name'"},
      {utf16le(u"<SWDE><OBJECT name='A'><ATTRIBUTES><ATTR name='a'>\n<VALUE>\u0142\u4E2D"), 2, 9,
       "character U+4E2D cannot be represented"},
  };
  for (const Row& row : rows) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      try {
        xmltest::read(row.text, chunk);
        ADD_FAILURE() << "no error, chunk " << chunk << ", case: " << row.text;
      } catch (const swde::xml::XmlError& e) {
        EXPECT_EQ(e.line(), row.line) << e.what() << ", chunk " << chunk;
        EXPECT_EQ(e.column(), row.column) << e.what() << ", chunk " << chunk;
        EXPECT_NE(e.message().find(row.message), std::string::npos) << e.what();
      }
    }
  }
}

}  // namespace

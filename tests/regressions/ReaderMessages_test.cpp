// swde — semantic checks of SWDE cadastral exchange objects.
//
// Regression tests of reader messages that the coverage run found untested: the code point of a
// character that windows-1250 cannot hold, for each length of its UTF-8 form; a long offending
// text cut short in a message without splitting a character; the position of stray text after
// line breaks; and a parameter entity that only an external DTD could declare.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

namespace {

using swde::xml::DocumentReader;
using swde::xml::XmlError;

struct Failure {
  std::string message;
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

// Reads `text` whole; returns the error it raised, or an empty message when it raised none.
Failure readExpectingError(const std::string& text, std::size_t* objects = nullptr) {
  std::size_t count = 0;
  DocumentReader reader("doc.xml", [&count](std::unique_ptr<swde::smObject>) { ++count; });
  Failure failure;
  try {
    reader.feed(text.data(), text.size());
    reader.finish();
  } catch (const XmlError& error) {
    failure.message = error.message();
    failure.line = error.line();
    failure.column = error.column();
  }
  if (objects != nullptr) {
    *objects = count;
  }
  return failure;
}

std::string addressWith(const std::string& value) {
  return "<SWDE>\n<OBJECT name=\"G5ADR\"><ATTRIBUTES><ATTR name=\"G5MSC\" value_str=\"" + value +
         "\"/></ATTRIBUTES></OBJECT></SWDE>";
}

struct Unrepresentable {
  const char* utf8;
  const char* codePoint;
};

TEST(ReaderMessages, CharacterOutsideWindows1250NamesItsCodePoint) {
  const Unrepresentable rows[] = {
      {"\xC4\x80", "U+0100"},           // two bytes: Latin capital A with macron
      {"\xE4\xB8\xAD", "U+4E2D"},       // three bytes
      {"\xF0\x9F\x98\x80", "U+1F600"},  // four bytes
  };
  for (const Unrepresentable& row : rows) {
    const Failure failure = readExpectingError(addressWith(std::string("a") + row.utf8));
    EXPECT_EQ(failure.message, std::string("character ") + row.codePoint +
                                   " in attribute 'value_str' cannot be represented in "
                                   "windows-1250")
        << row.codePoint;
    EXPECT_EQ(failure.line, 2u) << row.codePoint;
    EXPECT_EQ(failure.column, 34u) << row.codePoint;  // the ATTR start tag
  }
}

TEST(ReaderMessages, CharacterOutsideWindows1250InTextIsPlacedOnIt) {
  const Failure failure = readExpectingError(
      "<SWDE><OBJECT name=\"G5ADR\"><ATTRIBUTES><ATTR name=\"G5MSC\"><VALUE>ab\xC4\x80"
      "</VALUE></ATTR></ATTRIBUTES></OBJECT></SWDE>");
  EXPECT_EQ(failure.message, "character U+0100 cannot be represented in windows-1250");
  EXPECT_EQ(failure.line, 1u);
  EXPECT_EQ(failure.column, 68u);  // "a" is column 66
}

TEST(ReaderMessages, LongInvalidIdIsCutWithoutSplittingACharacter) {
  // 39 digits, then "ł" (two bytes across the 40-byte cut), then more.
  const std::string id = std::string(39, '7') + "\xC5\x82" + std::string(20, '8');
  const Failure failure =
      readExpectingError("<SWDE>\n<OBJECT name=\"G5ADR\" id=\"" + id + "\"/></SWDE>");
  EXPECT_EQ(failure.message,
            "invalid id \"" + std::string(39, '7') + "...\": expected an unsigned 32-bit integer");
  EXPECT_EQ(failure.line, 2u);
  EXPECT_EQ(failure.column, 1u);
}

TEST(ReaderMessages, LongInvalidIdOfAsciiIsCutAtFortyBytes) {
  const std::string id = std::string(40, '1') + "x";
  const Failure failure =
      readExpectingError("<SWDE><OBJECT name=\"G5ADR\" id=\"" + id + "\"/></SWDE>");
  EXPECT_EQ(failure.message,
            "invalid id \"" + std::string(40, '1') + "...\": expected an unsigned 32-bit integer");
}

TEST(ReaderMessages, StrayTextAfterLineBreaksIsPlacedOnItsFirstCharacter) {
  const Failure failure = readExpectingError("<SWDE>\n\n   text</SWDE>");
  EXPECT_EQ(failure.message, "unexpected text in <SWDE>");
  EXPECT_EQ(failure.line, 3u);
  EXPECT_EQ(failure.column, 4u);
}

TEST(ReaderEntities, UndeclaredParameterEntityUnderAnExternalDtdIsIgnored) {
  // The external subset is never read, and parameter entities are not expanded: a reference
  // to one that only the external subset could declare leaves the document as it is.
  std::size_t objects = 0;
  const Failure failure = readExpectingError(
      "<?xml version=\"1.0\"?>\n<!DOCTYPE SWDE SYSTEM \"swde.dtd\" [ %declaredElsewhere; ]>\n"
      "<SWDE><OBJECT name=\"G5ADR\"/></SWDE>",
      &objects);
  EXPECT_EQ(failure.message, "");
  EXPECT_EQ(objects, 1u);
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// What the reader refuses that it once accepted: DTD internal subsets, schemas that define a
// thing twice, objects beyond the byte limit; and errors without a position say so.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "swde/xml/Reader.hpp"

namespace {

using swde::xml::XmlError;

std::string errorOfDocument(const std::string& text, const swde::xml::ReaderLimits& limits = {}) {
  swde::xml::DocumentReader reader("doc.xml", nullptr, limits);
  try {
    reader.feed(text.data(), text.size());
    reader.finish();
  } catch (const XmlError& e) {
    return e.what();
  }
  return "";
}

std::string errorOfSchema(const std::string& text) {
  try {
    swde::xml::parseSchema(text, "annex.xml");
  } catch (const XmlError& e) {
    return e.what();
  }
  return "";
}

TEST(ReaderRefusals, DtdInternalSubset) {
  EXPECT_EQ(errorOfDocument("<!DOCTYPE SWDE>\n<SWDE/>"), "");
  EXPECT_EQ(errorOfDocument("<!DOCTYPE SWDE SYSTEM 'swde.dtd'><SWDE/>"), "");
  EXPECT_EQ(errorOfDocument("\n<!DOCTYPE SWDE [\n<!ATTLIST ATTR name CDATA 'G5X'>]><SWDE/>"),
            "doc.xml:2:16: a DTD internal subset is not allowed");
  EXPECT_EQ(errorOfDocument("<!DOCTYPE SWDE SYSTEM 'a' [<!ENTITY e 'x'>]><SWDE>&e;</SWDE>"),
            "doc.xml:1:27: a DTD internal subset is not allowed");
}

TEST(ReaderRefusals, SchemaDefinitionsRepeated) {
  const std::string head = "<SWDE><ATTRIBS_SECT><ATTR name='G5A' base_type='TX'/>\n";
  const std::string type = "</ATTRIBS_SECT><TYPES_SECT><OBJECT name='G5T' base_type='RD'>\n";
  const struct {
    std::string text;
    std::string error;
  } rows[] = {
      {head + "<ATTR name='G5A' base_type='NO'/>",
       "annex.xml:2:1: attribute \"G5A\" declared twice (first on line 1)"},
      {head + type + "</OBJECT>\n<OBJECT name='G5T' base_type='RO'>",
       "annex.xml:4:1: record type \"G5T\" defined twice (first on line 2)"},
      {head + type + "<ATTRIBUTES><ATTR name='G5A'/>\n<ATTR name='G5A' field_name='X'/>",
       "annex.xml:4:1: attribute \"G5A\" defined twice in record type \"G5T\" (first on line 3)"},
      {head + type + "<ATTRIBUTES><ATTR name='G5A'/>\n<ATTR name='G5B' field_name='G5A'/>",
       "annex.xml:4:1: attribute code \"G5A\" defined twice in record type \"G5T\" (first on line "
       "3)"},
      {head + type + "<RELATIONS><RELAT name='G5R'/>\n<RELAT name='G5R' field_name='S'/>",
       "annex.xml:4:1: relation \"G5R\" defined twice in record type \"G5T\" (first on line 3)"},
      {head + type +
           "<RELATIONS><RELAT name='G5R' field_name='c'/>\n<RELAT name='G5S' field_name='c'/>",
       "annex.xml:4:1: relation code \"c\" defined twice in record type \"G5T\" (first on line 3)"},
      // The same names in two record types, or an attribute and a relation: no repeat.
      {head + type + "<ATTRIBUTES><ATTR name='G5A'/></ATTRIBUTES><RELATIONS><RELAT name='G5A'/>" +
           "</RELATIONS></OBJECT><OBJECT name='G5U' base_type='RD'><ATTRIBUTES><ATTR name='G5A'/>" +
           "</ATTRIBUTES></OBJECT></TYPES_SECT></SWDE>",
       ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(
        errorOfSchema(row.text + (row.error.empty() ? "" : "</SWDE>")).substr(0, row.error.size()),
        row.error)
        << row.text;
  }
  // A document's own sections may repeat (its lookups find the first).
  EXPECT_EQ(errorOfDocument(head + "<ATTR name='G5A' base_type='NO'/></ATTRIBS_SECT></SWDE>"), "");
}

TEST(ReaderRefusals, ObjectBeyondTheByteLimit) {
  swde::xml::ReaderLimits limits;
  limits.maxObjectBytes = 70;
  const std::string object = "<OBJECT name='A'><ATTRIBUTES><ATTR name='a'/>\n";
  EXPECT_EQ(errorOfDocument("<SWDE>" + object + "</ATTRIBUTES></OBJECT></SWDE>", limits), "");
  EXPECT_EQ(errorOfDocument("<SWDE>\n" + object + "<ATTR name='b'/></ATTRIBUTES></OBJECT></SWDE>",
                            limits),
            "doc.xml:3:17: object longer than 70 bytes (its <OBJECT> starts on line 2)");
}

TEST(ReaderRefusals, ErrorsWithoutAPositionSaySo) {
  EXPECT_STREQ(XmlError("f.xml", 0, 0, "read error").what(), "f.xml: read error");
  try {
    swde::xml::openInput("/");
    ADD_FAILURE() << "a directory opened";
  } catch (const XmlError& e) {
    EXPECT_STREQ(e.what(), "/: cannot open: is a directory");
  }
}

}  // namespace

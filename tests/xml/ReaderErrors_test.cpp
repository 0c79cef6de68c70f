// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "xml/XmlTestSupport.hpp"

namespace {

using swde::xml::ReaderLimits;
using swde::xml::XmlError;

struct BadInput {
  const char* text;
  std::uint32_t line;
  std::uint32_t column;  // 0: not checked
  const char* message;   // a part of the plain message
  ReaderLimits limits = {};
};

const ReaderLimits kValue4{4, 100, 16};
const ReaderLimits kEntries2{100, 2, 16};
const ReaderLimits kDepth3{100, 100, 3};
const ReaderLimits kDepth0{100, 100, 0};

// Most rows put the offending tag at the start of line 2, after one blank: 2:2.
#define OBJ "<SWDE><OBJECT name='A'>"
#define TYPE "<SWDE><TYPES_SECT><OBJECT name='T' base_type='RO'>"
const BadInput kBadInputs[] = {
    // Not well-formed: expat's message and position.
    {"", 1, 1, "no element found"},
    {"<SWDE><OBJECT name='A'></SWDE>", 1, 26, "mismatched tag"},
    {"<SWDE>\n<OBJECT name='A'>", 2, 0, "no element found"},
    {"<SWDE>\n<OBJECT name='A", 2, 1, "unclosed token"},
    {"<SWDE/>\n<SWDE/>", 2, 1, "junk after document element"},
    // Entities that are not in the document are never read, and never silently dropped.
    {"<!DOCTYPE SWDE [<!ENTITY x SYSTEM 'file:///etc/hostname'>]>\n<SWDE>\n &x;</SWDE>", 3, 2,
     "error in processing external entity reference"},
    {"<!DOCTYPE SWDE SYSTEM 'none.dtd'>\n<SWDE>\n &y;</SWDE>", 3, 2,
     "reference to the entity 'y', which is external or not declared"},
    {"<SWDE>\n <OBJECT name='\xC3'/></SWDE>", 2, 0, "not well-formed"},
    {"<?xml version='1.0' encoding='windows-1250'?>\n<SWDE>\n \x81</SWDE>", 3, 2,
     "not well-formed"},
    {"<?xml version='1.0' encoding='KOI8-R'?>\n<SWDE/>", 1, 0, "unknown encoding"},
    // Elements the format does not admit where they stand.
    {"<?xml version='1.0'?>\n<SWDX/>", 2, 1, "root element must be <SWDE>, not <SWDX>"},
    {"<SWDE>\n <FOO/></SWDE>", 2, 2, "unexpected element <FOO> in <SWDE>"},
    {"<SWDE>\n <object name='A'/></SWDE>", 2, 2, "unexpected element <object> in <SWDE>"},
    {"<SWDE><ATTRIBS_SECT>\n <OBJECT name='A'/>", 2, 2,
     "unexpected element <OBJECT> in <ATTRIBS_SECT>"},
    {"<SWDE><ATTRIBS_SECT><ATTR name='a' base_type='TX'>\n <VALUE/>", 2, 2,
     "unexpected element <VALUE> in <ATTR>"},
    {"<SWDE><TYPES_SECT>\n <ATTR name='a'/>", 2, 2, "unexpected element <ATTR> in <TYPES_SECT>"},
    {TYPE "\n <ATTR name='a'/>", 2, 2, "unexpected element <ATTR> in <OBJECT>"},
    {TYPE "<ATTRIBUTES>\n <RELAT name='r'/>", 2, 2, "unexpected element <RELAT> in <ATTRIBUTES>"},
    {TYPE "<ATTRIBUTES><ATTR name='a'>\n <DEST_OBJECT element='X'/>", 2, 2,
     "unexpected element <DEST_OBJECT> in <ATTR>"},
    {TYPE "<ATTRIBUTES><ATTR name='a'><VALUE>\n <VALUE/>", 2, 2,
     "unexpected element <VALUE> in <VALUE>"},
    {TYPE "<RELATIONS>\n <ATTR name='a'/>", 2, 2, "unexpected element <ATTR> in <RELATIONS>"},
    {TYPE "<RELATIONS><RELAT name='r'>\n <VALUE/>", 2, 2, "unexpected element <VALUE> in <RELAT>"},
    {TYPE "<RELATIONS><RELAT name='r'><DEST_OBJECT element='X'>\n <X/>", 2, 2,
     "unexpected element <X> in <DEST_OBJECT>"},
    {OBJ "\n <ATTR name='a'/>", 2, 2, "unexpected element <ATTR> in <OBJECT>"},
    {OBJ "<ATTRIBUTES>\n <RELAT name='r'/>", 2, 2, "unexpected element <RELAT> in <ATTRIBUTES>"},
    {OBJ "<ATTRIBUTES><ATTR name='a'>\n <DEST_OBJECT element='X'/>", 2, 2,
     "unexpected element <DEST_OBJECT> in <ATTR>"},
    {OBJ "<ATTRIBUTES><ATTR name='a'><VALUE>\n <b/>", 2, 2, "unexpected element <b> in <VALUE>"},
    {OBJ "<RELATIONS>\n <VALUE/>", 2, 2, "unexpected element <VALUE> in <RELATIONS>"},
    {OBJ "<RELATIONS><RELAT name='r'>\n <VALUE/>", 2, 2, "unexpected element <VALUE> in <RELAT>"},
    {OBJ "<RELATIONS><RELAT name='r'><DEST_OBJECT element='X'>\n <DEST_OBJECT element='Y'/>", 2, 2,
     "unexpected element <DEST_OBJECT> in <DEST_OBJECT>"},
    {"<SWDE>\n<OBJECT name='A'>\n <OBJECT name='B'/>", 3, 2,
     "object inside an object (the enclosing <OBJECT> starts on line 2)"},
    {OBJ "<ATTRIBUTES>\n <OBJECT name='B'/>", 2, 2, "object inside an object"},
    {"<SWDE><TYPES_SECT>\n<OBJECT name='T' base_type='RO'>\n <OBJECT name='B'/>", 3, 2,
     "object inside an object (the enclosing <OBJECT> starts on line 2)"},
    {"<SWDE><OBJECT name='A'/>\n <TYPES_SECT/>", 2, 2, "<TYPES_SECT> after an object"},
    {"<SWDE><OBJECT name='A'/>\n <ATTRIBS_SECT/>", 2, 2, "<ATTRIBS_SECT> after an object"},
    // Required attributes.
    {"<SWDE>\n <OBJECT base_type='RD'/>", 2, 2, "missing attribute 'name' on <OBJECT>"},
    {OBJ "<ATTRIBUTES>\n <ATTR value_str='1'/>", 2, 2, "missing attribute 'name' on <ATTR>"},
    {OBJ "<RELATIONS>\n <RELAT field_name='x'/>", 2, 2, "missing attribute 'name' on <RELAT>"},
    {OBJ "<RELATIONS><RELAT name='r'>\n <DEST_OBJECT name='x'/>", 2, 2,
     "missing attribute 'element' on <DEST_OBJECT>"},
    {"<SWDE><ATTRIBS_SECT>\n <ATTR base_type='TX'/>", 2, 2, "missing attribute 'name' on <ATTR>"},
    {"<SWDE><ATTRIBS_SECT>\n <ATTR name='a'/>", 2, 2, "missing attribute 'base_type' on <ATTR>"},
    {"<SWDE><TYPES_SECT>\n <OBJECT name='T'/>", 2, 2, "missing attribute 'base_type' on <OBJECT>"},
    {"<SWDE><TYPES_SECT>\n <OBJECT base_type='RO'/>", 2, 2, "missing attribute 'name' on <OBJECT>"},
    {TYPE "<ATTRIBUTES>\n <ATTR mandatory='1'/>", 2, 2, "missing attribute 'name' on <ATTR>"},
    {TYPE "<RELATIONS>\n <RELAT type='inverse'/>", 2, 2, "missing attribute 'name' on <RELAT>"},
    {TYPE "<RELATIONS><RELAT name='r'>\n <DEST_OBJECT/>", 2, 2,
     "missing attribute 'element' on <DEST_OBJECT>"},
    // Numbers and flags.
    {"<SWDE>\n <OBJECT name='A' id='abc'/>", 2, 2, "invalid id \"abc\""},
    {"<SWDE>\n <OBJECT name='A' id='-1'/>", 2, 2, "invalid id \"-1\""},
    {"<SWDE>\n <OBJECT name='A' id='+5'/>", 2, 2, "invalid id \"+5\""},
    {"<SWDE>\n <OBJECT name='A' id=' 5'/>", 2, 2, "invalid id \" 5\""},
    {"<SWDE>\n <OBJECT name='A' id=''/>", 2, 2, "invalid id \"\""},
    {"<SWDE>\n <OBJECT name='A' id='4294967296'/>", 2, 2, "invalid id \"4294967296\""},
    {"<SWDE>\n <OBJECT name='A' id='99999999999999999999'/>", 2, 2, "invalid id"},
    {OBJ "<ATTRIBUTES>\n <ATTR name='a' id='1.0'/>", 2, 2, "invalid id \"1.0\""},
    {OBJ "<RELATIONS>\n <RELAT name='r' id='0x1'/>", 2, 2, "invalid id \"0x1\""},
    {TYPE "<ATTRIBUTES>\n <ATTR name='a' mandatory_level='x'/>", 2, 2,
     "invalid mandatory_level \"x\": expected an integer"},
    {TYPE "<ATTRIBUTES>\n <ATTR name='a' mandatory_level='1.5'/>", 2, 2, "invalid mandatory_level"},
    {TYPE "<RELATIONS>\n <RELAT name='r' mandatory_level=''/>", 2, 2, "invalid mandatory_level"},
    {TYPE "<ATTRIBUTES>\n <ATTR name='a' mandatory='2'/>", 2, 2,
     "invalid mandatory \"2\": expected \"0\" or \"1\""},
    {TYPE "<RELATIONS>\n <RELAT name='r' mandatory='true'/>", 2, 2, "invalid mandatory \"true\""},
    {TYPE "<ATTRIBUTES>\n <ATTR name='a' multiple='yes'/>", 2, 2, "invalid multiple \"yes\""},
    {TYPE "<RELATIONS>\n <RELAT name='r' multiple='01'/>", 2, 2, "invalid multiple \"01\""},
    // Marks of the document checks.
    {"<SWDE><ATTRIBS_SECT>\n <ATTR name='a' base_type='TX' check='PESEL'/>", 2, 2,
     "unknown check \"PESEL\" on <ATTR>: expected one of pesel, nip, regon, parcel-id, teryt, "
     "precinct, area, future-ok"},
    {TYPE "<ATTRIBUTES>\n <ATTR name='a' key='yes'/>", 2, 2, "invalid key \"yes\""},
    {TYPE "<ATTRIBUTES><ATTR name='a' key='1'/>\n <ATTR name='b' key='1'/>", 2, 2,
     "a second key attribute in record type T (the first is a)"},
    {TYPE "<ATTRIBUTES><ATTR name='a'/></ATTRIBUTES><RELATIONS>\n <RELAT name='r' shares='b'/>"
          "</RELATIONS></OBJECT>",
     2, 2, "shares \"b\" on <RELAT name=\"r\">: record type T has no attribute of that code"},
    // Values.
    {OBJ "<ATTRIBUTES><ATTR name='a'><VALUE>1</VALUE>\n <VALUE>2</VALUE>", 2, 2,
     "more than one <VALUE> in <ATTR>"},
    {OBJ "<ATTRIBUTES><ATTR name='a' value_str='1'>\n <VALUE>2</VALUE>", 2, 2,
     "<VALUE> in an <ATTR> that has value_str or value_int"},
    {OBJ "<ATTRIBUTES>\n <ATTR name='a' value_str='1' value_int='1'/>", 2, 2,
     "both value_str and value_int on <ATTR>"},
    {TYPE "<ATTRIBUTES><ATTR name='a'>\n <VALUE value_str='1' value_int='1'/>", 2, 2,
     "both value_str and value_int on <VALUE>"},
    {OBJ "<ATTRIBUTES>\n <ATTR name='a' value_int='1.5'/>", 2, 2, "invalid value_int \"1.5\""},
    {TYPE "<ATTRIBUTES><ATTR name='a'>\n <VALUE value_int='x'/>", 2, 2, "invalid value_int \"x\""},
    {OBJ "<RELATIONS><RELAT name='r'><DEST_OBJECT element='X'/>\n <DEST_OBJECT element='Y'/>", 2, 2,
     "more than one <DEST_OBJECT> in <RELAT>"},
    // Text outside VALUE; the position is that of its first character.
    {"<SWDE>\n  x\n</SWDE>", 2, 3, "unexpected text in <SWDE>"},
    {"<SWDE>\n &amp;</SWDE>", 2, 2, "unexpected text in <SWDE>"},
    {OBJ "<ATTRIBUTES> \n\t junk</ATTRIBUTES>", 2, 3, "unexpected text in <ATTRIBUTES>"},
    {"<SWDE>\n<OBJECT name='óó'>x</OBJECT>", 2, 19, "unexpected text in <OBJECT>"},
    {OBJ "<ATTRIBUTES><ATTR name='a'><VALUE value_str='1'>\n 2</VALUE>", 2, 2,
     "unexpected text in <VALUE>"},
    {OBJ "<ATTRIBUTES><ATTR name='a' value_str='1'>\n <![CDATA[2]]></ATTR>", 2, 11,
     "unexpected text in <ATTR>"},
    {OBJ "<RELATIONS><RELAT name='r'><DEST_OBJECT element='X'>\n &#65;", 2, 2,
     "unexpected text in <DEST_OBJECT>"},
    {"<SWDE><ATTRIBS_SECT><ATTR name='a' base_type='TX'>\n x", 2, 2, "unexpected text in <ATTR>"},
    // Characters that CP1250 cannot hold.
    {"<SWDE>\n <OBJECT name='中'/>", 2, 2,
     "character U+4E2D in attribute 'name' cannot be represented in windows-1250"},
    {OBJ "<ATTRIBUTES><ATTR name='a'>\n<VALUE>żółw 中</VALUE>", 2, 13,
     "character U+4E2D cannot be represented in windows-1250"},
    {TYPE "<ATTRIBUTES><ATTR name='a'>\n <VALUE value_str='a😀'/>", 2, 2, "character U+1F600"},
    // Limits.
    {"<SWDE>\n <OBJECT name='ABCDE'/>", 2, 2, "value of attribute 'name' longer than 4 bytes",
     kValue4},
    {OBJ "<ATTRIBUTES><ATTR name='a'>\n<VALUE>ab<![CDATA[cde]]></VALUE>", 2, 8,
     "value longer than 4 bytes", kValue4},
    {OBJ "<ATTRIBUTES><ATTR name='a'><VALUE>ab</VALUE></ATTR><ATTR name='b'>\n<VALUE>abcde", 2, 8,
     "value longer than 4 bytes", kValue4},
    {OBJ "<ATTRIBUTES><ATTR name='a'/><ATTR name='a'/></ATTRIBUTES><RELATIONS>\n <RELAT name='r'/>",
     2, 2, "more than 2 attributes and relations in one <OBJECT>", kEntries2},
    {TYPE "<RELATIONS><RELAT name='a'/><RELAT name='b'/>\n <RELAT name='c'/>", 2, 2,
     "more than 2 attributes and relations", kEntries2},
    {OBJ "<ATTRIBUTES>\n <ATTR name='a'/>", 2, 2, "elements nested deeper than 3 levels", kDepth3},
    {"<SWDE/>", 1, 1, "elements nested deeper than 0 levels", kDepth0},
};
#undef OBJ
#undef TYPE

// Every row fails with the same location and message whether it is read whole or in pieces.
TEST(XmlReaderErrors, EveryBadInputFailsAtItsPlace) {
  for (const BadInput& row : kBadInputs) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      try {
        xmltest::read(row.text, chunk, row.limits);
        ADD_FAILURE() << "no error, chunk " << chunk << ", case:\n" << row.text;
      } catch (const XmlError& e) {
        EXPECT_EQ(e.line(), row.line) << e.what() << "\nchunk " << chunk << ", case:\n" << row.text;
        if (row.column != 0) {
          EXPECT_EQ(e.column(), row.column) << e.what() << "\nchunk " << chunk << ", case:\n"
                                            << row.text;
        }
        EXPECT_NE(e.message().find(row.message), std::string::npos)
            << e.what() << "\nchunk " << chunk << ", case:\n"
            << row.text;
        EXPECT_EQ(e.file(), "doc.xml");
        EXPECT_EQ(std::string(e.what()), "doc.xml:" + std::to_string(e.line()) + ":" +
                                             std::to_string(e.column()) + ": " + e.message());
      }
    }
  }
}

// The limits are not off by one: values and counts at the limit pass.
TEST(XmlReaderErrors, InputAtTheLimitsPasses) {
  const char* text =
      "<SWDE><OBJECT name='ABCD'><ATTRIBUTES><ATTR name='a'><VALUE>abcd</VALUE></ATTR>"
      "</ATTRIBUTES><RELATIONS><RELAT name='r'/></RELATIONS></OBJECT></SWDE>";
  const xmltest::Result result = xmltest::read(text, 0, ReaderLimits{4, 2, 5});
  EXPECT_EQ(result.objectsDump(), "ABCD #1 @1 base= status= A:a/a=abcd#1@1 R:r/r->()#1@1\n")
      << "case: " << text;
}

TEST(XmlReaderErrors, ObjectsAreNotAllowedInASchema) {
  try {
    swde::xml::parseSchema("<SWDE><ATTRIBS_SECT/>\n <OBJECT name='A'/></SWDE>", "annex.xml");
    ADD_FAILURE() << "no error";
  } catch (const XmlError& e) {
    EXPECT_EQ(std::string(e.what()), "annex.xml:2:2: objects are not allowed in a schema");
  }
  EXPECT_THROW(swde::xml::parseSchema("<SWDE><TYPES_SECT>\n<OBJECT name='T'/>"), XmlError);
}

}  // namespace

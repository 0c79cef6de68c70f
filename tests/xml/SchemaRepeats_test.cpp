// swde — semantic checks of SWDE cadastral exchange objects.

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

// A reference schema defines each thing once: a repeat is an error naming both lines. A
// document's own sections may repeat.
TEST(SchemaRepeats, AreErrorsNamingBothLines) {
  const std::string head = "<SWDE><ATTRIBS_SECT><ATTR name='A' base_type='TX'/>\n";
  const std::string type = head + "</ATTRIBS_SECT><TYPES_SECT><OBJECT name='T' base_type='RD'>\n";
  const std::string twice = " defined twice in record type \"T\" (first on line 3)";
  const std::pair<std::string, std::string> rows[] = {
      {head + "<ATTR name='A' base_type='NO'/>",
       "2:1: attribute \"A\" declared twice (first on line 1)"},
      {type + "</OBJECT>\n<OBJECT name='T' base_type='RO'>",
       "4:1: record type \"T\" defined twice (first on line 2)"},
      {type + "<ATTRIBUTES><ATTR name='A'/>\n<ATTR name='A' field_name='X'/>",
       "4:1: attribute \"A\"" + twice},
      {type + "<ATTRIBUTES><ATTR name='A'/>\n<ATTR name='B' field_name='A'/>",
       "4:1: attribute code \"A\"" + twice},
      {type + "<RELATIONS><RELAT name='R'/>\n<RELAT name='R' field_name='S'/>",
       "4:1: relation \"R\"" + twice},
      {type + "<RELATIONS><RELAT name='R' field_name='c'/>\n<RELAT name='S' field_name='c'/>",
       "4:1: relation code \"c\"" + twice},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(
        swde_test::Failure([&] { swde::xml::parseSchema(row.first + "</SWDE>", "annex.xml"); }),
        "annex.xml:" + row.second);
  }
  // The same name in two record types, or for an attribute and a relation, is no repeat.
  EXPECT_NO_THROW(swde::xml::parseSchema(
      type +
      "<ATTRIBUTES><ATTR name='A'/></ATTRIBUTES><RELATIONS><RELAT name='A'/></RELATIONS>"
      "</OBJECT><OBJECT name='U' base_type='RD'><ATTRIBUTES><ATTR name='A'/></ATTRIBUTES>"
      "</OBJECT></TYPES_SECT></SWDE>"));
  EXPECT_EQ(
      swde_test::Read(head + "<ATTR name='A' base_type='NO'/></ATTRIBS_SECT></SWDE>").metadata,
      "SP{A:TX,A:NO,} ST{}");
}

}  // namespace

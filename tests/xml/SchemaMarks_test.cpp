// swde — semantic checks of SWDE cadastral exchange objects.
//
// The marks of the document checks as the shipped reference schema carries them, and documents
// read by the reader, or built, judged by the document checks against that schema; a schema's
// repeats.

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

TEST(SchemaMarks, TheShippedAnnexDrivesTheDocumentChecks) {
  const auto annex = swde::xml::loadSchema(SWDE_SOURCE_DIR "/data/annex.xml");
  EXPECT_EQ(annex->attribsSection->getAttribute("G5PSL")->check, swde::ValueCheck::kPesel);
  EXPECT_EQ(annex->typesSection->getType("G5O_DZE")->getKeyAttribute()->name, "G5IDD");
  EXPECT_EQ(annex->typesSection->getType("G5OSF")->getKeyAttribute(), nullptr);
  EXPECT_EQ(annex->typesSection->getType("G5UDZ")->getReference("G5RJDR")->shares, "G5UD");

  // One object per line, from line 2; the G5OSF is the fourth object, so its id is 4.
  const std::string document =
      "<SWDE>\n"
      "<OBJECT name='G5JEW' status='00'><ATTRIBUTES><ATTR name='G5IDJ' value_str='121905_2'/>"
      "</ATTRIBUTES></OBJECT>\n"
      "<OBJECT name='G5OBR' status='00'><ATTRIBUTES><ATTR name='G5NRO' value_str='0003'/>"
      "</ATTRIBUTES><RELATIONS><RELAT name='G5RJEW'><DEST_OBJECT element='G5JEW' "
      "name='121905_2'/></RELAT></RELATIONS></OBJECT>\n"
      "<OBJECT name='G5DZE' status='00'><ATTRIBUTES><ATTR name='G5IDD' "
      "value_str='121905_2.0004.1'/><ATTR name='G5PEW' value_str='-0.5'/></ATTRIBUTES>"
      "<RELATIONS><RELAT name='G5ROBR'><DEST_OBJECT element='G5OBR' name='0003'/></RELAT>"
      "<RELAT name='G5RJDR'><DEST_OBJECT element='G5JDR' name='G1'/></RELAT></RELATIONS>"
      "</OBJECT>\n"
      "<OBJECT name='G5OSF' status='00'><ATTRIBUTES><ATTR name='G5PSL' value_str='44051401358'/>"
      "</ATTRIBUTES></OBJECT>\n"
      "<OBJECT name='G5UDZ' status='00'><ATTRIBUTES><ATTR name='G5UD' value_str='1/2'/>"
      "</ATTRIBUTES><RELATIONS><RELAT name='G5RPOD'><DEST_OBJECT element='G5OSF' name='4'/>"
      "</RELAT><RELAT name='G5RJDR'><DEST_OBJECT element='G5JDR' name='G1'/></RELAT>"
      "</RELATIONS></OBJECT>\n"
      "<OBJECT name='G5DZE' status='00'><ATTRIBUTES><ATTR name='G5IDD' "
      "value_str='121905_2.0004.1'/></ATTRIBUTES></OBJECT>\n"
      "</SWDE>\n";
  swde::smDocumentChecks checks(annex.get(), {"2026.01.01"});
  std::vector<swde::smDocumentFinding> findings;
  swde::xml::DocumentReader reader("doc.xml", [&](std::unique_ptr<swde::smObject> object) {
    checks.addObject(*object, findings);
  });
  reader.feed(document.data(), document.size());
  reader.finish();
  checks.finish(findings);
  std::string rendered;
  for (const swde::smDocumentFinding& f : findings) {
    rendered += std::to_string(f.code) + "@" + std::to_string(f.line) + " ";
  }
  EXPECT_EQ(rendered, "7014@4 7004@4 7020@5 7001@7 7002@4 7002@6 ");
}

// data/scopes.tsv: keys unique within their scope, references resolved within the referrer's
// scope, share groups by the object they name.
TEST(Scopes, KeysReferencesAndShares) {
  const auto annex = swde::xml::loadSchema(SWDE_SOURCE_DIR "/data/annex.xml");
  const std::vector<swde_test::DocumentCase> cases = swde_test::Documents("scopes.tsv");
  ASSERT_EQ(cases.size(), 12u);
  for (const swde_test::DocumentCase& row : cases) {
    EXPECT_EQ(swde_test::CheckDocument(annex.get(), {"2026.06.15", {}}, row.objects), row.expected)
        << row.name;
  }
}

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

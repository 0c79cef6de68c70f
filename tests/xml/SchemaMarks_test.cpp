// swde — semantic checks of SWDE cadastral exchange objects.
//
// The marks of the document checks as the shipped reference schema carries them, and a document
// read by the reader and judged by the document checks against that schema.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/xml/Reader.hpp"

#include "xml/ReadSupport.hpp"

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
  EXPECT_EQ(rendered, "7014@4 7020@5 7001@7 7002@4 7004@4 7002@6 ");
}

// A mark that cannot be honoured is an error at the mark's own line; a key-scope only at the end
// of its record type, when all its relations are known.
TEST(SchemaMarks, MistakesAtTheirLines) {
  const std::string type =
      "<SWDE><ATTRIBS_SECT><ATTR name='K' base_type='TX'/><ATTR name='L' base_type='TX'/>"
      "</ATTRIBS_SECT><TYPES_SECT>\n<OBJECT name='T' base_type='RD'><ATTRIBUTES>\n";
  const std::pair<std::string, std::string> rows[] = {
      {"<ATTR name='K' key-scope='R'/>",
       "3:1: key-scope on attribute \"K\", which is not marked key=\"1\""},
      {"<ATTR name='K' key='1' key-scope='R'/>\n</ATTRIBUTES><RELATIONS><RELAT name='S'/>"
       "</RELATIONS></OBJECT>",
       "3:1: key-scope \"R\" on <ATTR name=\"K\">: record type T has no relation of that name"},
      {"<ATTR name='K' key='1'/>\n<ATTR name='L' key='1'/>",
       "4:1: a second key attribute in record type T (the first is K)"},
      {"<ATTR name='K'/></ATTRIBUTES><RELATIONS>\n<RELAT name='R' "
       "shares='L'/></RELATIONS></OBJECT>",
       "4:1: shares \"L\" on <RELAT name=\"R\">: record type T has no attribute of that code"},
  };
  for (const auto& [text, error] : rows) {
    EXPECT_EQ(swde_test::Failure([&] { swde::xml::parseSchema(type + text, "annex.xml"); }),
              "annex.xml:" + error)
        << text;
  }
  // A key-scope naming a relation of the type, written after the key, is accepted.
  EXPECT_EQ(swde::xml::parseSchema(type + "<ATTR name='K' key='1' key-scope='R'/></ATTRIBUTES>"
                                          "<RELATIONS><RELAT name='R'/></RELATIONS></OBJECT>"
                                          "</TYPES_SECT></SWDE>",
                                   "annex.xml")
                ->typesSection->getType("T")
                ->getKeyAttribute()
                ->keyScope,
            "R");
}

}  // namespace

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
  for (const auto& row : rows) {
    const std::string& text = row.first;  // a lambda may not capture a structured binding
    EXPECT_EQ(swde_test::Failure([&] { swde::xml::parseSchema(type + text, "annex.xml"); }),
              "annex.xml:" + row.second)
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

// data/scopes.tsv: keys unique within their scope, references resolved within the referrer's
// scope, share groups by the object they name.
TEST(Scopes, KeysReferencesAndShares) {
  const auto annex = swde::xml::loadSchema(SWDE_SOURCE_DIR "/data/annex.xml");
  const std::vector<swde_test::DocumentCase> cases = swde_test::Documents("scopes.tsv");
  ASSERT_EQ(cases.size(), 17u);
  // Findings as a sorted list: in reverse order the same findings come in another order.
  const auto sorted = [](const std::string& findings) {
    std::vector<std::string> all;
    for (std::size_t at = 0; at < findings.size();) {
      const std::size_t end = std::min(findings.find("; ", at), findings.size());
      all.push_back(findings.substr(at, end - at));
      at = end + 2;
    }
    std::sort(all.begin(), all.end());
    return all;
  };
  for (const swde_test::DocumentCase& row : cases) {
    EXPECT_EQ(swde_test::CheckDocument(annex.get(), {"2026.06.15", {}}, row.objects), row.expected)
        << row.name;
    // A name is resolved when the document ends: either order settles the same findings, but
    // for which copy of a repeated key is the second.
    const std::vector<swde_test::Obj> reversed(row.objects.rbegin(), row.objects.rend());
    EXPECT_EQ(sorted(swde_test::CheckDocument(annex.get(), {"2026.06.15", {}}, reversed)),
              sorted(row.backward.empty() ? row.expected : row.backward))
        << row.name << ", reversed";
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

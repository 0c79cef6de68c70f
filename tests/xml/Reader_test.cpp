// swde — semantic checks of SWDE cadastral exchange objects.
#include <string>
#include <typeinfo>

#include <gtest/gtest.h>

#include "swde/types/G5adr.hpp"
#include "swde/types/G5dze.hpp"

#include "xml/XmlTestSupport.hpp"

namespace {

// Every element and attribute of the schema sections, each mandatory/mandatory_level
// combination, the three value forms, a duplicate value and an unknown attribute.
const char kSchemaDocument[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<SWDE schema_date="2024-01-02" schema_version="1.1" schema_profile="Łódź">
  <ATTRIBS_SECT>
    <ATTR name="G5IDD" base_type="TX"/>
    <ATTR name="G5PEW" base_type="FL" unknown="x"/>
  </ATTRIBS_SECT>
  <TYPES_SECT>
    <OBJECT name="G5DZE" base_type="RO">
      <ATTRIBUTES>
        <ATTR name="A0"/>
        <ATTR name="A1" field_name="C1" mandatory="1"/>
        <ATTR name="A2" mandatory="0" multiple="1"/>
        <ATTR name="A3" mandatory="1" mandatory_level="2" multiple="0"/>
        <ATTR name="A4" mandatory="0" mandatory_level="3"/>
        <ATTR name="A5" mandatory_level="-1"/>
        <ATTR name="A6"><VALUE value_str="x y"/><VALUE value_int="-7"/><VALUE>t&amp;ó</VALUE><VALUE value_str="x y"/></ATTR>
      </ATTRIBUTES>
      <RELATIONS>
        <RELAT name="R1" field_name="RC1" mandatory="1" type="inverse" multiple="1"><DEST_OBJECT element="G5BUD"/><DEST_OBJECT element="G5KLU"/></RELAT>
        <RELAT name="R2" type="direct" mandatory_level="2"/>
      </RELATIONS>
    </OBJECT>
    <OBJECT name="G5BUD" base_type="RO"></OBJECT>
  </TYPES_SECT>
</SWDE>
)";

const char kSchemaDump[] =
    "SP{G5IDD:TX,G5PEW:FL,} ST{G5DZE:RO[A A0/A0 m=0 1 ()][A A1/C1 m=1 1 ()][A A2/A2 m=0 * ()]"
    "[A A3/A3 m=2 1 ()][A A4/A4 m=3 1 ()][A A5/A5 m=-1 1 ()][A A6/A6 m=0 1 (x y|-7|t&\xF3|)]"
    "[R R1/RC1 m=1 * inv ->G5BUD|G5KLU|][R R2/R2 m=2 1 - ->];G5BUD:RO;}";

// Objects: default and explicit ids, codes, the value forms, duplicate names, relations, lines.
const char kObjectDocument[] = R"(<SWDE>
<OBJECT name="G5ADR" base_type="RD" status="00">
 <ATTRIBUTES>
  <ATTR name="G5KOD" value_str="00-950"/>
  <ATTR name="G5MSC" field_name="MSC"><VALUE>Łódź &lt;1&gt;</VALUE></ATTR>
  <ATTR name="G5NRA" id="77" value_int="12"/>
  <ATTR name="G5ULC"/>
  <ATTR name="G5KOD"><VALUE value_str="x"/></ATTR>
 </ATTRIBUTES>
 <RELATIONS>
  <RELAT name="G5RDZE"><DEST_OBJECT element="G5DZE" name="D1"/></RELAT>
  <RELAT name="G5RBUD" field_name="RB" id="9"><DEST_OBJECT element="G5BUD"/></RELAT>
  <RELAT name="G5RX"/>
 </RELATIONS>
</OBJECT>
<OBJECT name="G5O_DZE" id="4294967295" base_type="RO"/><!-- a comment -->
<OBJECT name="XYZ"><ATTRIBUTES><ATTR name="a"><VALUE><![CDATA[<]]>
 multi
line</VALUE></ATTR></ATTRIBUTES></OBJECT>
</SWDE>)";

const char kObjectDump[] =
    "G5ADR #1 @2 base=RD status=00 A:G5KOD/G5KOD=00-950#1@4 A:G5KOD/G5KOD=x#5@8 "
    "A:G5MSC/MSC=\xA3\xF3"
    "d\x9F <1>#2@5 A:G5NRA/G5NRA=12#77@6 A:G5ULC/G5ULC=#4@7 "
    "R:G5RBUD/RB->G5BUD()#9@12 R:G5RDZE/G5RDZE->G5DZE(D1)#1@11 R:G5RX/G5RX->()#3@13\n"
    "G5O_DZE #4294967295 @16 base=RO status=\n"
    "XYZ #3 @17 base= status= A:a/a=<\n multi\nline#1@17\n";

// Each document is read whole and fed in pieces of 1 to 5 bytes: a tag, an entity, a CDATA
// section or a UTF-8 sequence split across buffers must give the same result.
TEST(XmlReader, DocumentsGiveTheSameResultWholeAndInPieces) {
  struct Row {
    const char* text;
    const char* metadata;
    const char* objects;
    const char* root;
    bool sections;
  };
  const Row rows[] = {
      {kSchemaDocument, kSchemaDump, "",
       "2024-01-02|1.1|\xA3\xF3"
       "d\x9F",
       true},
      {kObjectDocument, "SP{} ST{}", kObjectDump, "||", false},
      {"<SWDE><ATTRIBS_SECT/><OBJECT name='A' id='0000000000007'/></SWDE>", "SP{} ST{}",
       "A #7 @1 base= status=\n", "||", true},
  };
  for (const Row& row : rows) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      const xmltest::Result result = xmltest::read(row.text, chunk);
      EXPECT_EQ(result.metadata, row.metadata) << "chunk " << chunk << ", case:\n" << row.text;
      EXPECT_EQ(result.objectsDump(), row.objects) << "chunk " << chunk << ", case:\n" << row.text;
      EXPECT_EQ(result.root, row.root) << "chunk " << chunk << ", case:\n" << row.text;
      EXPECT_EQ(result.sections, row.sections) << "chunk " << chunk << ", case:\n" << row.text;
      EXPECT_EQ(result.count, result.objects.size()) << "case:\n" << row.text;
    }
  }
}

TEST(XmlReader, FactoryChoosesTheClassOfTheRecordType) {
  const xmltest::Result result = xmltest::read(kObjectDocument);
  ASSERT_EQ(result.objects.size(), 3u);
  EXPECT_NE(dynamic_cast<swde::G5ADR*>(result.objects[0].get()), nullptr);
  EXPECT_NE(dynamic_cast<swde::G5DZE*>(result.objects[1].get()), nullptr);
  const swde::smObject& plain = *result.objects[2];
  EXPECT_EQ(typeid(plain), typeid(swde::smObject));
}

TEST(XmlReader, ParseSchemaMatchesTheDocumentsOwnSections) {
  const std::unique_ptr<swde::Metadata> schema = swde::xml::parseSchema(kSchemaDocument);
  EXPECT_EQ(xmltest::dump(*schema), kSchemaDump);
  EXPECT_TRUE(swde::xml::parseSchema("<SWDE/>")->empty());
}

TEST(XmlReader, LoadsTheShippedAnnex) {
  const auto annex = swde::xml::loadSchema(SWDE_SOURCE_DIR "/data/annex.xml");
  ASSERT_NE(annex->attribsSection->getAttribute("G5UD"), nullptr);
  EXPECT_EQ(annex->attribsSection->getAttribute("G5UD")->baseType, "UL");
  const swde::RecordType* dze = annex->typesSection->getType("G5DZE");
  ASSERT_NE(dze, nullptr);
  EXPECT_EQ(dze->baseType, "RO");
  EXPECT_EQ(dze->getAttribute("G5NOS")->mandatory, 2);
  EXPECT_EQ(dze->getAttribute("G5DWW")->mandatory, 3);
  EXPECT_EQ(dze->getAttribute("G5RPWL")->mandatory, 1);
  EXPECT_EQ(dze->getAttribute("G5RPWL")->possibleValues(), (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(dze->getReference("G5RBUD")->presenceExempt);
  EXPECT_TRUE(dze->getReference("G5RBUD")->isRefTypeNamePresent("G5BUD"));
  EXPECT_FALSE(dze->getReference("G5ROBR")->presenceExempt);
}

}  // namespace

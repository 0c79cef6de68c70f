// swde — semantic checks of SWDE cadastral exchange objects.
//
// A schema without marks of its own takes those of another where the two agree by name and
// code; a schema with one mark of its own is left as it stands.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "swde/metadata/Marks.hpp"
#include "swde/metadata/Metadata.hpp"

namespace {

using swde::Metadata;
using swde::ValueCheck;

// The marked schema: G5DZE keyed by G5IDD (code IDD), sharing G5UD over G5RJDR; G5JDR keyed.
std::unique_ptr<Metadata> Marked() {
  auto m = std::make_unique<Metadata>();
  m->attribsSection->addAttribute("G5IDD", "TX")->check = ValueCheck::kParcelId;
  m->attribsSection->addAttribute("G5NKW", "TX")->check = ValueCheck::kKw;
  m->attribsSection->addAttribute("G5UD", "UL");
  swde::RecordType* parcel = m->typesSection->addType("G5DZE", "RO");
  parcel->addAttribute("G5IDD", "IDD")->key = true;
  parcel->addAttribute("G5UD", "G5UD");
  parcel->addReference("G5RJDR", "G5RJDR")->shares = "G5UD";
  parcel->addReference("G5ROBR", "G5ROBR");
  m->typesSection->addType("G5JDR", "RD")->addAttribute("G5IJR", "G5IJR")->key = true;
  m->typesSection->addType("G5UDZ", "RD")->addReference("G5RJDR", "G5RJDR")->shares = "G5UD";
  return m;
}

// The same codes without marks, and what the marked schema does not define.
std::unique_ptr<Metadata> Bare() {
  auto m = std::make_unique<Metadata>();
  for (const char* name : {"G5IDD", "G5NKW", "G5UD", "G5XYZ"}) {
    m->attribsSection->addAttribute(name, "TX");
  }
  swde::RecordType* parcel = m->typesSection->addType("G5DZE", "RO");
  parcel->addAttribute("G5IDD", "IDD");
  parcel->addAttribute("G5UD", "G5UD");
  parcel->addReference("G5RJDR", "G5RJDR");
  parcel->addReference("G5ROBR", "G5ROBR");
  m->typesSection->addType("G5JDR", "RD")->addAttribute("G5IJR2", "G5IJR2");  // no such code
  m->typesSection->addType("G5UDZ", "RD")->addReference("G5RJDR", "G5RJDR");  // no G5UD here
  m->typesSection->addType("G5NEW", "RD")->addAttribute("G5IDD", "IDD");
  return m;
}

TEST(Marks, ASchemaWithoutMarksTakesThoseItShares) {
  const auto from = Marked();
  const auto bare = Bare();
  EXPECT_TRUE(swde::HasMarks(*from));
  EXPECT_FALSE(swde::HasMarks(*bare));
  const swde::LentMarks lent = swde::LendMarks(*bare, *from);
  EXPECT_TRUE(lent.lent && lent.checks == 2 && lent.keys == 1 && lent.shares == 1);
  EXPECT_EQ(bare->attribsSection->getAttribute("G5IDD")->check, ValueCheck::kParcelId);
  EXPECT_EQ(bare->attribsSection->getAttribute("G5NKW")->check, ValueCheck::kKw);
  EXPECT_EQ(bare->attribsSection->getAttribute("G5XYZ")->check, ValueCheck::kNone);
  EXPECT_EQ(bare->typesSection->getType("G5DZE")->getKeyAttribute()->name, "G5IDD");
  EXPECT_EQ(bare->typesSection->getType("G5DZE")->getReference("G5RJDR")->shares, "G5UD");
  EXPECT_EQ(bare->typesSection->getType("G5DZE")->getReference("G5ROBR")->shares, "");
  EXPECT_EQ(bare->typesSection->getType("G5JDR")->getKeyAttribute(), nullptr);
  EXPECT_EQ(bare->typesSection->getType("G5UDZ")->getReference("G5RJDR")->shares, "");
  EXPECT_EQ(bare->typesSection->getType("G5NEW")->getKeyAttribute(), nullptr);
  EXPECT_EQ(swde::BuiltinMarksNotice(lent),
            "marks: built-in (the schema has no key, check or shares mark of its own; the "
            "built-in schema's apply to the record types and attributes the two share: 2 checks, "
            "1 keys, 1 shares)");

  // Lent once, the marks are the schema's own: a second lending does nothing.
  EXPECT_FALSE(swde::LendMarks(*bare, *from).lent);
}

TEST(Marks, OneMarkOfItsOwnKeepsTheSchemaAsItStands) {
  const auto from = Marked();
  for (int mark = 0; mark < 3; ++mark) {
    auto own = Bare();
    if (mark == 0) {
      own->attribsSection->getAttribute("G5XYZ")->check = ValueCheck::kArea;
    } else if (mark == 1) {
      own->typesSection->getType("G5JDR")->getAttribute("G5IJR2")->key = true;
    } else {
      own->typesSection->getType("G5DZE")->getReference("G5ROBR")->shares = "G5UD";
    }
    EXPECT_TRUE(swde::HasMarks(*own)) << mark;
    const swde::LentMarks lent = swde::LendMarks(*own, *from);
    EXPECT_FALSE(lent.lent) << mark;
    EXPECT_EQ(own->attribsSection->getAttribute("G5IDD")->check, ValueCheck::kNone) << mark;
    EXPECT_EQ(own->typesSection->getType("G5DZE")->getKeyAttribute(), nullptr) << mark;
  }
  auto other = std::make_unique<Metadata>();
  other->typesSection->addType("G5ABC", "RD")->addAttribute("G5A", "G5A");
  other->attribsSection->addAttribute("G5A", "TX");
  const swde::LentMarks none = swde::LendMarks(*other, *from);
  EXPECT_TRUE(none.lent);
  EXPECT_EQ(none.checks + none.keys + none.shares, 0u);
  EXPECT_EQ(swde::BuiltinMarksNotice(none).rfind("marks: none (", 0), 0u);
}

}  // namespace

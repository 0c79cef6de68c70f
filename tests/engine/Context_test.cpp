// swde — semantic checks of SWDE cadastral exchange objects.
//
// The entry a finding names is the one its error is about, whether the object has few findings
// or many, and however the host numbered its entries (ids may repeat, or all be 0).
#include <functional>

#include <gtest/gtest.h>

#include "swde/engine/Context.hpp"

#include "Support.hpp"

namespace {

TEST(Context, FindingsNameTheEntryTheirErrorIsAbout) {
  swde::Metadata annex;
  annex.typesSection->addType("T", "B");
  const swde::Metadata file;
  // Ids as a host may give them: each its own; all 0 on one line; repeating over a few lines.
  const std::vector<std::function<std::pair<std::uint32_t, std::uint32_t>(std::uint32_t)>>
      numberings = {[](std::uint32_t i) { return std::make_pair(10 + i, i + 1); },
                    [](std::uint32_t) { return std::make_pair(3u, 0u); },
                    [](std::uint32_t i) { return std::make_pair(i % 4, i % 3); }};
  for (const std::uint32_t entries : {3u, 40u}) {
    for (const auto& numbering : numberings) {
      swde::smObject object("T");
      object.baseType = "B";
      object.status = "00";
      for (std::uint32_t i = 0; i < entries; ++i) {
        // Names out of the order of addition, so that map order is not the order of lines.
        const std::string name = "X" + std::to_string((i * 7) % entries + 100);
        swde::smAttribute* attribute = object.addAttribute(name, name, "v");
        std::tie(attribute->line, attribute->id) = numbering(i);
        const std::string relationName = "R" + std::to_string(entries - i);
        swde::smRelation* relation = object.addRelation(relationName, relationName);
        std::tie(relation->line, relation->id) = numbering(i);
      }
      ASSERT_TRUE(object.checkMain(&annex, nullptr));
      ASSERT_EQ(object.errors.size(), 2 * entries);  // a 6001 and a 6002 for each pair
      std::size_t named = 0;
      swde::engine::findingsOf(object, annex, file, [&](swde::engine::Finding&& finding) {
        // "Atrybut NAME nie jest ..." / "Relacja NAME nie jest ...": the message names it too.
        EXPECT_TRUE(finding.hasEntry);
        EXPECT_EQ(finding.message.find(" " + finding.entry + " "), 7u) << finding.message;
        named += finding.code == (named < entries ? 6001 : 6002);  // attributes first
      });
      EXPECT_EQ(named, 2 * entries);
      // Checked again and turned away by its status: the entries are freed, and no error of the
      // first run names one any more.
      object.status = "20";
      ASSERT_FALSE(object.checkMain(&annex, nullptr));
      for (const swde::smError* error : object.errors) {
        EXPECT_TRUE(error->attribute == nullptr && error->relation == nullptr) << error->code;
      }
    }
  }
}

}  // namespace

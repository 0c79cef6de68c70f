// swde — semantic checks of SWDE cadastral exchange objects.
//
// The entry a finding names: of the entries with the error's line and id, the first in map
// order, whether the object has few findings (searched) or many (indexed), and however the host
// numbered its entries (ids may repeat, or all be 0).
#include <functional>

#include <gtest/gtest.h>

#include "Context.hpp"
#include "Support.hpp"

namespace {

// The entry of `map` that the error at (line, id) concerns, found as a reader would: the first
// in map order with both.
template <class Map>
std::string FirstAt(const Map& map, std::uint32_t line, std::uint32_t id) {
  for (const auto& [name, entry] : map) {
    if (entry->line == line && entry->id == id) {
      return entry->name;
    }
  }
  return "";
}

TEST(Context, FindingsNameTheFirstEntryWithTheirLineAndId) {
  swde::Metadata annex;
  annex.typesSection->addType("T", "B");
  const swde::Metadata file;
  // Ids as a host may give them: each its own; all 0 on one line; repeating over a few lines.
  const std::vector<std::function<std::pair<std::uint32_t, std::uint32_t>(std::uint32_t)>>
      numberings = {[](std::uint32_t i) { return std::make_pair(10 + i, i + 1); },
                    [](std::uint32_t) { return std::make_pair(3u, 0u); },
                    [](std::uint32_t i) { return std::make_pair(i % 4, i % 3); }};
  for (const std::uint32_t entries : {3u, 8u, 9u, 40u}) {
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
      std::vector<std::string> expected;
      for (const swde::smError* error : object.errors) {
        expected.push_back(error->code == swde::errAttrNotDefined
                               ? FirstAt(object.attributes, error->line, error->id)
                               : FirstAt(object.relations, error->line, error->id));
      }
      std::vector<std::string> named;
      swde::cli::findingsOf(object, annex, file, [&named](swde::cli::Finding&& finding) {
        EXPECT_TRUE(finding.hasEntry);
        named.push_back(finding.entry);
      });
      ASSERT_EQ(object.errors.size(), 2 * entries);  // a 6001 and a 6002 for each pair
      EXPECT_EQ(named, expected) << entries << " entries";
    }
  }
}

}  // namespace

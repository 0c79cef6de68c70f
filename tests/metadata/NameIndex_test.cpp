// swde — semantic checks of SWDE cadastral exchange objects.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "swde/metadata/Metadata.hpp"
#include "swde/metadata/NameIndex.hpp"

namespace {

// The worst a document's names can do to a hash: all share one value.
struct OneHash {
  std::uint64_t operator()(std::string_view) const noexcept { return 42; }
};

// 100,000 names that collide completely cost a bounded walk each, not a walk over all of them
// (which takes minutes); the first item under a name keeps it, as in the table itself.
TEST(NameIndexHostile, CollidingNamesStayCheap) {
  std::vector<std::string> names;
  for (int i = 0; i < 100000; ++i) {
    names.push_back("G5" + std::to_string(i));
  }
  std::vector<int> items(names.size());
  const auto start = std::chrono::steady_clock::now();
  swde::NameIndex<int, OneHash> index;
  for (std::size_t i = 0; i < names.size(); ++i) {
    index.insert(names[i], &items[i]);
  }
  int other = 0;
  index.insert(names[7], &other);
  index.insert(names[99999], &other);
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(index.find(names[i]), &items[i]) << names[i];
  }
  EXPECT_EQ(index.find("G5-1"), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The seeded hash tells names apart, and the index finds every one of them.
TEST(NameIndexHostile, SeededHashFindsEveryName) {
  swde::NameIndex<int> index;
  std::vector<std::string> names = {
      "", "a", "G5DZE", "G5DZE ", std::string(1, '\0'), std::string(40, 'x'), std::string(41, 'x')};
  std::vector<int> items(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    index.insert(names[i], &items[i]);
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(index.find(names[i]), &items[i]) << i;
  }
  EXPECT_NE(swde::SeededNameHash{}("G5DZE"), swde::SeededNameHash{}("G5DZF"));
}

// A host may remove a section of a set; the set then defines nothing there.
TEST(MetadataWithoutASection, IsEmptyAndCopies) {
  for (const bool dropTypes : {false, true}) {
    swde::Metadata set;
    set.attribsSection->addAttribute("G5IDD", "TX");
    set.typesSection->addType("G5DZE", "RO");
    if (dropTypes) {
      delete set.typesSection;
      set.typesSection = nullptr;
    } else {
      delete set.attribsSection;
      set.attribsSection = nullptr;
    }
    EXPECT_FALSE(set.empty()) << dropTypes;
    const auto copy = set.clone();
    EXPECT_EQ(copy->attribsSection->size(), dropTypes ? 1u : 0u);
    EXPECT_EQ(copy->typesSection->size(), dropTypes ? 0u : 1u);
  }
  swde::Metadata none;
  delete none.attribsSection;
  none.attribsSection = nullptr;
  delete none.typesSection;
  none.typesSection = nullptr;
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(none.clone()->empty());
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstdint>
#include <ctime>
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
// (which takes minutes); the first item under a name keeps it, as in the table itself. The bound
// is on this process's CPU time, generous enough for a sanitized build on a busy machine.
TEST(NameIndexHostile, CollidingNamesStayCheap) {
  std::vector<int> items(100000);
  const std::clock_t start = std::clock();
  swde::NameIndex<int, OneHash> index;
  for (std::size_t pass = 0; pass < 2; ++pass) {  // the second adds every name again
    for (std::size_t i = 0; i < items.size(); ++i) {
      index.insert("G5" + std::to_string(i), &items[(i + pass) % items.size()]);
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(index.find("G5" + std::to_string(i)), &items[i]) << i;
  }
  EXPECT_EQ(index.find("G5-1"), nullptr);
  EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 20.0);
}

// A host may remove a section of a set; the set then defines nothing there.
TEST(MetadataWithoutASection, IsEmptyAndCopies) {
  swde::Metadata set;
  set.typesSection->addType("G5DZE", "RO");
  delete set.attribsSection;
  set.attribsSection = nullptr;
  EXPECT_FALSE(set.empty());
  EXPECT_EQ(set.clone()->typesSection->size(), 1u);
  EXPECT_EQ(set.clone()->attribsSection->size(), 0u);
  delete set.typesSection;
  set.typesSection = nullptr;
  EXPECT_TRUE(set.empty());
  EXPECT_TRUE(set.clone()->empty());
}

}  // namespace

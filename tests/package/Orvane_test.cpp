// swde — semantic checks of SWDE cadastral exchange objects.
//
// Package start-up and shut-down: counted per unit, the catalogue built by the first Initialize
// and emptied by the Finalize that balances it.

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

// The program's environment holds one Initialize; the test ends as it began. After each step,
// every unit's counter, and whether the catalogue is built (an unbalanced Finalize is ignored,
// so the next Initialize still builds it).
TEST(Package, NestedStartsAndOnlyTheBalancingFinalizeEmptiesTheCatalogue) {
  ASSERT_EQ(swde::packageUnitCount(), 34u);
  EXPECT_STREQ(swde::packageUnitName(0), "Orvane");
  EXPECT_STREQ(swde::packageUnitName(33), "Smxmldef");
  EXPECT_EQ(swde::packageUnitName(34), nullptr);
  EXPECT_EQ(swde::packageUnitCounter(34), 0);  // past the end
  const std::pair<void (*)(), int> steps[] = {{[] {}, -1},          {swde::Initialize, -2},
                                              {swde::Finalize, -1}, {swde::Finalize, 0},
                                              {swde::Finalize, 0},  {swde::Initialize, -1}};
  for (const auto& [step, counter] : steps) {
    step();
    for (std::size_t i = 0; i < 34; ++i) {
      EXPECT_EQ(swde::packageUnitCounter(i), counter) << swde::packageUnitName(i);
    }
    EXPECT_EQ(swde::catalogueText(2001) == "  ", counter == 0);
  }
}

}  // namespace

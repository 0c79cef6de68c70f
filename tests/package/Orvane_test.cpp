// swde — semantic checks of SWDE cadastral exchange objects.
//
// Package start-up and shut-down: counted per unit, the catalogue built by the first Initialize
// and emptied by the Finalize that balances it.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

std::vector<int> Counters() {
  std::vector<int> counters;
  for (std::size_t i = 0; i < swde::packageUnitCount(); ++i) {
    counters.push_back(swde::packageUnitCounter(i));
  }
  return counters;
}

std::string Text6007() {
  return swde::Cp1250ToUtf8(swde::smError(swde::errTypeNotDefined).message);
}

// The program's environment holds one Initialize; the test ends as it began.
TEST(Package, NestedStartsAndOnlyTheBalancingFinalizeEmptiesTheCatalogue) {
  const char* built = "Brak definicji rekordu %s w sekcji metadanych";
  ASSERT_EQ(swde::packageUnitCount(), 34u);
  EXPECT_STREQ(swde::packageUnitName(0), "Orvane");
  EXPECT_STREQ(swde::packageUnitName(33), "Smxmldef");
  EXPECT_EQ(swde::packageUnitName(34), nullptr);
  EXPECT_EQ(swde::packageUnitCounter(34), 0);  // past the end
  EXPECT_EQ(Counters(), std::vector<int>(34, -1));

  // Each step, then every unit's counter and the text of 6007 after it ("  ": no catalogue). An
  // unbalanced Finalize is ignored, so the next Initialize still builds the catalogue.
  const struct {
    void (*step)();
    int counter;
    const char* text;
  } steps[] = {{swde::Initialize, -2, built},
               {swde::Finalize, -1, built},
               {swde::Finalize, 0, "  "},
               {swde::Finalize, 0, "  "},
               {swde::Initialize, -1, built}};
  for (const auto& row : steps) {
    row.step();
    EXPECT_EQ(Counters(), std::vector<int>(34, row.counter));
    EXPECT_EQ(Text6007(), row.text);
    EXPECT_EQ(swde::catalogueText(2001) == "  ", std::string(row.text) == "  ");
  }
}

}  // namespace

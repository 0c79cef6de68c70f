// swde — semantic checks of SWDE cadastral exchange objects.
//
// The message catalogue, the texts smError's constructors make, and the package's start-up and
// shut-down that build and empty the catalogue, counted per unit.

#include <gtest/gtest.h>

#include "swde/platform/Sysutils.hpp"

#include "Support.hpp"

namespace {

using namespace swde_test;
using swde::smError;

swde::smErrorCode Code(int number) {
  return static_cast<swde::smErrorCode>(number);
}

// The 58 codes 2001-2008, 3001-3014 and 6001-6036 have a text, formatted with exactly as many
// arguments as it has placeholders (one fewer throws); no other code has a text.
TEST(Catalogue, TextsAndCodes) {
  const std::vector<std::string> pool = {"<A1>", "<A2>", "<A3>"};
  for (int code = -1; code <= 7000; ++code) {
    SCOPED_TRACE(code);
    const bool known = (code >= 2001 && code <= 2008) || (code >= 3001 && code <= 3014) ||
                       (code >= 6001 && code <= 6036);
    const std::string text = swde::Cp1250ToUtf8(swde::catalogueText(code));
    ASSERT_EQ(text != "  ", known);
    ASSERT_EQ(smError(Code(code)).message, swde::catalogueText(code));
    int placeholders = 0;
    for (auto at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + 2)) {
      ++placeholders;
    }
    const std::vector<std::string> args(pool.begin(), pool.begin() + placeholders);
    EXPECT_EQ(swde::Cp1250ToUtf8(smError(Code(code), args.data(), placeholders - 1).message),
              Text(code, args));
    if (placeholders > 0) {
      EXPECT_THROW(smError(Code(code), args.data(), placeholders - 2), swde::EConvertError);
    }
  }
}

// A host's own text is formatted with every element of its list but the last; a null list
// leaves a text as it stands.
TEST(Constructors, OwnTextAndNullLists) {
  const swde::AnsiString args[] = {"G5KOD", "%s", "LAST"};
  EXPECT_EQ(smError(17u, swde::sxSO, swde::errMissingAttr, "own %s %s", args, 2).message,
            "own G5KOD %s");
  EXPECT_EQ(smError(17u, swde::sxSO, swde::errMissingAttr, "own %s", nullptr, -1).message,
            "own %s");
  EXPECT_EQ(smError(swde::errMissingAttr, nullptr, 1).message, swde::catalogueText(6008));
  EXPECT_THROW(smError(1u, swde::sxST, swde::errMissingAttr, "%s %s", args, 1),
               swde::EConvertError);
}

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

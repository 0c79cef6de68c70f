// swde — semantic checks of SWDE cadastral exchange objects.

#include <gtest/gtest.h>

#include "swde/types/Smobjectfactory.hpp"

#include "Support.hpp"

namespace {

// A second checkMain reports what a run on a fresh object reports: the first run below fails
// G5DTW's date form (clearing verificationDateValid) and finds G5UD a proper fraction (setting
// fractionProper); in the second neither is checked for its form, yet 6017 and 6005 follow.
TEST(CheckRerun, ReportsWhatAFreshObjectReports) {
  swde_test::Sets sets[2];
  const char* forms[2][2] = {{"DN", "UL"}, {"TX", "TX"}};
  for (int i = 0; i < 2; ++i) {
    sets[i].Declare("G5DTU", "DH");
    sets[i].Declare("G5DTW", forms[i][0]);
    sets[i].Declare("G5UD", forms[i][1]);
    swde::RecordType* type = sets[i].AnnexType("G5UDZ");
    for (const char* name : {"G5DTU", "G5DTW", "G5UD"}) {
      type->addAttribute(name, name);
    }
  }
  const auto codes = [&](const std::vector<int>& runs) {
    std::unique_ptr<swde::smObject> object(swde::smObjectFactory().createObject("G5UDZ"));
    swde_test::Place(*object, 1, 1);
    swde_test::Attr(*object, "G5DTU", "G5DTU", "2005.03.02-00:00:00");
    swde_test::Attr(*object, "G5DTW", "G5DTW", "2005.0.1");
    swde_test::Attr(*object, "G5UD", "G5UD", "1/2");
    std::vector<int> out;
    for (const int run : runs) {
      object->checkMain(&sets[run].annex, &sets[run].file);
    }
    for (const swde::smError* error : object->errors) {
      out.push_back(error->code);
    }
    return out;
  };
  EXPECT_EQ(codes({1}), (std::vector<int>{6017, 6005}));
  EXPECT_EQ(codes({0, 1}), (std::vector<int>{6018, 6017, 6005}));
}

}  // namespace

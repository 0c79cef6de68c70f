// swde — semantic checks of SWDE cadastral exchange objects.
//
// A second checkMain on an object reports what a first run on a fresh object reports: the date
// and fraction flags the checks set are results of one run, not state that carries over.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/types/Smobjectfactory.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Codes;
using swde_test::Schema;

// An annex where G5DTW and G5UD have the base types given.
std::unique_ptr<Schema> annexWith(const std::string& dtw, const std::string& ud) {
  auto annex = std::make_unique<Schema>();
  annex->Declare("G5DTU", "DH");
  annex->Declare("G5DTW", dtw);
  annex->Declare("G5UD", ud);
  swde::RecordType* type = annex->Type("G5UDZ");
  for (const char* name : {"G5DTU", "G5DTW", "G5UD"}) {
    type->addAttribute(name, name);
  }
  return annex;
}

TEST(CheckRerun, ReportsWhatAFreshObjectReports) {
  // The first run fails G5DTW's date form (clearing verificationDateValid) and finds G5UD a
  // proper fraction (setting fractionProper); in the second neither is checked for its form.
  const auto first = annexWith("DN", "UL");
  const auto second = annexWith("TX", "TX");
  Schema file;
  swde::smObjectFactory factory;
  const auto make = [&] {
    std::unique_ptr<swde::smObject> object(factory.createObject("G5UDZ"));
    swde_test::Place(*object, 1, 1);
    swde_test::Attr(*object, "G5DTU", "G5DTU", "2005.03.02-00:00:00");
    swde_test::Attr(*object, "G5DTW", "G5DTW", "2005.0.1");
    swde_test::Attr(*object, "G5UD", "G5UD", "1/2");
    return object;
  };
  const auto fresh = make();
  ASSERT_TRUE(fresh->checkMain(second->get(), file.get()));
  EXPECT_EQ(Codes(*fresh), (std::vector<int>{6017, 6005}));

  const auto again = make();
  ASSERT_TRUE(again->checkMain(first->get(), file.get()));
  EXPECT_EQ(Codes(*again), (std::vector<int>{6018}));
  ASSERT_TRUE(again->checkMain(second->get(), file.get()));
  EXPECT_EQ(Codes(*again), (std::vector<int>{6018, 6017, 6005}));
}

}  // namespace

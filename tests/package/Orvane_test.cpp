// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/errors/Smerrors.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Cp1250.hpp"

namespace {

using swde::smError;

// Every test starts and ends with the package at rest (all counters 0), whether the tests run
// one per process or all in one.
class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Counters(), std::vector<int>(34, 0)); }
  void TearDown() override {
    for (int guard = 0; guard < 100 && swde::packageUnitCounter(0) < 0; ++guard) {
      swde::Finalize();
    }
  }

  static std::vector<int> Counters() {
    std::vector<int> counters;
    for (std::size_t i = 0; i < swde::packageUnitCount(); ++i) {
      counters.push_back(swde::packageUnitCounter(i));
    }
    return counters;
  }

  // The message of code 6007 as the checks make it; the catalogue decides its text.
  static std::string Message6007() {
    const swde::AnsiString args[] = {"G5DZE"};
    return smError(swde::errTypeNotDefined, smError::rsObjects, smError::rmError, 1, 2, args, 0,
                   "G5DZE")
        .message;
  }

  static std::string Message2001() { return smError(swde::errSpAttrDeclaredBefore).message; }

  static std::string Cp1250(const char* utf8) {
    swde::AnsiString out;
    EXPECT_TRUE(swde::Utf8ToCp1250(utf8, out)) << "case: " << utf8;
    return out;
  }

  const std::string built6007 = "Brak definicji rekordu G5DZE w sekcji metadanych";
  const std::string built2001 = Cp1250("Atrybut %s zadeklarowany wcześniej");
};

TEST_F(PackageTest, UnitsInInitialisationOrder) {
  const std::vector<std::string> expected = {
      "Orvane", "Smerrors", "G5pdz",          "Smattribute",     "Smrelation", "Smobject", "G5obr",
      "G5rst",  "G5jew",    "Smelemrelation", "G5osf",           "G5ins",      "G5mlz",    "G5osz",
      "G5jdr",  "G5udz",    "G5udw",          "G5jrz",           "G5dze",      "G5klu",    "G5bud",
      "G5lkl",  "G5uzg",    "G5kkl",          "G5zmn",           "G5dok",      "G5adr",    "G5pzg",
      "G5grn",  "G5dzw",    "G5udd",          "Smobjectfactory", "Smrecord",   "Smxmldef"};
  ASSERT_EQ(swde::packageUnitCount(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_NE(swde::packageUnitName(i), nullptr) << "case: unit " << i;
    EXPECT_EQ(swde::packageUnitName(i), expected[i]) << "case: unit " << i;
  }
  EXPECT_EQ(swde::packageUnitName(expected.size()), nullptr);
}

TEST_F(PackageTest, NoCatalogueBeforeInitialize) {
  EXPECT_EQ(Message6007(), "  ");
  EXPECT_EQ(swde::catalogueText(6007), "  ");
}

TEST_F(PackageTest, InitializeBuildsAndFinalizeEmpties) {
  swde::Initialize();
  EXPECT_EQ(Counters(), std::vector<int>(34, -1));
  EXPECT_EQ(Message6007(), built6007);
  EXPECT_EQ(Message2001(), built2001);

  swde::Finalize();
  EXPECT_EQ(Counters(), std::vector<int>(34, 0));
  EXPECT_EQ(Message6007(), "  ");
  for (int code = 2001; code <= 6036; ++code) {
    ASSERT_EQ(swde::catalogueText(code), "  ") << "case: " << code;
  }
}

TEST_F(PackageTest, NestedInitializeDoesTheWorkOnce) {
  swde::Initialize();
  swde::Initialize();
  EXPECT_EQ(Counters(), std::vector<int>(34, -2));
  EXPECT_EQ(Message6007(), built6007);

  swde::Finalize();
  EXPECT_EQ(Counters(), std::vector<int>(34, -1));
  EXPECT_EQ(Message6007(), built6007) << "case: one Finalize of two";
  EXPECT_EQ(Message2001(), built2001) << "case: one Finalize of two";

  swde::Finalize();
  EXPECT_EQ(Counters(), std::vector<int>(34, 0));
  EXPECT_EQ(Message6007(), "  ") << "case: second Finalize";
}

TEST_F(PackageTest, InitializeAfterFinalizeRebuilds) {
  for (int round = 1; round <= 3; ++round) {
    swde::Initialize();
    EXPECT_EQ(Message6007(), built6007) << "case: round " << round;
    EXPECT_EQ(Message2001(), built2001) << "case: round " << round;
    swde::Finalize();
    EXPECT_EQ(Message6007(), "  ") << "case: round " << round;
  }
}

// An unbalanced Finalize must not leave the counters positive, or the next Initialize would
// skip building the catalogue.
TEST_F(PackageTest, FinalizeWithoutInitializeIsHarmless) {
  swde::Finalize();
  swde::Finalize();
  EXPECT_EQ(Counters(), std::vector<int>(34, 0));
  EXPECT_EQ(Message6007(), "  ");

  swde::Initialize();
  EXPECT_EQ(Counters(), std::vector<int>(34, -1));
  EXPECT_EQ(Message6007(), built6007);
  swde::Finalize();
  EXPECT_EQ(Message6007(), "  ");
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// checkDate: empty creation and verification dates, and their order, compared as bytes only
// while both values passed their form checks.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::E;
using swde_test::Place;
using swde_test::Rendered;
using swde_test::Schema;
using swde_test::Shown;
using Lines = std::vector<std::string>;
using Value = std::optional<std::string>;

const std::string k6003 = E(6003, 0, 11, 12, "G5DZE", {"G5DZE"});
const std::string k6004 = E(6004, 0, 21, 22, "G5DZE", {"G5DZE"});
const std::string k6005 = E(6005, 0, 21, 22, "G5DZE", {"G5DZE"});

struct DateRow {
  Value creation;      // G5DTU, absent when empty
  Value verification;  // G5DTW, absent when empty
  bool creationValid;
  bool verificationValid;
  Lines errors;
};

std::string Describe(const DateRow& row) {
  return "G5DTU " + (row.creation ? Shown(*row.creation) : std::string("absent")) + " G5DTW " +
         (row.verification ? Shown(*row.verification) : std::string("absent")) + " flags " +
         std::to_string(row.creationValid) + std::to_string(row.verificationValid);
}

TEST(CheckDate, Table) {
  const std::vector<DateRow> rows = {
      {std::nullopt, std::nullopt, true, true, {}},
      {std::nullopt, "", true, true, {}},
      {std::nullopt, ";", true, true, {}},
      {"", std::nullopt, true, true, {k6003}},
      {";", std::nullopt, true, true, {k6003}},
      {"", "", true, true, {k6003, k6004}},
      {";", ";", true, true, {k6003, k6004}},
      {"", "2005.03.01", true, true, {k6003}},
      {"2005.03.02-00:00:00", "", true, true, {k6004}},
      {"2005.03.02-00:00:00", ";", true, true, {k6004}},
      {"2005.03.02-00:00:00", std::nullopt, true, true, {}},
      {"2005.03.01-10:00:00", "2005.03.01", true, true, {}},
      {"2005.03.02-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.01-23:59:59", "2005.03.02", true, true, {}},
      {"2006.01.01-00:00:00", "2005.12.31", true, true, {k6005}},
      {"2005.03.02-00:00:00", "2005.03.01", false, true, {}},
      {"2005.03.02-00:00:00", "2005.03.01", true, false, {}},
      {"2005.03.02-00:00:00", "2005.03.01", false, false, {}},
      // Blanks are not empty; without a "-" nothing is compared.
      {" ", "2005.03.01", true, true, {}},
      {"20050302", "2005.03.01", true, true, {}},
      {"2005.03.02", "2005.03.01", true, true, {}},
      {"2005.03.02", " ", true, true, {}},
      // The creation day is the trimmed text before the first "-"; the verification date is
      // taken as it stands.
      {" 2005.03.02\t-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.01-00:00:00", "2005.03.01 ", true, true, {}},
      {"2005.03.01-00:00:00", " 2005.03.01", true, true, {k6005}},
      {"2005.03.01-00:00:00", "2005.03.0", true, true, {k6005}},
      {"2005.03.0-00:00:00", "2005.03.01", true, true, {}},
      {"-2005.03.02", "2005.03.01", true, true, {}},
      {"2005.03.02--", "2005.03.01", true, true, {k6005}},
      // Bytes compare unsigned: 0xB9 ("ą") sorts after every digit.
      {"2005.03.0\xB9-00:00:00", "2005.03.01", true, true, {k6005}},
      {"2005.03.01-00:00:00", "2005.03.0\xB9", true, true, {}},
  };
  for (const DateRow& row : rows) {
    Schema annex;
    swde::smObject object("G5DZE");
    object.annexMetadata = annex.get();
    Place(object, 1, 2);
    if (row.creation) {
      Attr(object, "G5DTU", "", *row.creation, 11, 12);
    }
    if (row.verification) {
      Attr(object, "G5DTW", "", *row.verification, 21, 22);
    }
    object.creationDateValid = row.creationValid;
    object.verificationDateValid = row.verificationValid;
    object.checkDate();
    EXPECT_EQ(Rendered(object), row.errors) << Describe(row);
  }
}

// The entries are found by name: a G5DTU code filed under another name is not the creation
// date, and of two G5DTW entries the first added counts.
TEST(CheckDate, EntriesFoundByName) {
  {
    swde::smObject object("G5DZE");
    Attr(object, "G5DTU", "DATA", "", 11, 12);
    Attr(object, "G5DTW", "", "", 21, 22);
    object.checkDate();
    EXPECT_EQ(Rendered(object), Lines{}) << "G5DTU under another name";
  }
  {
    swde::smObject object("G5DZE");
    Attr(object, "X", "G5DTU", "2005.03.02-00:00:00", 11, 12);
    Attr(object, "G5DTW", "", "2005.03.01", 21, 22);
    Attr(object, "G5DTW", "", "2005.03.03", 31, 32);
    object.checkDate();
    EXPECT_EQ(Rendered(object), Lines{k6005}) << "first G5DTW";
  }
}

// Through checkMain: the form checks clear the flags that block the comparison; 6005 carries
// the G5DTW entry's location.
TEST(CheckDate, FlagsFromTheValueStep) {
  struct Row {
    std::string creation;
    std::string verification;
    Lines errors;
  };
  const std::vector<Row> rows = {
      {"2005.03.02-00:00:00", "2005.03.01", {k6005}},
      {"2005.03.02-00:00:00", "2005.3.1", {E(6018, 0, 21, 22, "G5DZE", {"G5DTW", "G5DZE"})}},
      {"2005.03.02 00:00-00", "2005.03.01", {E(6020, 0, 11, 12, "G5DZE", {"G5DTU", "G5DZE"})}},
      // A ";" is reported on its own and clears no flag; G5DTW ";" is empty for checkDate.
      {"2005.03.02-00:00:00",
       "2005.03.01;",
       {E(6033, 0, 21, 22, "G5DZE", {"G5DTW", "G5DZE"}), k6005}},
      {"2005.03.02-00:00:00", ";", {E(6033, 0, 21, 22, "G5DZE", {"G5DTW", "G5DZE"}), k6004}},
      {";", "2005.03.01", {E(6033, 0, 11, 12, "G5DZE", {"G5DTU", "G5DZE"}), k6003}},
  };
  for (const Row& row : rows) {
    Schema annex;
    Schema file;
    swde::RecordType* type = annex.Type("G5DZE");
    type->addAttribute("G5DTU", "G5DTU");
    type->addAttribute("G5DTW", "G5DTW");
    annex.Declare("G5DTU", "DH");
    annex.Declare("G5DTW", "DN");
    swde::smObject object("G5DZE");
    Place(object, 1, 2);
    Attr(object, "G5DTU", "", row.creation, 11, 12);
    Attr(object, "G5DTW", "", row.verification, 21, 22);
    EXPECT_TRUE(object.checkMain(annex.get(), file.get()));
    EXPECT_EQ(Rendered(object), row.errors)
        << "G5DTU " << Shown(row.creation) << " G5DTW " << Shown(row.verification);
  }
}

}  // namespace

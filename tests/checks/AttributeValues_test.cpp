// swde — semantic checks of SWDE cadastral exchange objects.
//
// checkAttribute: the dispatch on the base type code, the ";" rule, the accepted and rejected
// forms of every base type (lengths and positions on the raw value, the sign test before the
// field reads, the separators last) and the two date flags.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smobject.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

using swde_test::Attr;
using swde_test::E;
using swde_test::HookProbe;
using swde_test::Rendered;
using swde_test::Schema;
using swde_test::Shown;
using Lines = std::vector<std::string>;

struct Outcome {
  Lines errors;
  Lines hooked;
  bool creationDateValid;
  bool verificationDateValid;
};

// Checks one value in an object whose annex defines nothing, so that every value handed on to
// the value-range check reaches the per-type hook at once.
Outcome CheckValue(const std::string& baseType, const std::string& value,
                   const std::string& code = "ATR", const std::string& name = "") {
  Schema annex;
  Schema file;
  HookProbe object("G5TST");
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  swde::smAttribute* attribute = Attr(object, code, name, value, 41, 42);
  object.checkAttribute(baseType, attribute);
  return {Rendered(object), object.hooked, object.creationDateValid, object.verificationDateValid};
}

struct FormRow {
  std::string baseType;
  std::string value;
  int code;  // 0: accepted and handed on
};

void ExpectForms(const std::vector<FormRow>& rows) {
  for (const FormRow& row : rows) {
    const Outcome outcome = CheckValue(row.baseType, row.value);
    const std::string where = row.baseType + " " + Shown(row.value);
    if (row.code == 0) {
      EXPECT_EQ(outcome.errors, Lines{}) << where;
      EXPECT_EQ(outcome.hooked, Lines{"ATR=" + row.value}) << where;
    } else {
      EXPECT_EQ(outcome.errors, Lines{E(row.code, 0, 41, 42, "G5TST", {"ATR", "G5TST"})}) << where;
      EXPECT_EQ(outcome.hooked, Lines{}) << where;
    }
  }
}

TEST(CheckAttribute, RealNumbers) {
  ExpectForms({
      {"FL", "12.5", 0},      {"FL", "-3", 0},        {"FL", "+7", 0},      {"FL", ".5", 0},
      {"FL", "5.", 0},        {"FL", "1e5", 0},       {"FL", "1.5E-3", 0},  {"FL", "1 000.5", 0},
      {"FL", " 12.5 ", 0},    {"FL", "\t12.5", 0},    {"FL", "1e999", 0},   {"FL", "1E+5", 0},
      {"FL", "- 3", 0},       {"FL", "1 e 5", 0},     {"FL", "   ", 0},     {"FL", "", 0},
      {"FL", "-.5e-3", 0},    {"FL", "0", 0},         {"FL", "12,5", 6013}, {"FL", "1x", 6013},
      {"FL", "1.2.3", 6013},  {"FL", "0,5", 6013},    {"FL", "-", 6013},    {"FL", ".", 6013},
      {"FL", "12.5\t", 6013}, {"FL", "1e", 6013},     {"FL", "e5", 6013},   {"FL", "+-1", 6013},
      {"FL", "1e5.0", 6013},  {"FL", "12.5\n", 6013}, {"FL", "1.5E", 6013}, {"FL", "--1", 6013},
      {"FL", "abc", 6013},    {"FL", "1e+", 6013},    {"FL", "1;5", 6033},  {"FL", ";", 6033},
      {"FL", " ;", 6033},     {"FL", "x;", 6033},
  });
}

TEST(CheckAttribute, Integers) {
  ExpectForms({
      {"NO", "123", 0},
      {"NO", "-5", 0},
      {"NO", "+5", 0},
      {"NO", "0", 0},
      {"NO", "007", 0},
      {"NO", "9223372036854775807", 0},
      {"NO", "-9223372036854775808", 0},
      {"NO", "", 0},
      {"NO", "12a", 6014},
      {"NO", "1.0", 6014},
      {"NO", "   ", 6014},
      {"NO", "9223372036854775808", 6014},
      {"NO", "-9223372036854775809", 6014},
      {"NO", "+", 6014},
      {"NO", "-", 6014},
      {"NO", "1 2", 6014},
      {"NO", "abc", 6014},
      {"NO", "1e3", 6014},
      {"NO", "1;2", 6033},
      {"NO", ";", 6033},
  });
}

TEST(CheckAttribute, Logicals) {
  ExpectForms({
      {"LN", "1", 0},
      {"LN", "0", 0},
      {"LN", " 1", 0},
      {"LN", "0 ", 0},
      {"LN", "\t1\r\n", 0},
      {"LN", "", 0},
      {"LN", "2", 6015},
      {"LN", "1.0", 6015},
      {"LN", "01", 6015},
      {"LN", "true", 6015},
      {"LN", "T", 6015},
      {"LN", "   ", 6015},
      {"LN", "10", 6015},
      {"LN", "-1", 6015},
      {"LN", "+1", 6015},
      {"LN", "1 1", 6015},
      {"LN", "1;", 6033},
      {"LN", ";", 6033},
  });
}

// The fraction branch runs for the empty value too; its own report comes from the fraction
// check (more cases with the value-range tests).
TEST(CheckAttribute, Fractions) {
  ExpectForms({
      {"UL", "", 0},
      {"UL", "   ", 0},
      {"UL", "1/2", 0},
      {"UL", "7", 0},
      {"UL", "3/2", 0},
      {"UL", "1/2/3", 0},
      {"UL", "+1/-2", 0},
      {"UL", "1/2/3/4", 6016},
      {"UL", "x", 6016},
      {"UL", "1//2", 6016},
      {"UL", "1-2", 6016},
      {"UL", "1;2", 6033},
      {"UL", "1/2;", 6033},
  });
}

TEST(CheckAttribute, Dates) {
  ExpectForms({
      {"DN", "2005.01.01", 0},    {"DN", "2005.13.45", 0},      {"DN", "2a05.01.01", 0},
      {"DN", "2005. 1. 1", 0},    {"DN", "2005.1 .1 ", 0},      {"DN", " 005.01.01", 0},
      {"DN", "2005.01.0x", 0},    {"DN", "\t005.01.01", 0},     {"DN", "0000.00.00", 0},
      {"DN", "2005.0a.01", 0},    {"DN", "2005.01.\n1", 0},     {"DN", "", 0},
      {"DN", "a005.01.01", 6018}, {"DN", " 2005.01.01", 6018},  {"DN", "2005.01.1", 6018},
      {"DN", "2005-01-01", 6018}, {"DN", "2005.-1.01", 6018},   {"DN", "2005/01/01", 6018},
      {"DN", "          ", 6018}, {"DN", "+005.01.01", 6018},   {"DN", "2005.  .01", 6018},
      {"DN", "2005x01x01", 6018}, {"DN", "2005.01.01 ", 6018},  {"DN", "2005.01.+1", 6018},
      {"DN", "2005.a1.01", 6018}, {"DN", "2005.01.01-", 6018},  {"DN", "2005.01-01", 6018},
      {"DN", "200-.01.01", 6018}, {"DN", "2005.01.01\n", 6018}, {"DN", "   ", 6018},
      {"DN", "2005;01;01", 6033}, {"DN", "2005.01.0;", 6033},   {"DN", ";", 6033},
  });
}

TEST(CheckAttribute, Times) {
  ExpectForms({
      {"HR", "12:30:00", 0},          {"HR", "12:30:00.12345", 0},
      {"HR", "99:99:99", 0},          {"HR", " 2:30:00", 0},
      {"HR", "12:30:0a", 0},          {"HR", "12:30:00.1234a", 0},
      {"HR", "00:00:00.00000", 0},    {"HR", "12:3a:00", 0},
      {"HR", "1a:30:00", 0},          {"HR", "", 0},
      {"HR", "        ", 0},          {"HR", "\t", 0},
      {"HR", "12:30", 6019},          {"HR", "12:30:00.1", 6019},
      {"HR", "12.30.00", 6019},       {"HR", "12:30:00,12345", 6019},
      {"HR", "-1:30:00", 6019},       {"HR", "12:30:a0", 6019},
      {"HR", "12:30:00 ", 6019},      {"HR", "12:30:00.a2345", 6019},
      {"HR", "12:30:00.-1234", 6019}, {"HR", "12:30:00.+1234", 6019},
      {"HR", "a1:30:00", 6019},       {"HR", "12:30:00.     ", 6019},
      {"HR", "12:30:00:12345", 6019}, {"HR", "  :30:00", 6019},
      {"HR", "12:30:00.1234", 6019},  {"HR", "12:30:00.123456", 6019},
      {"HR", "12;30;00", 6033},       {"HR", ";", 6033},
  });
}

TEST(CheckAttribute, DatesAndTimes) {
  ExpectForms({
      {"DH", "2005.01.01-12:30:00", 0},
      {"DH", "2005.01.01-12:30:00.00000", 0},
      {"DH", "2005.13.45-25:61:61", 0},
      {"DH", "2005. 1. 1- 1: 2: 3", 0},
      {"DH", "2a05.01.01-1a:30:00", 0},
      {"DH", "2005.01.01-12:30:00.0000a", 0},
      {"DH", "", 0},
      {"DH", "   ", 0},
      {"DH", "2005.01.01 12:30:00", 6020},
      {"DH", "2005.01.01-12:30", 6020},
      {"DH", "2005.01.01-12:30:00.0", 6020},
      {"DH", "2005-01-01-12:30:00", 6020},
      {"DH", "2005.01.01T12:30:00", 6020},
      {"DH", "2005.01.01-12.30.00", 6020},
      {"DH", "2005.01.01-12:30:00,00000", 6020},
      {"DH", "2005.01.01--1:30:00", 6020},
      {"DH", "2005.01.01-12:30:00.-0000", 6020},
      {"DH", "2005.01.01-12:30:00.a0000", 6020},
      {"DH", "a005.01.01-12:30:00", 6020},
      {"DH", "2005.01.01-12:30:00 ", 6020},
      {"DH", " 2005.01.01-12:30:00", 6020},
      {"DH", "2005.01.01-12:30:+0", 6020},
      {"DH", "2005.01.01-12:30:00;", 6033},
      {"DH", ";", 6033},
  });
}

// Codes outside the seven keywords, or written otherwise, have no form rule: the value goes on
// unexamined, ";" included.
TEST(CheckAttribute, OtherBaseTypesHaveNoFormRule) {
  ExpectForms({
      {"dn", "x", 0},
      {"XX", "x;", 0},
      {" DN", "x", 0},
      {"DN ", "x", 0},
      {"", "x;", 0},
      {"fl", "abc", 0},
      {"Dh", "x", 0},
      {"TX", ";", 0},
      {"no", "abc", 0},
  });
}

// The documented example: the report names the entry and the object, carries the entry's
// location and clears the verification flag.
TEST(CheckAttribute, MalformedVerificationDateReport) {
  Schema annex;
  Schema file;
  swde::smObject object("G5DZE");
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  swde::smAttribute* attribute = Attr(object, "G5DTW", "G5DTW", "2005/01/01", 17, 23);
  object.checkAttribute("DN", attribute);
  EXPECT_EQ(Rendered(object), Lines{E(6018, 0, 17, 23, "G5DZE", {"G5DTW", "G5DZE"})});
  EXPECT_FALSE(object.verificationDateValid);
  EXPECT_TRUE(object.creationDateValid);
}

// Only a malformed DN of G5DTW and a malformed DH of G5DTU clear a flag; the code decides,
// compared trimmed; a ";" report clears nothing.
TEST(CheckAttribute, DateFlags) {
  struct Row {
    std::string baseType;
    std::string code;
    std::string name;
    std::string value;
    bool creation;
    bool verification;
  };
  const std::vector<Row> rows = {
      {"DN", "G5DTW", "", "2005/01/01", true, false},
      {"DN", " G5DTW", "", "2005/01/01", true, false},
      {"DN", "G5DTW\t", "", "2005/01/01", true, false},
      {"DN", "G5DTW", "Y", "2005/01/01", true, false},
      {"DN", "X", "G5DTW", "2005/01/01", true, true},
      {"DN", "g5dtw", "", "2005/01/01", true, true},
      {"DN", "G5DTW", "", "2005;01;01", true, true},
      {"DN", "G5DTW", "", "2005.01.01", true, true},
      {"DN", "G5DTW", "", "", true, true},
      {"DN", "G5DTU", "", "2005/01/01", true, true},
      {"DH", "G5DTU", "", "2005.01.01 12:30:00", false, true},
      {"DH", " G5DTU\t", "", "2005.01.01 12:30:00", false, true},
      {"DH", "G5DTU", "Y", "2005.01.01 12:30:00", false, true},
      {"DH", "X", "G5DTU", "2005.01.01 12:30:00", true, true},
      {"DH", "G5DTU", "", ";", true, true},
      {"DH", "G5DTU", "", "2005.01.01-12:30:00", true, true},
      {"DH", "G5DTW", "", "2005.01.01 12:30:00", true, true},
      {"HR", "G5DTU", "", "bad", true, true},
      {"HR", "G5DTW", "", "bad", true, true},
      {"NO", "G5DTW", "", "x", true, true},
      {"NO", "G5DTU", "", "x", true, true},
      {"FL", "G5DTW", "", "x", true, true},
      {"LN", "G5DTU", "", "x", true, true},
      {"UL", "G5DTU", "", "x", true, true},
  };
  for (const Row& row : rows) {
    const Outcome outcome = CheckValue(row.baseType, row.value, row.code, row.name);
    const std::string where = row.baseType + " code " + Shown(row.code) + " name " +
                              Shown(row.name) + " " + Shown(row.value);
    EXPECT_EQ(outcome.creationDateValid, row.creation) << where;
    EXPECT_EQ(outcome.verificationDateValid, row.verification) << where;
  }
}

TEST(CheckAttribute, ClearedFlagsStayCleared) {
  Schema annex;
  Schema file;
  swde::smObject object("G5DZE");
  object.annexMetadata = annex.get();
  object.fileMetadata = file.get();
  swde::smAttribute* dtw = Attr(object, "G5DTW", "", "bad", 1, 1);
  swde::smAttribute* dtu = Attr(object, "G5DTU", "", "bad", 2, 2);
  object.checkAttribute("DN", dtw);
  object.checkAttribute("DH", dtu);
  EXPECT_FALSE(object.verificationDateValid);
  EXPECT_FALSE(object.creationDateValid);
  dtw->value = "2005.01.01";
  dtu->value = "2005.01.01-00:00:00";
  object.checkAttribute("DN", dtw);
  object.checkAttribute("DH", dtu);
  EXPECT_FALSE(object.verificationDateValid);
  EXPECT_FALSE(object.creationDateValid);
  EXPECT_EQ(swde_test::Codes(object), (std::vector<int>{6018, 6020}));
}

}  // namespace

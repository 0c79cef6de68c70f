// swde — semantic checks of SWDE cadastral exchange objects.
//
// The message catalogue and the five constructors of smError.

#include <string>
#include <vector>

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

// One line of a record: code|section|msgType|line|id|typeName|message (in UTF-8).
std::string Dump(const smError& e) {
  return std::to_string(e.code) + "|" + std::to_string(e.section) + "|" +
         std::to_string(e.msgType) + "|" + std::to_string(e.line) + "|" + std::to_string(e.id) +
         "|" + e.typeName + "|" + swde::Cp1250ToUtf8(e.message);
}

// The fields each constructor sets. Constructor 3 formats the caller's text with every element
// of the list but the last; 4 and 5 format the catalogue's text when given a list.
TEST(Constructors, FieldsSetByEach) {
  const swde::AnsiString args[] = {"G5KOD", "%s", "LAST"};
  const std::string text = "Brak wymaganego atrybutu %s w rekordzie %s";
  const smError::ReportMsgType warning = smError::rmWarning;
  const struct {
    smError error;
    std::string dump;
  } rows[] = {
      // clang-format off
      {smError(swde::errMissingAttr), "6008|0|0|0|0||" + text},
      {smError(swde::errMissingAttr, smError::rsObjects, warning, 4000000000u, 4294967295u, "X"), "6008|49|1|4000000000|4294967295|X|" + text},
      {smError(17u, swde::sxSO, swde::errMissingAttr, "own %s %s", args, 2), "6008|0|0|17|0||own G5KOD %s"},
      {smError(17u, swde::sxSO, swde::errMissingAttr, "own %s", nullptr, -1), "6008|0|0|17|0||own %s"},
      {smError(swde::errMissingAttr, args, 2), "6008|0|0|0|0||Brak wymaganego atrybutu G5KOD w rekordzie %s"},
      {smError(swde::errMissingAttr, nullptr, 1), "6008|0|0|0|0||" + text},
      {smError(Code(6037), smError::rsObjects, warning, 7, 8, nullptr, 5, "Z"), "6037|49|1|7|8|Z|  "},
      {smError(swde::errPostalCode, smError::rsObjects, smError::rmError, 12, 34, args, 0, "Y"),
       "6028|49|0|12|34|Y|Niepoprawny format kodu pocztowego w rekordzie G5KOD"},
      // clang-format on
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Dump(row.error), row.dump);
  }
  EXPECT_THROW(smError(1u, swde::sxST, swde::errMissingAttr, "%s %s", args, 1),
               swde::EConvertError);
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/platform/Sysutils.hpp"

namespace {

using swde::AnsiString;
using swde::EConvertError;

// Printable form of a test input: control and upper-half bytes as \xNN.
std::string Show(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// ---------------------------------------------------------------------------------------------
// Trim

struct TrimCase {
  std::string input;
  std::string expected;
};

TEST(Trim, RemovesCodesZeroToThirtyTwoAtBothEnds) {
  const TrimCase cases[] = {
      {"", ""},
      {"a", "a"},
      {"  a ", "a"},
      {"\t\r\n a b \v\f", "a b"},
      {std::string("\0\x01\x1F x\0", 6), "x"},
      {std::string("\x20\x1F\x10\x01\x00", 5), ""},
      {"   ", ""},
      {" a  b ", "a  b"},
      // Code 33 and up stay, also the upper-half bytes (no signed-char comparison).
      {"!x!", "!x!"},
      {"\x7F"
       "x\x7F",
       "\x7F"
       "x\x7F"},
      {"\xA0x\xA0", "\xA0x\xA0"},
      {" \xB3\xB9 ", "\xB3\xB9"},
      {"\x80 \xFF", "\x80 \xFF"},
  };
  for (const TrimCase& c : cases) {
    EXPECT_EQ(swde::Trim(c.input), c.expected) << "case: " << Show(c.input);
    EXPECT_EQ(swde::TrimView(c.input), c.expected) << "case: " << Show(c.input);
  }
}

TEST(Trim, ViewPointsIntoTheInput) {
  const std::string text = "  abc ";
  const std::string_view view = swde::TrimView(text);
  EXPECT_EQ(view.data(), text.data() + 2);
  EXPECT_EQ(view.size(), 3u);
}

// ---------------------------------------------------------------------------------------------
// StrToInt, StrToInt64 and their non-throwing forms: one table for all four.

struct IntCase {
  std::string text;
  std::optional<std::int32_t> as32;  // nullopt: rejected
  std::optional<std::int64_t> as64;
};

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

const IntCase kIntCases[] = {
    {"0", 0, 0},
    {"-0", 0, 0},
    {"+0", 0, 0},
    {"7", 7, 7},
    {"+123", 123, 123},
    {"-123", -123, -123},
    {"007", 7, 7},
    {"00000000002147483647", kMax32, kMax32},
    {"2147483647", kMax32, kMax32},
    {"+2147483647", kMax32, kMax32},
    {"-2147483648", kMin32, kMin32},
    {"2147483648", std::nullopt, 2147483648LL},
    {"-2147483649", std::nullopt, -2147483649LL},
    {"4294967295", std::nullopt, 4294967295LL},
    {"4294967296", std::nullopt, 4294967296LL},
    {"9223372036854775807", std::nullopt, kMax64},
    {"-9223372036854775808", std::nullopt, kMin64},
    {"9223372036854775808", std::nullopt, std::nullopt},
    {"-9223372036854775809", std::nullopt, std::nullopt},
    {"18446744073709551616", std::nullopt, std::nullopt},
    {"99999999999999999999", std::nullopt, std::nullopt},
    {"", std::nullopt, std::nullopt},
    {"+", std::nullopt, std::nullopt},
    {"-", std::nullopt, std::nullopt},
    {" 1", std::nullopt, std::nullopt},
    {"1 ", std::nullopt, std::nullopt},
    {"\t1", std::nullopt, std::nullopt},
    {"1\n", std::nullopt, std::nullopt},
    {"0x10", std::nullopt, std::nullopt},
    {"1e3", std::nullopt, std::nullopt},
    {"1.0", std::nullopt, std::nullopt},
    {"1,000", std::nullopt, std::nullopt},
    {"--1", std::nullopt, std::nullopt},
    {"+-1", std::nullopt, std::nullopt},
    {"- 1", std::nullopt, std::nullopt},
    {"1-", std::nullopt, std::nullopt},
    {"12a", std::nullopt, std::nullopt},
    {"a12", std::nullopt, std::nullopt},
    {std::string("1\0", 2), std::nullopt, std::nullopt},
    {"\xB3", std::nullopt, std::nullopt},
};

TEST(StrToInt, AcceptsSignAndDigitsWithinRangeOnly) {
  for (const IntCase& c : kIntCases) {
    if (c.as32) {
      EXPECT_EQ(swde::StrToInt(c.text), *c.as32) << "case: " << Show(c.text);
    } else {
      EXPECT_THROW(swde::StrToInt(c.text), EConvertError) << "case: " << Show(c.text);
    }
  }
}

TEST(StrToInt64, AcceptsSignAndDigitsWithinRangeOnly) {
  for (const IntCase& c : kIntCases) {
    if (c.as64) {
      EXPECT_EQ(swde::StrToInt64(c.text), *c.as64) << "case: " << Show(c.text);
    } else {
      EXPECT_THROW(swde::StrToInt64(c.text), EConvertError) << "case: " << Show(c.text);
    }
  }
}

TEST(TryStrToInt, DecidesAsTheThrowingFormAndKeepsOutOnFailure) {
  for (const IntCase& c : kIntCases) {
    std::int32_t out = 4242;
    EXPECT_EQ(swde::TryStrToInt(c.text, out), c.as32.has_value()) << "case: " << Show(c.text);
    EXPECT_EQ(out, c.as32.value_or(4242)) << "case: " << Show(c.text);
  }
}

TEST(TryStrToInt64, DecidesAsTheThrowingFormAndKeepsOutOnFailure) {
  for (const IntCase& c : kIntCases) {
    std::int64_t out = -4242;
    EXPECT_EQ(swde::TryStrToInt64(c.text, out), c.as64.has_value()) << "case: " << Show(c.text);
    EXPECT_EQ(out, c.as64.value_or(-4242)) << "case: " << Show(c.text);
  }
}

// ---------------------------------------------------------------------------------------------
// FieldRead: the scanf("%ld") read of one field into a 32-bit long.

struct FieldCase {
  std::string field;
  std::optional<std::int32_t> value;  // nullopt: nothing can be read
};

TEST(FieldRead, ReadsLikeScanfLongIntoThirtyTwoBits) {
  const FieldCase cases[] = {
      {"123", 123},
      {"+5", 5},
      {"-5", -5},
      {"0001", 1},
      {"   -0", 0},
      {"  42", 42},
      {" \t\n\v\f\r7", 7},
      {"12abc", 12},
      {"12 34", 12},
      {"1.5", 1},
      {"0x10", 0},
      {"7-", 7},
      {"2147483647", kMax32},
      {"-2147483648", kMin32},
      {"2147483648", kMax32},
      {"-2147483649", kMin32},
      {"99999999999999999999999", kMax32},
      {"-99999999999999999999999", kMin32},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"abc", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"+ 1", std::nullopt},
      {"- 1", std::nullopt},
      {"--1", std::nullopt},
      {"+-1", std::nullopt},
      {".5", std::nullopt},
      // Only the six white-space characters of the C locale are skipped; other codes up to 32
      // are not (unlike Trim), nor the CP1250 no-break space.
      {"\x01"
       "5",
       std::nullopt},
      {"\x1F"
       "5",
       std::nullopt},
      {std::string("\0"
                   "5",
                   2),
       std::nullopt},
      {"\xA0"
       "5",
       std::nullopt},
  };
  for (const FieldCase& c : cases) {
    std::int32_t out = 31337;
    EXPECT_EQ(swde::FieldRead(c.field, &out), c.value.has_value()) << "case: " << Show(c.field);
    if (c.value) {
      EXPECT_EQ(out, *c.value) << "case: " << Show(c.field);
    }
    EXPECT_EQ(swde::FieldRead(c.field), c.value.has_value()) << "case: " << Show(c.field);
  }
}

// ---------------------------------------------------------------------------------------------
// Format

struct FormatCase {
  std::string format;
  std::vector<AnsiString> args;
  std::optional<std::string> expected;  // nullopt: EConvertError
};

TEST(Format, SubstitutesPlaceholdersInOrder) {
  const FormatCase cases[] = {
      {"", {}, ""},
      {"plain", {}, "plain"},
      {"plain", {"unused"}, "plain"},
      {"a%sb", {"X"}, "aXb"},
      {"%s%s", {"1", "2"}, "12"},
      {"%s-%s", {"a", "b", "c"}, "a-b"},
      {"%s", {""}, ""},
      {"100%%", {}, "100%"},
      {"%%s", {"x"}, "%s"},
      {"%%%s", {"x"}, "%x"},
      {"50%", {}, "50%"},
      {"%d %s", {"x"}, "%d x"},
      // An argument is inserted as it stands, never scanned again.
      {"%s", {"%s"}, "%s"},
      {"%s%s", {"%s", "b"}, "%sb"},
      {"<%s>", {std::string("a\0b", 3)}, std::string("<a\0b>", 5)},
      {"'%s'", {"\xB3\xB9"}, "'\xB3\xB9'"},
      {"%s %s", {"a"}, std::nullopt},
      {"%s", {}, std::nullopt},
      {"%s%%%s", {"a"}, std::nullopt},
  };
  for (const FormatCase& c : cases) {
    const int high = static_cast<int>(c.args.size()) - 1;
    if (c.expected) {
      EXPECT_EQ(swde::Format(c.format, c.args.data(), high), *c.expected)
          << "case: " << Show(c.format) << " with " << c.args.size() << " args";
    } else {
      EXPECT_THROW(swde::Format(c.format, c.args.data(), high), EConvertError)
          << "case: " << Show(c.format) << " with " << c.args.size() << " args";
    }
  }
}

TEST(Format, ListFormsAgree) {
  EXPECT_EQ(swde::Format("%s/%s", {"a", "b", "c"}), "a/b");
  EXPECT_THROW(swde::Format("%s/%s", {"a"}), EConvertError);
  EXPECT_EQ(swde::Format("none", nullptr, -1), "none");
  EXPECT_THROW(swde::Format("%s", nullptr, -1), EConvertError);
  const AnsiString args[] = {"first", "second"};
  EXPECT_EQ(swde::Format("%s", args, 0), "first");
  EXPECT_THROW(swde::Format("%s%s", args, 0), EConvertError);
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The runtime layer: trimming, the integer conversions and the scanf-like field read, Format,
// the CP1250 <-> UTF-8 conversions, and text escaped for a report.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/platform/Bytes.hpp"
#include "swde/platform/Sysutils.hpp"

#include "Support.hpp"

namespace {

using swde::AnsiString;
using swde::EConvertError;
using swde_test::Shown;

TEST(Trim, RemovesCodesZeroToThirtyTwoAtBothEnds) {
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {"", ""}, {"a", "a"}, {"\t\r\n a b \v\f", "a b"},
      {std::string("\0\x01\x1F x\0", 6), "x"}, {std::string("\x20\x1F\x10\x01\x00", 5), ""},
      {"!x!", "!x!"},
      {"\x7Fx\xA0", "\x7Fx\xA0"}, {" \xB3\xB9 ", "\xB3\xB9"}, {"\x80 \xFF", "\x80 \xFF"},
  };
  // clang-format on
  for (const auto& [input, expected] : rows) {
    EXPECT_EQ(swde::Trim(input), expected) << Shown(input);
    EXPECT_EQ(swde::TrimView(input), expected) << Shown(input);
  }
}

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

// StrToInt, StrToInt64 and their non-throwing forms decide alike: an optional sign, then
// decimal digits and nothing else, within range.
TEST(StrToInt, AllFourFormsDecideAlike) {
  const std::optional<std::int32_t> no;
  // clang-format off
  const struct {
    std::string text;
    std::optional<std::int32_t> as32;  // nullopt: rejected
    std::optional<std::int64_t> as64;
  } rows[] = {
      {"-0", 0, 0}, {"+123", 123, 123}, {"-123", -123, -123},
      {"2147483647", kMax32, kMax32}, {"-2147483648", kMin32, kMin32},
      {"2147483648", no, 2147483648LL}, {"-2147483649", no, -2147483649LL},
      {"9223372036854775807", no, std::numeric_limits<std::int64_t>::max()},
      {"-9223372036854775808", no, std::numeric_limits<std::int64_t>::min()},
      {"9223372036854775808", no, no}, {"-9223372036854775809", no, no}, {"", no, no},
      {"+", no, no}, {"-", no, no}, {" 1", no, no}, {"1 ", no, no}, {"+-1", no, no}, {"1-", no, no},
      {"/", no, no}, {":", no, no}, {std::string("1\0", 2), no, no},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(Shown(row.text));
    std::int32_t out32 = 4242;
    std::int64_t out64 = -4242;
    EXPECT_EQ(swde::TryStrToInt(row.text, out32), row.as32.has_value());
    EXPECT_EQ(out32, row.as32.value_or(4242));
    EXPECT_EQ(swde::TryStrToInt64(row.text, out64), row.as64.has_value());
    EXPECT_EQ(out64, row.as64.value_or(-4242));
    if (row.as32) {
      EXPECT_EQ(swde::StrToInt(row.text), *row.as32);
    } else {
      EXPECT_THROW(swde::StrToInt(row.text), EConvertError);
    }
    if (row.as64) {
      EXPECT_EQ(swde::StrToInt64(row.text), *row.as64);
    } else {
      EXPECT_THROW(swde::StrToInt64(row.text), EConvertError);
    }
  }
}

// scanf("%ld") into a 32-bit long: white space, a sign, at least one digit; the rest is not
// looked at; out-of-range values saturate. Nothing can be read from the other fields.
TEST(FieldRead, ReadsLikeScanfLong) {
  // clang-format off
  const std::pair<std::string, std::int32_t> rows[] = {
      {"123", 123}, {"-5", -5}, {" \t\n\v\f\r+7", 7}, {"12abc", 12}, {"0x10", 0}, {"9", 9},
      {"2147483647", kMax32}, {"-2147483648", kMin32}, {"2147483648", kMax32},
      {"-2147483649", kMin32}, {"99999999999999999999999", kMax32},
      {"-99999999999999999999999", kMin32}};
  // clang-format on
  for (const auto& [field, value] : rows) {
    std::int32_t out = 31337;
    EXPECT_TRUE(swde::FieldRead(field, &out)) << Shown(field);
    EXPECT_EQ(out, value) << Shown(field);
    EXPECT_TRUE(swde::FieldRead(field)) << Shown(field);
  }
  for (const std::string& field :
       std::vector<std::string>{"", "   ", "+", "- 1", "--1", ".5", "/", ":", "\0015", "\2405",
                                std::string("\0005", 2)}) {
    std::int32_t out = 31337;
    EXPECT_FALSE(swde::FieldRead(field, &out)) << Shown(field);
    EXPECT_EQ(out, 31337);
  }
}

TEST(Format, SubstitutesPlaceholdersInOrder) {
  // clang-format off
  const struct {
    std::string format;
    std::vector<AnsiString> args;
    std::optional<std::string> expected;  // nullopt: EConvertError
  } rows[] = {
      {"", {}, ""}, {"plain", {"unused"}, "plain"}, {"a%sb", {"X"}, "aXb"},
      {"%s-%s", {"a", "b", "c"}, "a-b"}, {"100%%", {}, "100%"}, {"%%s", {"x"}, "%s"},
      {"%%%s", {"x"}, "%x"}, {"50%", {}, "50%"}, {"%d %s", {"x"}, "%d x"},
      {"%s%s", {"%s", "b"}, "%sb"}, {"<%s>", {std::string("a\0b", 3)}, std::string("<a\0b>", 5)},
      {"%s %s", {"a"}, std::nullopt}, {"%s", {}, std::nullopt},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << Shown(row.format) << " with " << row.args.size());
    const int high = static_cast<int>(row.args.size()) - 1;
    if (row.expected) {
      EXPECT_EQ(swde::Format(row.format, row.args.data(), high), *row.expected);
    } else {
      EXPECT_THROW(swde::Format(row.format, row.args.data(), high), EConvertError);
    }
  }
  EXPECT_EQ(swde::Format("%s/%s", {"a", "b", "c"}), "a/b");
  EXPECT_THROW(swde::Format("%s/%s", {"a"}), EConvertError);
  EXPECT_THROW(swde::Format("%s", nullptr, -1), EConvertError);
}

bool IsUndefined(unsigned byte) {
  return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

// Every defined byte goes to UTF-8 and back; the five undefined ones become U+FFFD.
TEST(Cp1250, EveryByteRoundTrips) {
  std::string allDefined;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    const std::string utf8 = swde::Cp1250ToUtf8(single);
    const int codePoint = swde::Cp1250ToUnicode(static_cast<unsigned char>(byte));
    if (IsUndefined(byte)) {
      EXPECT_EQ(utf8, "\xEF\xBF\xBD") << byte;
      EXPECT_EQ(codePoint, -1) << byte;
      continue;
    }
    allDefined += single;
    EXPECT_EQ(swde::UnicodeToCp1250(static_cast<char32_t>(codePoint)), static_cast<int>(byte));
    EXPECT_EQ(utf8.size(), byte < 0x80 ? 1u : codePoint < 0x800 ? 2u : 3u) << byte;
    AnsiString back;
    EXPECT_TRUE(swde::Utf8ToCp1250(utf8, back)) << byte;
    EXPECT_EQ(back, single) << byte;
  }
  EXPECT_EQ(swde::Cp1250ToUtf8("Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 \xA5\xC6\xCA\xA3\xD1"
                               "\xD3\x8C\x8F\xAF \x80\x84\x94\x96\xA7\xFF"),
            "Zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ €„”–§˙");
  AnsiString back;
  EXPECT_TRUE(swde::Utf8ToCp1250(swde::Cp1250ToUtf8(allDefined), back));
  EXPECT_EQ(back, allDefined);
  EXPECT_EQ(swde::UnicodeToCp1250(0x0080), -1);
  EXPECT_EQ(swde::UnicodeToCp1250(0x03A9), -1);
}

// Malformed UTF-8 and characters CP1250 cannot hold: the offset of the offending sequence and
// the bytes converted before it.
TEST(Cp1250, RejectsMalformedAndUnrepresentableInput) {
  // Overlong forms, surrogates, cut short, no or a lone continuation byte, above U+10FFFF, a
  // five-byte form; omega, an emoji, the cent sign, U+0081 and U+FFFD.
  // clang-format off
  const struct {
    std::string utf8;
    std::size_t offset;
    std::string before;
  } rows[] = {
      {"ab\xC0\x80", 2, "ab"}, {"\xC1\xBF", 0, ""}, {"x\xE0\x80\xAF", 1, "x"},
      {"\xF0\x80\x80\xAF", 0, ""}, {"\xED\xA0\x80", 0, ""}, {"a\xED\xBF\xBF", 1, "a"},
      {"\xC5", 0, ""}, {"ab\xE2\x82", 2, "ab"}, {"\xC5x", 0, ""},
      {"z\x80", 1, "z"}, {"\xF4\x90\x80\x80", 0, ""}, {"\xF8\x88\x80\x80\x80", 0, ""},
      {"za\xCE\xA9", 2, "za"}, {"\xC5\x82\xF0\x9F\x98\x80", 2, "\xB3"}, {"\xC2\xA2", 0, ""},
      {"\xC2\x81", 0, ""}, {"\xEF\xBF\xBD", 0, ""},
  };
  // clang-format on
  for (const auto& row : rows) {
    AnsiString out;
    std::size_t offset = 9999;
    EXPECT_FALSE(swde::Utf8ToCp1250(row.utf8, out, &offset)) << Shown(row.utf8);
    EXPECT_EQ(offset, row.offset) << Shown(row.utf8);
    EXPECT_EQ(out, row.before) << Shown(row.utf8);
  }
  AnsiString out = "stale";
  EXPECT_TRUE(swde::Utf8ToCp1250(std::string("a\0\x7F", 3), out));
  EXPECT_EQ(out, std::string("a\0\x7F", 3));
}

// A report shows every byte outside well-formed UTF-8 as \xHH, and the text report also every
// byte of a control character (C0, DEL, C1); letters of any length stay, and so does everything
// that is not a control, down to the first byte after a cut-short sequence.
TEST(Bytes, EscapeBytesShowsInvalidBytesAndControls) {
  using swde::Escape;
  // clang-format off
  const struct {
    std::string text;
    std::string invalid;   // with Escape::kInvalid
    std::string controls;  // with Escape::kInvalidAndControls
  } rows[] = {
      {"caf\xE9.xml", "caf\\xE9.xml", "caf\\xE9.xml"},
      {"\xC5\xBC\xC3\xB3\xC5\x82w \xE2\x82\xAC \xF0\x9F\x98\x80", "\xC5\xBC\xC3\xB3\xC5\x82w \xE2\x82\xAC \xF0\x9F\x98\x80",
       "\xC5\xBC\xC3\xB3\xC5\x82w \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\nb\tc\x7F", "a\nb\tc\x7F", "a\\x0Ab\\x09c\\x7F"},
      {std::string("\0", 1), std::string("\0", 1), "\\x00"},
      {"\xC2\x85\xC2\x9B[31m\xC2\xA0", "\xC2\x85\xC2\x9B[31m\xC2\xA0", "\\xC2\\x85\\xC2\\x9B[31m\xC2\xA0"},
      {"\xC5x\xE2\x82", "\\xC5x\\xE2\\x82", "\\xC5x\\xE2\\x82"},
      {"\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80", "\\xC0\\x80\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80",
       "\\xC0\\x80\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
      {"\x85\x9B", "\\x85\\x9B", "\\x85\\x9B"},
      {"", "", ""},
  };
  // clang-format on
  for (const auto& row : rows) {
    EXPECT_EQ(swde::EscapeBytes(row.text, Escape::kInvalid), row.invalid) << Shown(row.text);
    EXPECT_EQ(swde::EscapeBytes(row.text, Escape::kInvalidAndControls), row.controls)
        << Shown(row.text);
    EXPECT_TRUE(swde::IsUtf8(swde::EscapeBytes(row.text, Escape::kInvalid)));
  }
}

}  // namespace

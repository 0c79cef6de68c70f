// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "swde/platform/Cp1250.hpp"

namespace {

using swde::AnsiString;

bool IsUndefined(unsigned byte) {
  return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(Cp1250, EveryDefinedByteRoundTrips) {
  std::string allDefined;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    const std::string utf8 = swde::Cp1250ToUtf8(single);
    const int codePoint = swde::Cp1250ToUnicode(static_cast<unsigned char>(byte));
    if (IsUndefined(byte)) {
      EXPECT_EQ(utf8, kReplacement) << "case: byte " << byte;
      EXPECT_EQ(codePoint, -1) << "case: byte " << byte;
      continue;
    }
    allDefined += single;
    ASSERT_GE(codePoint, 0) << "case: byte " << byte;
    EXPECT_EQ(swde::UnicodeToCp1250(static_cast<char32_t>(codePoint)), static_cast<int>(byte))
        << "case: byte " << byte;
    if (byte < 0x80) {
      EXPECT_EQ(utf8, single) << "case: byte " << byte;
    } else {
      EXPECT_GE(utf8.size(), 2u) << "case: byte " << byte;
    }
    AnsiString back;
    EXPECT_TRUE(swde::Utf8ToCp1250(utf8, back)) << "case: byte " << byte;
    EXPECT_EQ(back, single) << "case: byte " << byte;
  }
  ASSERT_EQ(allDefined.size(), 251u);
  AnsiString back;
  EXPECT_TRUE(swde::Utf8ToCp1250(swde::Cp1250ToUtf8(allDefined), back));
  EXPECT_EQ(back, allDefined);
}

struct Letter {
  const char* utf8;
  unsigned byte;
};

// Known CP1250 positions: the Polish letters and a few other characters of the upper half.
const Letter kLetters[] = {
    {"ą", 0xB9}, {"ć", 0xE6},      {"ę", 0xEA}, {"ł", 0xB3}, {"ń", 0xF1}, {"ó", 0xF3}, {"ś", 0x9C},
    {"ź", 0x9F}, {"ż", 0xBF},      {"Ą", 0xA5}, {"Ć", 0xC6}, {"Ę", 0xCA}, {"Ł", 0xA3}, {"Ń", 0xD1},
    {"Ó", 0xD3}, {"Ś", 0x8C},      {"Ź", 0x8F}, {"Ż", 0xAF}, {"€", 0x80}, {"„", 0x84}, {"”", 0x94},
    {"–", 0x96}, {"\u00A0", 0xA0}, {"§", 0xA7}, {"˙", 0xFF}, {"ß", 0xDF}, {"Š", 0x8A}, {"™", 0x99},
};

TEST(Cp1250, PolishLettersMapToTheirBytes) {
  for (const Letter& letter : kLetters) {
    const std::string byte(1, static_cast<char>(letter.byte));
    AnsiString out;
    EXPECT_TRUE(swde::Utf8ToCp1250(letter.utf8, out)) << "case: " << letter.utf8;
    EXPECT_EQ(out, byte) << "case: " << letter.utf8;
    EXPECT_EQ(swde::Cp1250ToUtf8(byte), letter.utf8) << "case: " << letter.utf8;
  }
  AnsiString word;
  EXPECT_TRUE(swde::Utf8ToCp1250("Zażółć gęślą jaźń", word));
  EXPECT_EQ(word, "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
}

struct BadInput {
  const char* label;
  std::string utf8;
  std::size_t errorOffset;
  std::string convertedBefore;
};

TEST(Cp1250, RejectsMalformedAndUnrepresentableInput) {
  const BadInput cases[] = {
      {"overlong NUL", "ab\xC0\x80", 2, "ab"},
      {"overlong 2-byte", "\xC1\xBF", 0, ""},
      {"overlong 3-byte", "x\xE0\x80\xAF", 1, "x"},
      {"overlong 4-byte", "\xF0\x80\x80\xAF", 0, ""},
      {"high surrogate", "\xED\xA0\x80", 0, ""},
      {"low surrogate", "a\xED\xBF\xBF", 1, "a"},
      {"truncated 2-byte", "\xC5", 0, ""},
      {"truncated 3-byte", "ab\xE2\x82", 2, "ab"},
      {"bad continuation", "\xC5x", 0, ""},
      {"lone continuation", "z\x80", 1, "z"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", 0, ""},
      {"lead F5", "\xF5\x80\x80\x80", 0, ""},
      {"5-byte form", "\xF8\x88\x80\x80\x80", 0, ""},
      {"byte FF", "\xFF", 0, ""},
      {"omega", "\xCE\xA9", 0, ""},
      {"omega after text", "za\xCE\xA9", 2, "za"},
      {"emoji after l-stroke", "\xC5\x82\xF0\x9F\x98\x80", 2, "\xB3"},
      {"cent sign", "\xC2\xA2", 0, ""},
      {"C1 control U+0081", "\xC2\x81", 0, ""},
      {"replacement character", kReplacement, 0, ""},
  };
  for (const BadInput& c : cases) {
    AnsiString out;
    std::size_t offset = 9999;
    EXPECT_FALSE(swde::Utf8ToCp1250(c.utf8, out, &offset)) << "case: " << c.label;
    EXPECT_EQ(offset, c.errorOffset) << "case: " << c.label;
    EXPECT_EQ(out, c.convertedBefore) << "case: " << c.label;
    EXPECT_FALSE(swde::Utf8ToCp1250(c.utf8, out)) << "case: " << c.label << " (no offset)";
  }
}

TEST(Cp1250, EdgesOfTheValidRange) {
  AnsiString out = "stale";
  EXPECT_TRUE(swde::Utf8ToCp1250("", out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(swde::Utf8ToCp1250(std::string("a\0\x7F", 3), out));
  EXPECT_EQ(out, std::string("a\0\x7F", 3));
  EXPECT_EQ(swde::UnicodeToCp1250(0x20AC), 0x80);
  EXPECT_EQ(swde::UnicodeToCp1250(0x0080), -1);
  EXPECT_EQ(swde::UnicodeToCp1250(0x009F), -1);
  EXPECT_EQ(swde::UnicodeToCp1250(0x03A9), -1);
  EXPECT_EQ(swde::UnicodeToCp1250(0xFFFD), -1);
  EXPECT_EQ(swde::UnicodeToCp1250(0x10FFFF), -1);
  EXPECT_EQ(swde::Cp1250ToUtf8(""), "");
}

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The runtime layer: trimming, the integer conversions and the scanf-like field read, Format,
// the CP1250 <-> UTF-8 conversions, and text escaped for a report.

#include <map>

#include <gtest/gtest.h>

#include "swde/platform/Bytes.hpp"
#include "swde/platform/Sysutils.hpp"

#include "Support.hpp"

namespace {

using swde::AnsiString;
using swde::EConvertError;
using swde_test::Lines;
using swde_test::Shown;
using swde_test::Table;

// data/platform.tsv: trimming, the integer conversions, the scanf-like field read, Format, UTF-8
// that CP1250 cannot take and text escaped for a report, a row per case.
TEST(Runtime, TableOfCases) {
  std::map<std::string, int> cases;
  for (const Lines& row : Table("platform.tsv")) {
    const std::string& kind = row[0];
    const std::string& text = row.at(1);
    SCOPED_TRACE(kind + " " + Shown(text));
    ++cases[kind];
    if (kind == "trim") {
      EXPECT_EQ(swde::Trim(text), row.at(2));
      EXPECT_EQ(swde::TrimView(text), row[2]);
    } else if (kind == "int") {
      std::int32_t out32 = 4242;
      std::int64_t out64 = -4242;
      EXPECT_EQ(swde::TryStrToInt(text, out32), row.at(2) != "no");
      EXPECT_EQ(swde::TryStrToInt64(text, out64), row.at(3) != "no");
      EXPECT_EQ(std::to_string(out32), row[2] == "no" ? "4242" : row[2]);
      EXPECT_EQ(std::to_string(out64), row[3] == "no" ? "-4242" : row[3]);
      if (row[2] == "no") {
        EXPECT_THROW(swde::StrToInt(text), EConvertError);
      } else {
        EXPECT_EQ(std::to_string(swde::StrToInt(text)), row[2]);
      }
      if (row[3] == "no") {
        EXPECT_THROW(swde::StrToInt64(text), EConvertError);
      } else {
        EXPECT_EQ(std::to_string(swde::StrToInt64(text)), row[3]);
      }
    } else if (kind == "field") {
      std::int32_t out = 31337;
      EXPECT_EQ(swde::FieldRead(text, &out), row.at(2) != "no");
      EXPECT_EQ(swde::FieldRead(text), row[2] != "no");
      EXPECT_EQ(std::to_string(out), row[2] == "no" ? "31337" : row[2]);
    } else if (kind == "utf8") {
      AnsiString out;
      std::size_t offset = 9999;
      EXPECT_FALSE(swde::Utf8ToCp1250(text, out, &offset));
      EXPECT_EQ(std::to_string(offset), row.at(2));
      EXPECT_EQ(out, row.at(3));
    } else if (kind == "escape") {
      EXPECT_EQ(swde::EscapeBytes(text, swde::Escape::kInvalid), row.at(2));
      EXPECT_EQ(swde::EscapeBytes(text, swde::Escape::kInvalidAndControls), row.at(3));
      EXPECT_TRUE(swde::IsUtf8(row[2]));
    } else {
      const std::vector<AnsiString> args(row.begin() + 3, row.end());
      const int high = static_cast<int>(args.size()) - 1;
      if (row.at(2) == "throws") {
        EXPECT_THROW(swde::Format(text, args.data(), high), EConvertError);
      } else {
        EXPECT_EQ(swde::Format(text, args.data(), high), row[2]);
      }
    }
  }
  EXPECT_EQ(
      cases,
      (std::map<std::string, int>{
          {"escape", 9}, {"field", 23}, {"format", 13}, {"int", 21}, {"trim", 9}, {"utf8", 20}}));
  EXPECT_EQ(swde::Format("%s/%s", {"a", "b", "c"}), "a/b");
  EXPECT_THROW(swde::Format("%s/%s", {"a"}), EConvertError);
  EXPECT_THROW(swde::Format("%s", nullptr, -1), EConvertError);
  AnsiString out = "stale";
  EXPECT_TRUE(swde::Utf8ToCp1250(std::string("a\0\x7F", 3), out));
  EXPECT_EQ(out, std::string("a\0\x7F", 3));
}

// Every defined byte goes to UTF-8 and back; the five undefined ones become U+FFFD.
TEST(Cp1250, EveryByteRoundTrips) {
  std::string allDefined;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const std::string single(1, static_cast<char>(byte));
    const std::string utf8 = swde::Cp1250ToUtf8(single);
    const int codePoint = swde::Cp1250ToUnicode(static_cast<unsigned char>(byte));
    if (std::string("\x81\x83\x88\x90\x98").find(single) != std::string::npos) {
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

// The ASCII run ends at the first byte above 0x7F wherever it lies in or between the words of
// eight bytes scanned, and conversion and validation go on from there.
TEST(Cp1250, AsciiRunsEndAtTheFirstHighByte) {
  const std::string ascii(26, 'a');
  EXPECT_EQ(swde::AsciiPrefixLength(ascii), ascii.size());
  for (std::size_t at = 0; at < ascii.size(); ++at) {
    std::string text = ascii;
    text[at] = '\xC5';
    EXPECT_EQ(swde::AsciiPrefixLength(text), at) << at;
    EXPECT_FALSE(swde::IsUtf8(text)) << at;  // a lead byte cut short
    AnsiString out;
    EXPECT_TRUE(swde::Utf8ToCp1250(text.insert(at + 1, "\x82"), out)) << at;
    EXPECT_EQ(out, ascii.substr(0, at) + "\xB3" + ascii.substr(at + 1)) << at;
  }
}

}  // namespace

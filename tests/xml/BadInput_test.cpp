// swde — semantic checks of SWDE cadastral exchange objects.
//
// Bad input: every way a document can be wrong ends in one XmlError with the place (line and
// column, counted in characters) and a plain message, the same whether the document is read
// whole or in pieces of 1 to 5 bytes. Hostile input (huge, endless, self-expanding, pointing
// outside) must also stop soon after the offending bytes, without holding on to what it read.

#include <sstream>

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

using swde::xml::ReaderLimits;
using swde::xml::XmlError;

struct BadInput {
  std::string text;
  std::string where;    // "line:column"
  std::string message;  // the whole plain message, or its start when it ends in "..."
  ReaderLimits limits;
};

// The cases of data/bad-input.tsv, and two in UTF-16.
std::vector<BadInput> BadInputs() {
  std::vector<BadInput> cases;
  for (const swde_test::Lines& row : swde_test::Table("bad-input.tsv")) {
    cases.push_back({row.at(2), row[0], row[1], {}});
    if (row.size() > 3) {
      ReaderLimits& limits = cases.back().limits;
      std::istringstream fields(row[3]);
      fields >> limits.maxValueBytes >> limits.maxEntriesPerObject >> limits.maxDepth >>
          limits.maxSchemaItems;
      std::uint64_t objectBytes = 0;
      if (fields >> objectBytes) {
        limits.maxObjectBytes = objectBytes;
      }
    }
  }
  cases.push_back({swde_test::Utf16le(u"<?xml version='1.0' encoding='UTF-8'?><SWDE/>"),
                   "1:32",
                   "encoding specified in XML declaration is incorrect",
                   {}});
  cases.push_back({swde_test::Utf16le(u"<SWDE><OBJECT name='A'><ATTRIBUTES><ATTR name='a'>\n"
                                      u"<VALUE>\u0142\u4E2D"),
                   "2:9",
                   "character U+4E2D cannot be represented in windows-1250",
                   {}});
  return cases;
}

TEST(BadInput, EveryCaseFailsAtItsPlaceWholeAndInPieces) {
  const std::vector<BadInput> cases = BadInputs();
  ASSERT_EQ(cases.size(), 100u);
  for (const BadInput& row : cases) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      SCOPED_TRACE(testing::Message() << "chunk " << chunk << ", case:\n" << row.text);
      try {
        swde_test::Read(row.text, chunk, row.limits);
        ADD_FAILURE() << "no error";
      } catch (const XmlError& e) {
        const std::string& want = row.message;
        const std::size_t cut = want.size() - (want.rfind("...") == want.size() - 3 ? 3 : 0);
        EXPECT_EQ(e.message().substr(0, cut == want.size() ? std::string::npos : cut),
                  want.substr(0, cut));
        EXPECT_EQ(std::string(e.what()), "doc.xml:" + row.where + ": " + e.message());
      }
    }
  }
}

// The limits are not off by one: values, counts and depth at the limit pass.
TEST(BadInput, InputAtTheLimitsPasses) {
  EXPECT_EQ(swde_test::Read("<SWDE><OBJECT name='ABCD'><ATTRIBUTES><ATTR name='a'><VALUE>abcd"
                            "</VALUE></ATTR></ATTRIBUTES><RELATIONS><RELAT name='r'/></RELATIONS>"
                            "</OBJECT></SWDE>",
                            0, ReaderLimits{4, 2, 5})
                .objects,
            "ABCD #1 @1 base= status= A:a/a=abcd#1@1 R:r/r->()#1@1\n");
  EXPECT_EQ(
      swde_test::Dump(*swde::xml::parseSchema(
          "<SWDE><TYPES_SECT><OBJECT name='T' base_type='R'><ATTRIBUTES><ATTR name='a'><VALUE>"
          "v</VALUE></ATTR></ATTRIBUTES></OBJECT></TYPES_SECT></SWDE>",
          "annex.xml", ReaderLimits{100, 100, 16, 3})),
      "SP{} ST{T:R[A a/a m=0 1 (v|)];}");
  EXPECT_EQ(swde_test::Failure([] {
              swde::xml::parseSchema("<SWDE><ATTRIBS_SECT/>\n <OBJECT name='A'/></SWDE>",
                                     "annex.xml");
            }),
            "annex.xml:2:2: objects are not allowed in a schema");
}

// Huge or self-expanding documents, fed as `head`, `count` times `body`, then `tail`, under the
// default limits unless given: one error, and the reader stops before it was given `maxFed`.
TEST(BadInput, HostileInputStopsSoonWithOneError) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  const std::string address =
      "<?xml version=\"1.0\"?>\n<SWDE><OBJECT name=\"G5ADR\" "
      "base_type=\"RD\" status=\"00\"><ATTRIBUTES>";
  std::string entries;
  for (int i = 0; i < 2000; ++i) {
    entries += "<ATTR name=\"A\" value_str=\"x\"/>\n";
  }
  std::string types;
  for (int i = 0; i < 1000; ++i) {
    types += "<OBJECT name=\"T" + std::to_string(i) +
             "\" base_type=\"RD\"><ATTRIBUTES><ATTR name=\"G5MSC\"/></ATTRIBUTES></OBJECT>\n";
  }
  const ReaderLimits kDefaults;
  const struct {
    std::string head, body;
    std::size_t count;
    std::string message;  // where it stands is checked when `line` is not 0
    std::uint32_t line, column;
    std::uint64_t maxFed;
    ReaderLimits limits;
  } rows[] = {
      {address + "<ATTR name=\"G5MSC\" value_str=\"", std::string(kMiB, 'A'), 100,
       "markup longer than 2162688 bytes without an end", 2, 67, 4 * kMiB, kDefaults},
      {address + "<ATTR name=\"G5MSC\"><VALUE>", std::string(kMiB, 'A'), 100,
       "value longer than 1048576 bytes", 2, 93, 3 * kMiB, kDefaults},
      {address + "\n", entries, 1000, "more than 100000 attributes and relations in one <OBJECT>",
       100003, 1, 8 * kMiB, kDefaults},
      {"<SWDE><TYPES_SECT>\n", types, 1000,
       "more than 200000 declarations, definitions and values in the schema sections", 0, 0,
       32 * kMiB, kDefaults},
      // Refused at the "[" of the internal subset, before any entity is declared.
      {swde_test::Slurp(SWDE_SOURCE_DIR "/tests/data/billion-laughs.xml"), "", 0,
       "a DTD internal subset is not allowed", 2, 16, kMiB, kDefaults},
      {swde_test::Slurp(SWDE_SOURCE_DIR "/tests/data/billion-laughs-in-attribute.xml"), "", 0,
       "a DTD internal subset is not allowed", 2, 16, kMiB, kDefaults},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    std::size_t objects = 0;
    swde::xml::DocumentReader reader(
        "hostile.xml", [&](auto) { ++objects; }, row.limits);
    try {
      reader.feed(row.head.data(), row.head.size());
      for (std::size_t i = 0; i < row.count; ++i) {
        reader.feed(row.body.data(), row.body.size());
      }
      reader.finish();
      ADD_FAILURE() << "no error";
    } catch (const XmlError& error) {
      EXPECT_EQ(error.message(), row.message);
      EXPECT_TRUE(row.line == 0 ||
                  error.line() * 1000 + error.column() == row.line * 1000 + row.column)
          << error.what();
    }
    EXPECT_LT(reader.bytesFed(), row.maxFed);
    EXPECT_EQ(objects, 0u);
  }
}

}  // namespace

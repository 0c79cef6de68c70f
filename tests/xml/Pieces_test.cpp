// swde — semantic checks of SWDE cadastral exchange objects.
//
// A document cut by DocumentCutter and read piece by piece gives what one reading of the whole
// gives: every object with its lines and ids, and the first error with its line and column.
// Each document is cut into pieces of 1, 60 and 300 bytes, fed in steps of 1, 7 and all bytes,
// whole and broken off every 41 bytes.

#include <gtest/gtest.h>

#include "swde/xml/detail/DocumentCutter.hpp"

#include "Support.hpp"

namespace {

using swde::xml::DocumentCutter;
using swde::xml::DocumentReader;
using swde::xml::XmlError;

// Objects, one line each, then the error that ended the reading; with `pieceBytes`, through the
// cutter, fed in steps of `step` bytes. `pieces` counts the pieces handed out.
std::string Read(const std::string& text, std::size_t pieceBytes, std::size_t step,
                 std::size_t* pieces = nullptr) {
  std::string out;
  bool stopped = false;  // an error in a piece ends the document there
  const auto object = [&](std::unique_ptr<swde::smObject> o) {
    out += stopped ? "" : swde_test::Dump(*o) + "\n";
  };
  const auto fail = [&](const XmlError& e) {
    out += stopped ? "" : std::string("error ") + e.what() + "\n";
    stopped = true;
  };
  DocumentReader whole("doc.xml", object);
  DocumentCutter cutter(
      "doc.xml", object,
      [&](DocumentCutter::Piece piece) {
        pieces != nullptr ? ++*pieces : 0;
        try {
          DocumentReader reader("doc.xml", object);
          stopped ? void() : reader.readPiece(piece.start, piece.text, piece.last);
        } catch (const XmlError& e) {
          fail(e);
        }
      },
      pieceBytes);
  try {
    for (std::size_t at = 0; at < text.size(); at += step) {
      const std::size_t n = std::min(step, text.size() - at);
      pieceBytes == 0 ? whole.feed(text.data() + at, n) : cutter.feed(text.data() + at, n);
    }
    pieceBytes == 0 ? whole.finish() : cutter.finish();
  } catch (const XmlError& e) {
    fail(e);
  }
  return out;
}

// Eight objects, the fourth with `value` as its VALUE, `between` after the fifth.
std::string Document(const std::string& prolog, const std::string& value,
                     const std::string& between = "") {
  std::string text = prolog + "<SWDE schema_version=\"1\">\n";
  for (int i = 1; i <= 8; ++i) {
    text += "<OBJECT name=\"G5DZE\" status=\"0" + std::to_string(i % 3) +
            "\">\n <ATTRIBUTES><ATTR name=\"G5IDD\" value_str=\"" + std::to_string(i) +
            "\"/>\n  <ATTR name=\"G5OPIS\">" + (i == 4 ? value : "<VALUE>ok</VALUE>") +
            "</ATTR></ATTRIBUTES>\n</OBJECT>\n" + (i == 5 ? between : "");
  }
  return text + "</SWDE>\n";
}

TEST(DocumentPieces, ReadLikeTheWholeDocument) {
  const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::string plain = Document(utf8, "<VALUE>x</VALUE>");
  const std::string cp1250 = "<?xml version='1.0' encoding='windows-1250' standalone='yes'?>";
  std::string utf16 = "\xFF\xFE";
  for (const char c : Document("", "<VALUE>x</VALUE>")) {
    utf16 += std::string{c, '\0'};
  }
  const struct {
    std::string text;
    bool cut = true;  // false: no piece but the last
  } cases[] = {
      {plain},
      {swde_test::Replace(plain, "\n", "\r\n")},
      {swde_test::Replace(plain, "\n", "\r")},
      {swde_test::Replace(plain, "\n", " ")},
      {Document("\xEF\xBB\xBF", "<VALUE>\xC5\xBC</VALUE>")},
      {Document(utf8,
                "<VALUE><![CDATA[</VALUE></ATTR></ATTRIBUTES></OBJECT><OBJECT name=\"X\">"
                "]]]]></VALUE>")},
      {Document(utf8, "<!-- </OBJECT> - --><?pi </OBJECT> ?? ?><VALUE>a</VALUE>",
                "<!--</OBJECT>--><?x </OBJECT>?>\n<OBJECT name=\"G5JEW\" />\n")},
      {Document(utf8, "<VALUE value_str='&lt;/OBJECT> \"/>'/>")},
      {Document("<?xml-stylesheet encoding=\"windows-1250\"?>\n", "<VALUE>\xC5\x82</VALUE>")},
      {swde_test::Replace(Document(cp1250, "<VALUE>\xB3</VALUE>", "<OBJECT name=\"\x98\"/>"), "\n",
                          " ")},
      {Document("<?xml version='1.0' encoding='iso-8859-1'?>", "<VALUE>\xE9</VALUE>")},
      {Document(std::string(3000, ' ') + "<!DOCTYPE SWDE SYSTEM \"a\">", "<VALUE>&x;</VALUE>")},
      {Document("<!DOCTYPE SWDE>", "<VALUE>&x;</VALUE>")},
      {Document("<?xml version='1.0' standalone='yes'?><!DOCTYPE SWDE PUBLIC 'p' 's'>", "&x;")},
      {Document("<!DOCTYPE SWDE [<!ATTLIST ATTR name CDATA 'G5X'>]>", ""), false},
      {Document(utf8, "", "<FOO/><TYPES_SECT/>text")},
      {Document(utf8, "<VALUE>x</ATTR>")},
      {Document(utf8, "<OBJECT name='Y'/>")},
      {Document(utf8, "", "<!ELEMENT a ANY>")},
      {swde_test::Replace(plain, "</OBJECT>", "</OBJECT \n>")},
      {plain + "<OBJECT name=\"Z\"></OBJECT>"},
      {utf16, false},
      {std::string("#\0\xEF", 3), false},
  };
  for (const auto& row : cases) {
    for (std::size_t end = row.text.size(); end > 0; end = end > 41 ? end - 41 : 0) {
      const std::string text = row.text.substr(0, end);
      const std::string whole = Read(text, 0, text.size());
      for (const std::size_t pieceBytes : {1U, 60U, 300U}) {
        for (const std::size_t step : {std::size_t{1}, std::size_t{7}, text.size()}) {
          std::size_t pieces = 0;
          ASSERT_EQ(Read(text, pieceBytes, step, &pieces), whole)
              << end << " bytes, pieces of " << pieceBytes << ", steps of " << step << ":\n"
              << text;
          if (end == row.text.size() && pieceBytes == 60 && step == 7) {
            EXPECT_EQ(pieces > 1, row.cut) << text;
          }
        }
      }
    }
  }
}

// Lines pass through 64 bits: far down a long document a piece reports the clamped line, as
// one reading does past 2^32 lines.
TEST(DocumentPieces, LinesBeyond32BitsAreClamped) {
  swde::xml::PieceStart start;
  start.prolog = "<SWDE>";
  start.line = (std::uint64_t{1} << 32) + 5;
  std::string out;
  DocumentReader reader("doc.xml", [&](auto o) { out = swde_test::Dump(*o); });
  EXPECT_EQ(
      swde_test::Failure([&] { reader.readPiece(start, "<OBJECT name='A'/>\n<FOO/>", false); }),
      "doc.xml:4294967295:1: unexpected element <FOO> in <SWDE>");
  EXPECT_EQ(out, "A #1 @4294967295 base= status=");
}

}  // namespace

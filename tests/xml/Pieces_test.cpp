// swde — semantic checks of SWDE cadastral exchange objects.
//
// A document cut by DocumentCutter and read piece by piece must give what one reading of the
// whole document gives: every object with its lines and ids, and the first error with its line
// and column. Each document of the table is cut into pieces of 1 to 300 bytes, fed in steps of
// 1, 7 and all bytes, whole and broken off at many places.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/xml/DocumentCutter.hpp"
#include "swde/xml/Reader.hpp"

#include "xml/XmlTestSupport.hpp"

namespace {

using swde::smObject;
using swde::xml::DocumentCutter;
using swde::xml::DocumentReader;
using swde::xml::XmlError;

// Objects, one line each, then the error that ended the reading, if any.
std::string readWhole(const std::string& text) {
  std::string out;
  DocumentReader reader("doc.xml",
                        [&](std::unique_ptr<smObject> o) { out += xmltest::dump(*o) + "\n"; });
  try {
    reader.feed(text.data(), text.size());
    reader.finish();
  } catch (const XmlError& e) {
    out += std::string("error ") + e.what() + "\n";
  }
  return out;
}

struct CutResult {
  std::string out;
  std::size_t pieces = 0;
};

CutResult readCut(const std::string& text, std::size_t pieceBytes, std::size_t step) {
  CutResult result;
  bool stopped = false;  // an error in a piece ends the document there
  const auto object = [&](std::unique_ptr<smObject> o) {
    if (!stopped) {
      result.out += xmltest::dump(*o) + "\n";
    }
  };
  DocumentCutter cutter(
      "doc.xml", object,
      [&](DocumentCutter::Piece piece) {
        ++result.pieces;
        if (stopped) {
          return;
        }
        DocumentReader reader("doc.xml", object);
        try {
          reader.readPiece(piece.start, piece.text, piece.last);
        } catch (const XmlError& e) {
          result.out += std::string("error ") + e.what() + "\n";
          stopped = true;
        }
      },
      pieceBytes);
  try {
    for (std::size_t at = 0; at < text.size(); at += step) {
      cutter.feed(text.data() + at, std::min(step, text.size() - at));
    }
    cutter.finish();
  } catch (const XmlError& e) {
    if (!stopped) {
      result.out += std::string("error ") + e.what() + "\n";
    }
  }
  return result;
}

std::string object(int i, const std::string& value) {
  return "<OBJECT name=\"G5DZE\" status=\"0" + std::to_string(i % 3) + "\">\n <ATTRIBUTES>\n" +
         "  <ATTR name=\"G5IDD\" value_str=\"" + std::to_string(i) +
         "\"/>\n  <ATTR name=\"G5OPIS\">" + value +
         "</ATTR>\n </ATTRIBUTES><RELATIONS><RELAT name=\"G5RJDR\"/></RELATIONS>\n" + "</OBJECT>\n";
}

// Eight objects, the fourth carrying `special` as its VALUE, after `prolog`.
std::string document(const std::string& prolog, const std::string& special,
                     const std::string& between = "") {
  std::string text = prolog + "<SWDE schema_version=\"1\">\n";
  for (int i = 1; i <= 8; ++i) {
    text += object(i, i == 4 ? special : "<VALUE>ok " + std::to_string(i) + "</VALUE>");
    text += i == 5 ? between : "";
  }
  return text + "</SWDE>\n";
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct Case {
  const char* name;
  std::string text;
  bool cut = true;  // false: the cutter hands out no piece but the last
};

std::vector<Case> cases() {
  const std::string utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::string plain = document(utf8, "<VALUE>x</VALUE>");
  const std::string cp1250 = "<?xml version='1.0' encoding='windows-1250' standalone='yes'?>";
  std::string utf16 = "\xFF\xFE";
  for (const char c : document("", "<VALUE>x</VALUE>")) {
    utf16 += std::string{c, '\0'};
  }
  return {
      {"plain", plain},
      {"CRLF line ends", replaceAll(plain, "\n", "\r\n")},
      {"CR line ends", replaceAll(plain, "\n", "\r")},
      {"one line", replaceAll(plain, "\n", " ")},
      {"no declaration", document("", "<VALUE>ż</VALUE>")},
      {"byte order mark", document("\xEF\xBB\xBF" + utf8, "<VALUE>ż</VALUE>")},
      {"CDATA holding an object",
       document(utf8,
                "<VALUE><![CDATA[</VALUE></ATTR></ATTRIBUTES></OBJECT><OBJECT name=\"X\">"
                "]]]]></VALUE>")},
      {"comments and instructions holding end tags",
       document(utf8, "<!-- </OBJECT> - --><?pi </OBJECT> ?? ?><VALUE>a</VALUE>",
                "<!--</OBJECT>--><?x </OBJECT>?>\n")},
      {"attribute value holding an end tag",
       document(utf8, "<VALUE value_str='&lt;/OBJECT> \"/>'/>")},
      {"empty objects", document(utf8, "<VALUE>x</VALUE>", "<OBJECT name=\"G5JEW\" />\n")},
      {"stylesheet instruction naming an encoding",
       document("<?xml-stylesheet type=\"text/xsl\" encoding=\"windows-1250\"?>\n",
                "<VALUE>\xC5\x82\xC5\x81</VALUE>")},
      {"windows-1250, standalone", document(cp1250, "<VALUE>\xB3\xA3</VALUE>")},
      {"windows-1250 undefined byte late", document(cp1250, "<VALUE>\x98</VALUE>")},
      {"ISO-8859-1",
       document("<?xml version='1.0' encoding='iso-8859-1'?>", "<VALUE>\xE9</VALUE>")},
      {"external DTD, undeclared entity late",
       document(std::string(3000, ' ') + "<!DOCTYPE SWDE SYSTEM \"swde.dtd\">",
                "<VALUE>&x;</VALUE>")},
      {"bare DOCTYPE, undeclared entity late", document("<!DOCTYPE SWDE>", "<VALUE>&x;</VALUE>")},
      {"standalone with external DTD",
       document("<?xml version='1.0' standalone='yes'?><!DOCTYPE SWDE PUBLIC 'p' 's'>",
                "<VALUE>&x;</VALUE>")},
      {"internal subset", document("<!DOCTYPE SWDE [<!ATTLIST ATTR name CDATA 'G5X'>]>", ""),
       false},
      {"unknown element late", document(utf8, "<VALUE>x</VALUE>", "<FOO/>")},
      {"schema section late", document(utf8, "<VALUE>x</VALUE>", "<TYPES_SECT/>")},
      {"text between objects", document(utf8, "<VALUE>x</VALUE>", "text\n")},
      {"mismatched end tag", document(utf8, "<VALUE>x</ATTR>")},
      {"object inside an object", document(utf8, "<OBJECT name='Y'/>")},
      {"end tag with blanks", replaceAll(plain, "</OBJECT>", "</OBJECT \n>")},
      {"junk after the root", plain + "<OBJECT name=\"Z\"></OBJECT>"},
      {"a declaration among objects", document(utf8, "<VALUE>x</VALUE>", "<!ELEMENT a ANY>")},
      {"UTF-16", utf16, false},
      {"first bytes that could start UTF-16", std::string("#\0\xEF", 3), false},
  };
}

TEST(DocumentPieces, ReadLikeTheWholeDocument) {
  for (const Case& row : cases()) {
    // Whole, and broken off at every 41st byte.
    for (std::size_t end = row.text.size(); end > 0; end = end > 41 ? end - 41 : 0) {
      const std::string text = row.text.substr(0, end);
      const std::string whole = readWhole(text);
      for (const std::size_t pieceBytes : {1U, 60U, 300U}) {
        for (const std::size_t step : {std::size_t{1}, std::size_t{7}, text.size()}) {
          const CutResult cut = readCut(text, pieceBytes, step);
          ASSERT_EQ(cut.out, whole) << row.name << ", " << end << " bytes, pieces of " << pieceBytes
                                    << ", steps of " << step;
          if (end == row.text.size() && pieceBytes == 60 && step == 7) {
            EXPECT_EQ(cut.pieces > 1, row.cut) << row.name;
          }
        }
      }
    }
  }
}

// Without an object end for longer than a piece plus the object limit, the cutter stops
// gathering and reads the rest itself; the result stays the same, errors included.
TEST(DocumentPieces, NoPlaceToCutGoesToOneStream) {
  swde::xml::ReaderLimits limits;
  limits.maxObjectBytes = 200;
  std::string text = "<SWDE><OBJECT name='A'/><!--" + std::string(1000, '.') + "-->";
  text += "<OBJECT name='B'/><OBJECT name='C'>" + std::string(300, ' ') + "</OBJECT></SWDE>";
  std::string out;
  std::size_t pieces = 0;
  DocumentCutter cutter(
      "doc.xml", [&](std::unique_ptr<smObject> o) { out += xmltest::dump(*o) + "\n"; },
      [&](DocumentCutter::Piece) { ++pieces; }, 10, limits);
  try {
    for (std::size_t at = 0; at < text.size(); at += 16) {
      cutter.feed(text.data() + at, std::min<std::size_t>(16, text.size() - at));
    }
    cutter.finish();
  } catch (const XmlError& e) {
    out += e.what();
  }
  EXPECT_TRUE(cutter.streaming());
  EXPECT_EQ(pieces, 0u);
  EXPECT_EQ(out,
            "A #1 @1 base= status=\nB #2 @1 base= status=\n"
            "doc.xml:1:1367: object longer than 200 bytes (its <OBJECT> starts on line 1)");
}

// Lines pass through 64 bits: a piece far down a long document reports the clamped line, as
// one reading does past 2^32 lines.
TEST(DocumentPieces, LinesBeyond32BitsAreClamped) {
  swde::xml::PieceStart start;
  start.prolog = "<SWDE>";
  start.line = (std::uint64_t{1} << 32) + 5;
  start.column = 9;
  std::string out;
  DocumentReader reader("doc.xml", [&](std::unique_ptr<smObject> o) { out = xmltest::dump(*o); });
  try {
    reader.readPiece(start, "<OBJECT name='A'/>\n<FOO/>", false);
    ADD_FAILURE() << "no error";
  } catch (const XmlError& e) {
    EXPECT_STREQ(e.what(), "doc.xml:4294967295:1: unexpected element <FOO> in <SWDE>");
  }
  EXPECT_EQ(out, "A #1 @4294967295 base= status=");
}

}  // namespace

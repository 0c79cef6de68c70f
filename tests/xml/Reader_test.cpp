// swde — semantic checks of SWDE cadastral exchange objects.
//
// What the reader makes of good documents, whole and fed in pieces of 1 to 5 bytes (a tag, an
// entity, a CDATA section or a multi-byte character split across buffers), in every encoding it
// accepts; and how it streams: objects handed out one by one, the handler's exceptions, misuse,
// sticky errors and unreadable files.

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <typeinfo>

#include <gtest/gtest.h>

#include "Support.hpp"

namespace {

using swde::xml::DocumentReader;
using swde::xml::XmlError;
using swde_test::Failure;
using swde_test::Read;
using swde_test::Slurp;

// data/schema-sections.xml holds every element and attribute of the schema sections, each
// mandatory/mandatory_level combination, the three value forms, a repeated value and an unknown
// attribute; data/objects.xml default and explicit ids, codes, the value forms, equal names,
// relations and their lines.
const char kSchemaDump[] =
    "SP{G5IDD:TX,G5PEW:FL,} ST{G5DZE:RO[A A0/A0 m=0 1 ()][A A1/C1 m=1 1 ()][A A2/A2 m=0 * ()]"
    "[A A3/A3 m=2 1 ()][A A4/A4 m=3 1 ()][A A5/A5 m=-1 1 ()][A A6/A6 m=0 1 (x y|-7|t&\xF3|)]"
    "[R R1/RC1 m=1 * inv ->G5BUD|G5KLU|][R R2/R2 m=2 1 - ->];G5BUD:RO;}";

const char kObjectDump[] =
    "G5ADR #1 @2 base=RD status=00 A:G5KOD/G5KOD=00-950#1@4 A:G5KOD/G5KOD=x#5@8 "
    "A:G5MSC/MSC=\243\363d\237 <1>#2@5 A:G5NRA/G5NRA=12#77@6 A:G5ULC/G5ULC=#4@7 "
    "R:G5RBUD/RB->G5BUD()#9@12 R:G5RDZE/G5RDZE->G5DZE(D1)#1@11 R:G5RX/G5RX->()#3@13\n"
    "G5O_DZE #4294967295 @16 base=RO status=\n"
    "XYZ #3 @17 base= status= A:a/a=<\n multi\nline#1@17\n";

TEST(Reader, DocumentsGiveTheSameResultWholeAndInPieces) {
  const std::string schema = Slurp(SWDE_SOURCE_DIR "/tests/data/schema-sections.xml");
  const std::string objects = Slurp(SWDE_SOURCE_DIR "/tests/data/objects.xml");
  const struct {
    std::string text;
    const char* metadata;
    const char* objects;
    const char* root;
    bool sections;
    std::uint64_t count;
  } rows[] = {
      {schema, kSchemaDump, "", "2024-01-02|1.1|\243\363d\237|", true, 0},
      {objects, "SP{} ST{}", kObjectDump, "|||", false, 3},
      {"<SWDE><ATTRIBS_SECT/><OBJECT name='A' id='0000000000007'/></SWDE>", "SP{} ST{}",
       "A #7 @1 base= status=\n", "|||", true, 1},
      // What the transfer carries: the whole register of what it holds, or what changed.
      {"<SWDE transfer='update'><OBJECT name='A'/></SWDE>", "SP{} ST{}", "A #1 @1 base= status=\n",
       "|||update", false, 1},
      // An external DTD is never read.
      {"<!DOCTYPE SWDE SYSTEM 'swde.dtd'>\n<SWDE><OBJECT name='B'/></SWDE>", "SP{} ST{}",
       "B #1 @2 base= status=\n", "|||", false, 1},
  };
  for (const auto& row : rows) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      SCOPED_TRACE(testing::Message() << "chunk " << chunk << ", case:\n" << row.text);
      const swde_test::ReadResult result = Read(row.text, chunk);
      EXPECT_EQ(result.metadata, row.metadata);
      EXPECT_EQ(result.objects, row.objects);
      EXPECT_EQ(result.root, row.root);
      EXPECT_EQ(result.sections, row.sections);
      EXPECT_EQ(result.count, row.count);
    }
  }
  EXPECT_EQ(swde_test::Dump(*swde::xml::parseSchema(schema)), kSchemaDump);
  EXPECT_TRUE(swde::xml::parseSchema("<SWDE/>")->empty());
}

// A windows-1250 file and its UTF-8 twin give the same CP1250 bytes; every encoding expat knows,
// and the Polish code pages under the names users write, in any case, give CP1250.
TEST(Reader, EveryAcceptedEncodingGivesCp1250) {
  const std::string cp1250 = Slurp(SWDE_SOURCE_DIR "/tests/data/twin-cp1250.xml");
  const swde_test::ReadResult utf8 = Read(Slurp(SWDE_SOURCE_DIR "/tests/data/twin-utf8.xml"));
  ASSERT_NE(cp1250.find("encoding=\"windows-1250\""), std::string::npos);
  EXPECT_EQ(utf8.objects.substr(0, 14), "G5DZIA\xA3KA #1 @");
  for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
    EXPECT_EQ(Read(cp1250, chunk).objects, utf8.objects) << "chunk " << chunk;
  }
  const std::vector<swde_test::Lines> rows = swde_test::Table("encodings.tsv");
  ASSERT_EQ(rows.size(), 9u);
  for (const swde_test::Lines& row : rows) {
    for (std::size_t chunk = 0; chunk <= 5; ++chunk) {
      EXPECT_EQ(Read(row.at(0), chunk).objects.substr(0, row.at(1).size() + 2), row[1] + " #")
          << "chunk " << chunk << ", case: " << row[0];
    }
  }
}

std::string ManyObjects(int count) {
  std::string text = "<SWDE>\n";
  for (int i = 1; i <= count; ++i) {
    text += "<OBJECT name='G5DZE' status='00'><ATTRIBUTES><ATTR name='G5IDD' value_str='" +
            std::to_string(i) + "'/></ATTRIBUTES></OBJECT>\n";
  }
  return text + "</SWDE>\n";
}

// Objects are handed out as the 64 KiB slices of the document that hold their end tags arrive,
// not at the end of the input.
TEST(Reader, ObjectsAreHandedOutOneByOne) {
  const std::string text = ManyObjects(20000);
  std::vector<std::size_t> ends;  // just past each object's end tag
  for (auto at = text.find("</OBJECT>"); at != std::string::npos;
       at = text.find("</OBJECT>", at + 1)) {
    ends.push_back(at + 9);
  }
  std::size_t seen = 0;
  DocumentReader* self = nullptr;
  DocumentReader reader("big.xml", [&](std::unique_ptr<swde::smObject> object) {
    ASSERT_LT(seen, ends.size());
    const std::size_t sliceEnd = (ends[seen] + 65535) / 65536 * 65536;
    EXPECT_EQ(self->bytesFed(), std::min(sliceEnd, text.size()));
    const std::string n = std::to_string(++seen);
    const std::string line = std::to_string(seen + 1);
    ASSERT_EQ(swde_test::Dump(*object),
              "G5DZE #" + n + " @" + line + " base= status=00 A:G5IDD/G5IDD=" + n + "#1@" + line);
  });
  self = &reader;
  for (std::size_t at = 0; at < text.size(); at += 4096) {
    reader.feed(text.data() + at, std::min<std::size_t>(4096, text.size() - at));
  }
  reader.finish();
  EXPECT_EQ(seen, 20000u);
  EXPECT_EQ(reader.objectCount(), 20000u);
  EXPECT_EQ(reader.bytesFed(), text.size());
}

struct Stop {
  int at;
};

// The handler's exception passes out unchanged (never as an XmlError) and stays the reader's
// error; so does the first XmlError, and after it no object is handed out any more. Calls from
// the handler or after finish() are logic errors.
TEST(Reader, ErrorsPassUnchangedAndStay) {
  const std::string text = ManyObjects(5);
  DocumentReader reader("doc.xml", [](std::unique_ptr<swde::smObject> object) {
    if (object->id == 3) {
      throw Stop{3};
    }
  });
  try {
    reader.feed(text.data(), text.size());
    reader.finish();
    ADD_FAILURE() << "no exception";
  } catch (const Stop& stop) {
    EXPECT_EQ(stop.at, 3);
  }
  EXPECT_EQ(reader.objectCount(), 3u);
  EXPECT_THROW(reader.feed("x", 1), Stop);
  EXPECT_THROW(reader.finish(), Stop);

  int calls = 0;
  DocumentReader failing("doc.xml", [&](auto) { ++calls; });
  const std::string bad = "<SWDE><OBJECT name='A'><FOO/></OBJECT><OBJECT name='B'/>";
  const std::string error = "doc.xml:1:24: unexpected element <FOO> in <OBJECT>";
  EXPECT_EQ(Failure([&] {
              failing.feed(bad.data(), bad.size());
              failing.finish();
            }),
            error);
  EXPECT_EQ(Failure([&] { failing.feed("</SWDE>", 7); }), error);
  EXPECT_EQ(Failure([&] { failing.finish(); }), error);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(failing.objectCount(), 0u);

  DocumentReader* self = nullptr;
  DocumentReader reentrant("doc.xml", [&](auto) { self->feed("<", 1); });
  self = &reentrant;
  reentrant.feed(text.data(), text.size());
  EXPECT_THROW(reentrant.finish(), std::logic_error);
  DocumentReader done("doc.xml", nullptr);
  done.feed("<SWDE/>", 7);
  done.finish();
  EXPECT_THROW(done.feed(" ", 1), std::logic_error);
  EXPECT_THROW(done.finish(), std::logic_error);
}

// A file that cannot be opened, a directory and a stream that fails are errors without a
// position.
TEST(Reader, UnreadableInput) {
  const std::string missing = SWDE_SOURCE_DIR "/tests/data/no-such-file.xml";
  const std::string dir = SWDE_SOURCE_DIR "/tests/data";
  DocumentReader reader("doc.xml", nullptr);
  EXPECT_EQ(Failure([&] { reader.readFile(missing); }),
            missing + ": cannot open: No such file or directory");
  EXPECT_EQ(Failure([&] { reader.readFile(dir); }), dir + ": cannot open: is a directory");
  EXPECT_EQ(Failure([&] { swde::xml::loadSchema(missing); }),
            missing + ": cannot open: No such file or directory");
  std::istringstream failed("<SWDE>");
  failed.setstate(std::ios::badbit);
  DocumentReader stream("bad-stream", nullptr);
  EXPECT_EQ(Failure([&] { stream.readStream(failed); }), "bad-stream: read error");
}

}  // namespace

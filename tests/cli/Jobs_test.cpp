// Checking on several threads must not change a byte of the report: the same generated
// document, full of faults, is checked with one, two and three jobs in every format.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliTestSupport.hpp"

namespace {

using clitest::RunOptions;
using clitest::RunResult;
using clitest::runTool;
using clitest::TempDir;

TEST(SwdeCheckJobs, ReportIsTheSameWhateverTheNumberOfJobs) {
  TempDir dir;
  const std::string document = dir.file("generated.xml");
  RunOptions generator;
  generator.program = SWDE_GEN_PATH;
  // Enough objects for many batches of work in flight, a fifth of them with a fault.
  const RunResult made =
      runTool({"--objects", "6000", "--fault-rate", "0.2", "--seed", "11", "--output", document},
              generator);
  ASSERT_EQ(made.exitCode, 0) << made.err;

  for (const char* format : {"text", "json", "csv"}) {
    SCOPED_TRACE(format);
    const RunResult one = runTool({"--jobs", "1", "--format", format, document});
    ASSERT_EQ(one.exitCode, 1) << one.err;
    ASSERT_GT(one.out.size(), 100000u) << "the document should yield many findings";
    for (const char* jobs : {"2", "3"}) {
      const RunResult many = runTool({"--jobs", jobs, "--format", format, document});
      EXPECT_EQ(many.exitCode, one.exitCode) << jobs;
      EXPECT_EQ(many.err, one.err) << jobs;
      EXPECT_TRUE(many.out == one.out) << "--jobs " << jobs << " differs from --jobs 1";
    }
  }
  const RunResult totals = runTool({"--jobs", "2", document});
  EXPECT_NE(totals.out.find("1 file, 6000 objects (6000 checked)"), std::string::npos);
}

// A document that breaks off after many objects: everything before the break is reported,
// in order, whatever the number of jobs.
TEST(SwdeCheckJobs, BreakAfterManyObjectsKeepsEverythingBefore) {
  TempDir dir;
  const std::string document = dir.file("generated.xml");
  RunOptions generator;
  generator.program = SWDE_GEN_PATH;
  const RunResult made = runTool(
      {"--objects", "3000", "--fault-rate", "0.3", "--seed", "5", "--output", document}, generator);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::string text = clitest::readFile(document);
  text.resize(text.size() * 2 / 3);  // cut in the middle of some object
  const std::string broken = dir.file("broken.xml");
  clitest::writeFile(broken, text);

  const RunResult one = runTool({"--jobs", "1", "--format", "json", broken});
  const RunResult two = runTool({"--jobs", "2", "--format", "json", broken});
  EXPECT_EQ(one.exitCode, 2);
  EXPECT_EQ(two.exitCode, 2);
  EXPECT_EQ(two.err, one.err);
  EXPECT_TRUE(two.out == one.out);
  EXPECT_NE(one.out.find("\"error\":"), std::string::npos);
}

// Pieces of a document are parsed on their own; whatever makes a piece read differently from
// the whole document must fall back to one stream and give the report of one job, faults and
// their positions included.
TEST(SwdeCheckJobs, PiecesThatCannotStandAloneGiveTheSameReport) {
  TempDir dir;
  const std::string document = dir.file("generated.xml");
  RunOptions generator;
  generator.program = SWDE_GEN_PATH;
  const RunResult made = runTool(
      {"--objects", "8000", "--fault-rate", "0.1", "--seed", "3", "--output", document}, generator);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const std::string text = clitest::readFile(document);
  const auto afterObjectNear = [&text](double share) {
    return text.find("</OBJECT>",
                     static_cast<std::size_t>(static_cast<double>(text.size()) * share)) +
           9;
  };
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') {
      crlf += '\r';
    }
    crlf += c;
  }
  const std::size_t declarationEnd = text.find("?>") + 2;
  struct Variant {
    const char* name;
    std::string bytes;
  };
  const std::vector<Variant> variants = {
      {"as generated", text},
      {"CRLF line ends", crlf},
      {"no XML declaration", text.substr(declarationEnd)},
      {"an object end tag in a comment", text.substr(0, afterObjectNear(0.5)) +
                                             "\n<!-- </OBJECT> <OBJECT name=\"X\"> -->" +
                                             text.substr(afterObjectNear(0.5))},
      {"a doctype with an entity",
       std::string("<!DOCTYPE SWDE [<!ENTITY dash \"-\">]>") + text.substr(declarationEnd)},
      {"schema sections after objects",
       text.substr(0, afterObjectNear(0.7)) +
           "<TYPES_SECT><OBJECT name=\"Q\" base_type=\"RD\"/></TYPES_SECT>" +
           text.substr(afterObjectNear(0.7))},
      {"an unknown element late in the document",
       text.substr(0, afterObjectNear(0.8)) + "<FOO/>" + text.substr(afterObjectNear(0.8))},
      {"cut after an object end tag", text.substr(0, text.rfind("</OBJECT>") + 9)},
      {"cut inside a tag", text.substr(0, text.size() * 3 / 5)},
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.name);
    const std::string path = dir.file("variant.xml");
    clitest::writeFile(path, variant.bytes);
    const RunResult one = runTool({"--jobs", "1", path});
    const RunResult two = runTool({"--jobs", "2", path});
    EXPECT_EQ(two.exitCode, one.exitCode);
    EXPECT_EQ(two.err, one.err);
    EXPECT_TRUE(two.out == one.out) << "--jobs 2 differs from --jobs 1";
    EXPECT_NE(one.out.find(" objects ("), std::string::npos) << one.out.substr(0, 200);
  }
}

}  // namespace

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

}  // namespace

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The example documents against what the tool prints for them. golden/faults.txt was written
// by the tool once and then read finding by finding against the check rules; a change in it is
// a change in behaviour and has to be justified the same way.
#include <cstdint>
#include <ostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliTestSupport.hpp"

namespace {

using clitest::Finding;
using clitest::RunResult;

TEST(SwdeCheckGolden, FaultsReportMatchesByteForByte) {
  // A relative path, run from the source directory, keeps the report free of absolute paths.
  const RunResult run = clitest::runTool({"examples/faults.xml"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, clitest::readFile(clitest::sourcePath("tests/cli/golden/faults.txt")));
}

TEST(SwdeCheckGolden, FaultsCoverAtLeastTwentyCodes) {
  const RunResult run = clitest::runTool({"examples/faults.xml"});
  std::set<int> codes;
  for (const Finding& finding : clitest::parseText(run.out).findings) {
    codes.insert(finding.code);
  }
  EXPECT_GE(codes.size(), 20u);
  // Every code that the checks can raise for an object.
  std::set<int> raisable = {6024, 6028, 6033};
  for (int code = 6001; code <= 6022; ++code) {
    raisable.insert(code);
  }
  EXPECT_EQ(codes, raisable);
}

TEST(SwdeCheckGolden, CleanExampleHasNoFinding) {
  const RunResult run = clitest::runTool({"examples/clean.xml"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "1 file, 12 objects (12 checked), 0 errors, 0 warnings\n");
  EXPECT_EQ(run.err, "");
}

// The fenced blocks of `markdown` after `heading`, in order, without their fence lines.
std::vector<std::string> fencedBlocks(const std::string& markdown, const std::string& heading) {
  std::vector<std::string> blocks;
  std::istringstream lines(markdown.substr(markdown.find(heading)));
  std::string line;
  bool inside = false;
  while (std::getline(lines, line)) {
    if (line.rfind("```", 0) == 0) {
      if (!inside) {
        blocks.emplace_back();
      }
      inside = !inside;
    } else if (inside) {
      blocks.back() += line + "\n";
    }
  }
  return blocks;
}

TEST(SwdeCheckGolden, WorkedExampleOfTheFormatDocumentIsTrue) {
  // docs/format.md shows a schema, a document with line numbers, and what the tool prints for
  // them in text and JSON; run the tool on the same files and compare.
  const std::string markdown = clitest::readFile(clitest::sourcePath("docs/format.md"));
  const std::vector<std::string> blocks = fencedBlocks(markdown, "## A worked example");
  ASSERT_GE(blocks.size(), 4u);
  std::string document;
  std::istringstream numbered(blocks[1]);
  std::string line;
  for (std::uint32_t number = 1; std::getline(numbered, line); ++number) {
    const std::string prefix = (number < 10 ? " " : "") + std::to_string(number) + "  ";
    ASSERT_EQ(line.substr(0, prefix.size()), prefix) << line;
    document += line.substr(prefix.size()) + "\n";
  }
  clitest::TempDir dir;
  clitest::writeFile(dir.file("schema.xml"), blocks[0]);
  clitest::writeFile(dir.file("parcels.xml"), document);
  const clitest::RunOptions inDir{std::nullopt, dir.path()};

  const RunResult text = clitest::runTool({"--annex", "schema.xml", "parcels.xml"}, inDir);
  EXPECT_EQ(text.exitCode, 1) << text.err;
  EXPECT_EQ(text.out, blocks[2]);
  const RunResult json =
      clitest::runTool({"--annex", "schema.xml", "--format", "json", "parcels.xml"}, inDir);
  EXPECT_EQ(json.out, blocks[3]);
}

// The example documents explain each fault by a comment that starts with its code, inside the
// object or just before it. Each object with the comments before it forms a block; within a
// block the codes of the comments must be exactly the codes that the tool reports for lines of
// that block, so neither a finding nor a comment can go unexplained.
struct Example {
  const char* file;
  const char* annex;  // empty: the built-in one
};

std::ostream& operator<<(std::ostream& out, const Example& example) {
  return out << example.file;
}

class SwdeCheckExampleComments : public testing::TestWithParam<Example> {};

TEST_P(SwdeCheckExampleComments, NameExactlyTheFindings) {
  const std::string file = GetParam().file;
  std::istringstream lines(clitest::readFile(clitest::sourcePath(file)));
  static const std::regex kComment(R"(<!--\s*(6[0-9]{3})\b)");
  static const std::regex kObjectEnd(R"(^\s*</OBJECT>)");
  std::vector<std::set<int>> commented(1);  // per block, in document order
  std::vector<std::uint32_t> blockEnds;     // the last line of each block
  std::string line;
  for (std::uint32_t number = 1; std::getline(lines, line); ++number) {
    std::smatch match;
    if (std::regex_search(line, match, kComment)) {
      commented.back().insert(std::stoi(match[1]));
    }
    if (std::regex_search(line, kObjectEnd)) {
      blockEnds.push_back(number);
      commented.emplace_back();
    }
  }
  std::vector<std::set<int>> reported(commented.size());
  std::vector<std::string> args = {"--format", "csv", file};
  if (*GetParam().annex != '\0') {
    args.insert(args.begin(), {"--annex", GetParam().annex});
  }
  const RunResult run = clitest::runTool(args);
  ASSERT_NE(run.exitCode, 2) << run.err;
  for (const Finding& finding : clitest::parseCsvFindings(run.out)) {
    std::size_t block = 0;
    while (block < blockEnds.size() && blockEnds[block] < finding.line) {
      ++block;
    }
    reported[block].insert(finding.code);
  }
  for (std::size_t block = 0; block < commented.size(); ++block) {
    const std::uint32_t end = block < blockEnds.size() ? blockEnds[block] : 0;
    EXPECT_EQ(commented[block], reported[block]) << file << ", block ending on line " << end;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, SwdeCheckExampleComments,
                         testing::Values(Example{"examples/clean.xml", ""},
                                         Example{"examples/faults.xml", ""},
                                         Example{"examples/own-sections.xml", ""},
                                         Example{"examples/custom.xml", "examples/annex.xml"}));

}  // namespace

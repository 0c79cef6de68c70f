// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-check as a user meets it: exit status, the three report formats, standard input, a custom
// reference schema, several inputs, broken inputs, --output, --quiet and the two encodings.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/CliTestSupport.hpp"

namespace {

using clitest::dumpAll;
using clitest::Finding;
using clitest::parseCsvFindings;
using clitest::parseText;
using clitest::RunOptions;
using clitest::RunResult;
using clitest::runTool;
using clitest::TempDir;
using nlohmann::json;

// Prints a run in failure messages.
std::string describe(const RunResult& run) {
  return "exit " + std::to_string(run.exitCode) + "\n--- stdout\n" + run.out + "--- stderr\n" +
         run.err;
}

// The findings of a single-input JSON report.
std::vector<Finding> jsonFindings(const std::string& out) {
  return clitest::findingsOfJsonFile(json::parse(out));
}

std::vector<Finding> withFile(std::vector<Finding> findings, const std::string& file) {
  for (Finding& finding : findings) {
    finding.file = file;
  }
  return findings;
}

// "N files, M objects (C checked), E errors, W warnings" for counts summed by the test.
std::string totalsLine(std::size_t files, std::uint64_t objects, std::uint64_t checked,
                       std::uint64_t errors, std::uint64_t warnings) {
  return std::to_string(files) + (files == 1 ? " file, " : " files, ") + std::to_string(objects) +
         (objects == 1 ? " object (" : " objects (") + std::to_string(checked) + " checked), " +
         std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

std::uint64_t countOf(const std::vector<Finding>& findings, int msgType) {
  std::uint64_t count = 0;
  for (const Finding& finding : findings) {
    count += finding.msgType == msgType ? 1 : 0;
  }
  return count;
}

// --- The test's own CSV reader, checked before it judges the tool.

TEST(CsvReader, ReadsQuotedFieldsAndRejectsBrokenRecords) {
  std::string error;
  const auto records =
      clitest::parseCsv("a,\"b,c\",\"say \"\"hi\"\"\"\r\n,\"x\r\ny\",\r\n", &error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(records[1], (std::vector<std::string>{"", "x\r\ny", ""}));

  const struct {
    const char* text;
    const char* error;
  } kBroken[] = {
      {"a,b\n", "bare LF at byte 3"},
      {"a,b", "last record not ended by CRLF at byte 3"},
      {"a,\"b\r\n", "unterminated quoted field at byte 6"},
      {"a,\"b\"c\r\n", "text after a closing quote at byte 5"},
      {"a,b\"c\r\n", "quote inside an unquoted field at byte 3"},
      {"a\rb\r\n", "CR without LF at byte 1"},
  };
  for (const auto& row : kBroken) {
    clitest::parseCsv(row.text, &error);
    EXPECT_EQ(error, row.error) << row.text;
  }
}

// --- Exit status

TEST(SwdeCheckExit, FollowsFromFindingsAndUsage) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    const char* outHas;  // "" when stdout may hold anything
    const char* err;     // stderr, exactly; null: anything non-empty
  } kCases[] = {
      {"clean document",
       {"examples/clean.xml"},
       0,
       "1 file, 12 objects (12 checked), 0 errors, 0 warnings\n",
       ""},
      {"faulty document", {"examples/faults.xml"}, 1, " errors, ", ""},
      {"warnings only",
       {"--annex", "examples/annex.xml", "examples/custom.xml"},
       0,
       " 6008 G5DZE warning: ",
       ""},
      {"missing file",
       {"no-such-file.xml"},
       2,
       "",
       "swde-check: no-such-file.xml: cannot open: No such file or directory\n"},
      {"directory", {"examples"}, 2, "", "swde-check: examples: is a directory, not a document\n"},
      {"unknown option", {"--frobnicate", "examples/clean.xml"}, 2, "", nullptr},
      {"unknown format", {"--format", "xml", "examples/clean.xml"}, 2, "", nullptr},
      {"no input", {}, 2, "", nullptr},
      {"missing annex", {"--annex", "no-such-annex.xml", "examples/clean.xml"}, 2, "", nullptr},
      {"summary with csv",
       {"--summary", "--format", "csv", "examples/clean.xml"},
       2,
       "",
       "swde-check: --summary cannot be combined with --format csv\n"},
      {"a document as annex",
       {"--annex", "examples/clean.xml", "examples/clean.xml"},
       2,
       "",
       "swde-check: reference schema: examples/clean.xml:12:3: objects are not allowed in a "
       "schema\n"},
      {"version", {"--version"}, 0, "swde-check 0.1.0\n", ""},
      {"help", {"--help"}, 0, "--annex", ""},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.name);
    const RunResult run = runTool(row.args);
    EXPECT_EQ(run.exitCode, row.exitCode) << describe(run);
    EXPECT_NE(run.out.find(row.outHas), std::string::npos) << describe(run);
    if (row.err != nullptr) {
      EXPECT_EQ(run.err, row.err);
    } else {
      EXPECT_NE(run.err, "");
    }
  }
}

TEST(SwdeCheckExit, HelpNamesEveryOption) {
  const RunResult run = runTool({"--help"});
  ASSERT_EQ(run.exitCode, 0) << describe(run);
  for (const char* option :
       {"--annex", "--format", "--output", "--summary", "--quiet", "--version", "--help", "FILE"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

TEST(SwdeCheckExit, MalformedDocumentIsReportedWithItsPosition) {
  const struct {
    const char* document;
    const char* err;
  } kCases[] = {
      {"<SWDE>\n  <FOO/>\n</SWDE>\n",
       "swde-check: bad.xml:2:3: unexpected element <FOO> in <SWDE>\n"},
      {"<SWDE>\n  <OBJECT name=\"G5JEW\" <\n</SWDE>\n",
       "swde-check: bad.xml:2:24: not well-formed (invalid token)\n"},
      {"<SWDE>\n  <OBJECT base_type=\"RO\"/>\n</SWDE>\n",
       "swde-check: bad.xml:2:3: missing attribute 'name' on <OBJECT>\n"},
      {"", "swde-check: bad.xml:1:1: no element found\n"},
  };
  for (const auto& row : kCases) {
    SCOPED_TRACE(row.document);
    TempDir dir;
    clitest::writeFile(dir.file("bad.xml"), row.document);
    const RunResult run = runTool({"bad.xml"}, RunOptions{std::nullopt, dir.path()});
    EXPECT_EQ(run.exitCode, 2) << describe(run);
    EXPECT_EQ(run.err, row.err);
  }
}

// --- The three formats

class SwdeCheckFormats : public testing::TestWithParam<const char*> {};

TEST_P(SwdeCheckFormats, TellTheSameFindings) {
  const std::string file = GetParam();
  const RunResult text = runTool({file});
  const RunResult jsonRun = runTool({"--format", "json", file});
  const RunResult csv = runTool({"--format", "csv", file});
  ASSERT_EQ(text.exitCode, 1) << describe(text);
  ASSERT_EQ(jsonRun.exitCode, 1) << describe(jsonRun);
  ASSERT_EQ(csv.exitCode, 1) << describe(csv);

  const clitest::TextReport report = parseText(text.out);
  const json document = json::parse(jsonRun.out);
  const std::vector<Finding> fromJson = clitest::findingsOfJsonFile(document);
  const std::vector<Finding> fromCsv = parseCsvFindings(csv.out);

  ASSERT_FALSE(fromJson.empty());
  EXPECT_EQ(document.at("file"), file);
  EXPECT_EQ(dumpAll(fromCsv), dumpAll(fromJson));
  EXPECT_EQ(dumpAll(report.findings, false), dumpAll(fromJson, false));
  EXPECT_EQ(report.totals, totalsLine(1, document.at("objects").get<std::uint64_t>(),
                                      document.at("checked").get<std::uint64_t>(),
                                      countOf(fromJson, 0), countOf(fromJson, 1)));
  EXPECT_FALSE(document.contains("error"));
  EXPECT_FALSE(document.contains("summary"));
}

INSTANTIATE_TEST_SUITE_P(Examples, SwdeCheckFormats,
                         testing::Values("examples/faults.xml", "examples/own-sections.xml"));

TEST(SwdeCheckFormatsIds, AreThoseOfTheObjectOrEntry) {
  // Ids default to ordinals: objects within the document, attributes and relations within
  // their object, counted apart. An object-level finding carries the object's id.
  const RunResult run = runTool({"--format", "json", "examples/faults.xml"});
  const std::vector<Finding> findings = jsonFindings(run.out);
  std::map<std::string, std::uint32_t> idOf;  // "code@line" -> id
  for (const Finding& finding : findings) {
    idOf[std::to_string(finding.code) + "@" + std::to_string(finding.line)] = finding.id;
  }
  const std::map<std::string, std::uint32_t> kExpected = {
      {"6024@14", 1},   // object 1, its status
      {"6011@78", 7},   // object 7 as a whole: a repeated attribute
      {"6013@83", 3},   // object 7, its third attribute (G5PEW)
      {"6010@96", 1},   // object 7, its first relation (G5ROBR)
      {"6028@128", 3},  // object 9, its third attribute (G5KOD)
      {"6001@130", 4},  // object 9, its fourth attribute (G5NIP)
      {"6002@136", 1},  // object 9, its first relation (G5RDOK)
  };
  for (const auto& [key, id] : kExpected) {
    ASSERT_EQ(idOf.count(key), 1u) << key << "\n" << dumpAll(findings);
    EXPECT_EQ(idOf.at(key), id) << key;
  }
}

TEST(SwdeCheckCsv, QuotesCommasAndQuotesInFileNamesAndMessages) {
  TempDir dir;
  const std::string name = "parcel, \"old\".xml";
  clitest::writeFile(dir.file(name), R"(<?xml version="1.0" encoding="UTF-8"?>
<SWDE>
  <OBJECT name="G5JEW" base_type="RO" status="00">
    <ATTRIBUTES>
      <ATTR name="G5IDJ" value_str="126101_1"/>
      <ATTR name="G5NAZ" value_str="Kraków"/>
      <ATTR name='G5X,"Y"' value_str="1"/>
      <ATTR name="G5DTW" value_str="2024.02.15"/>
      <ATTR name="G5DTU" value_str="2003.06.30-08:00:00"/>
    </ATTRIBUTES>
  </OBJECT>
</SWDE>
)");
  const RunResult csv = runTool({"--format", "csv", name}, RunOptions{std::nullopt, dir.path()});
  const RunResult jsonRun =
      runTool({"--format", "json", name}, RunOptions{std::nullopt, dir.path()});
  ASSERT_EQ(csv.exitCode, 0) << describe(csv);  // 6001 is a warning
  const std::vector<Finding> fromCsv = parseCsvFindings(csv.out);
  ASSERT_EQ(fromCsv.size(), 1u) << csv.out;
  EXPECT_EQ(fromCsv[0].file, name);
  EXPECT_EQ(fromCsv[0].line, 7u);
  EXPECT_EQ(fromCsv[0].id, 3u);
  EXPECT_EQ(fromCsv[0].code, 6001);
  EXPECT_EQ(fromCsv[0].msgType, 1);
  EXPECT_EQ(fromCsv[0].message, "Atrybut G5X,\"Y\" nie jest zdefiniowany dla rekordu G5JEW");
  EXPECT_EQ(dumpAll(fromCsv), dumpAll(jsonFindings(jsonRun.out)));
}

// --- Standard input

TEST(SwdeCheckStdin, DashReadsTheSameDocument) {
  for (const char* format : {"text", "json", "csv"}) {
    SCOPED_TRACE(format);
    const RunResult fromFile = runTool({"--format", format, "examples/faults.xml"});
    const RunResult fromStdin =
        runTool({"--format", format, "-"},
                RunOptions{clitest::readFile(clitest::sourcePath("examples/faults.xml")), ""});
    EXPECT_EQ(fromStdin.exitCode, 1) << describe(fromStdin);
    EXPECT_EQ(fromStdin.err, "");
    std::vector<Finding> expected;
    std::vector<Finding> actual;
    if (std::string(format) == "text") {
      expected = withFile(parseText(fromFile.out).findings, "<stdin>");
      actual = parseText(fromStdin.out).findings;
      EXPECT_EQ(parseText(fromStdin.out).totals, parseText(fromFile.out).totals);
    } else if (std::string(format) == "json") {
      expected = withFile(jsonFindings(fromFile.out), "<stdin>");
      actual = jsonFindings(fromStdin.out);
    } else {
      expected = withFile(parseCsvFindings(fromFile.out), "<stdin>");
      actual = parseCsvFindings(fromStdin.out);
    }
    EXPECT_FALSE(actual.empty());
    EXPECT_EQ(dumpAll(actual), dumpAll(expected));
  }
}

TEST(SwdeCheckStdin, MalformedInputIsNamedStdin) {
  const RunResult run = runTool({"-"}, RunOptions{std::string("<SWDE>\n<OBJECT>"), ""});
  EXPECT_EQ(run.exitCode, 2) << describe(run);
  EXPECT_EQ(run.err, "swde-check: <stdin>:2:1: missing attribute 'name' on <OBJECT>\n");
}

// --- Reference schema

TEST(SwdeCheckAnnex, CustomSchemaReplacesTheBuiltInOne) {
  const RunResult custom =
      runTool({"--format", "json", "--annex", "examples/annex.xml", "examples/custom.xml"});
  const RunResult builtIn = runTool({"--format", "json", "examples/custom.xml"});
  EXPECT_EQ(custom.exitCode, 0) << describe(custom);
  EXPECT_EQ(builtIn.exitCode, 1) << describe(builtIn);

  // The custom schema asks a land register number at level 2 and nothing the document lacks.
  EXPECT_EQ(dumpAll(jsonFindings(custom.out)),
            "examples/custom.xml:70#6 6008 G5DZE w Brak wymaganego atrybutu G5NKW w rekordzie "
            "G5DZE\n");
  // The built-in one requires the ownership right and the register unit of both parcels.
  std::multiset<std::string> builtInFindings;
  for (const Finding& finding : jsonFindings(builtIn.out)) {
    builtInFindings.insert(std::to_string(finding.code) + (finding.msgType == 0 ? " e " : " w ") +
                           finding.message);
  }
  EXPECT_EQ(builtInFindings.count("6008 e Brak wymaganego atrybutu G5RPWL w rekordzie G5DZE"), 2u);
  EXPECT_EQ(builtInFindings.count("6009 e Brak wymaganej relacji G5RJDR w rekordzie G5DZE"), 2u);
  EXPECT_EQ(builtInFindings.count("6008 e Brak wymaganego atrybutu G5NKW w rekordzie G5DZE") +
                builtInFindings.count("6008 w Brak wymaganego atrybutu G5NKW w rekordzie G5DZE"),
            0u);
}

TEST(SwdeCheckAnnex, RecordTypesOutsideTheCustomSchemaAreUndefined) {
  const RunResult run =
      runTool({"--format", "json", "--annex", "examples/annex.xml", "examples/clean.xml"});
  EXPECT_EQ(run.exitCode, 1) << describe(run);
  std::set<std::string> undefined;
  for (const Finding& finding : jsonFindings(run.out)) {
    if (finding.code == 6007) {
      undefined.insert(finding.typeName);
    }
  }
  EXPECT_EQ(undefined,
            (std::set<std::string>{"G5BUD", "G5DOK", "G5JDR", "G5KLU", "G5OSF", "G5UDZ"}));
}

// --- Several inputs

TEST(SwdeCheckSeveralFiles, ReportEachInTurnAndCountThemAll) {
  const std::vector<std::string> files = {"examples/clean.xml", "examples/faults.xml",
                                          "examples/own-sections.xml"};
  std::vector<Finding> expected;
  std::uint64_t objects = 0;
  std::uint64_t checked = 0;
  std::vector<json> singles;
  for (const std::string& file : files) {
    const RunResult single = runTool({"--format", "json", file});
    singles.push_back(json::parse(single.out));
    const std::vector<Finding> findings = clitest::findingsOfJsonFile(singles.back());
    expected.insert(expected.end(), findings.begin(), findings.end());
    objects += singles.back().at("objects").get<std::uint64_t>();
    checked += singles.back().at("checked").get<std::uint64_t>();
  }

  std::vector<std::string> args = {"--format", "json"};
  args.insert(args.end(), files.begin(), files.end());
  const RunResult jsonRun = runTool(args);
  EXPECT_EQ(jsonRun.exitCode, 1) << describe(jsonRun);
  const json all = json::parse(jsonRun.out);
  ASSERT_TRUE(all.is_array()) << jsonRun.out;
  ASSERT_EQ(all.size(), files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(all[i], singles[i]) << files[i];
  }

  const RunResult text = runTool(files);
  EXPECT_EQ(text.exitCode, 1) << describe(text);
  const clitest::TextReport report = parseText(text.out);
  EXPECT_EQ(dumpAll(report.findings, false), dumpAll(expected, false));
  EXPECT_EQ(report.totals,
            totalsLine(files.size(), objects, checked, countOf(expected, 0), countOf(expected, 1)));

  std::vector<std::string> csvArgs = {"--format", "csv"};
  csvArgs.insert(csvArgs.end(), files.begin(), files.end());
  EXPECT_EQ(dumpAll(parseCsvFindings(runTool(csvArgs).out)), dumpAll(expected));
}

TEST(SwdeCheckSeveralFiles, SummaryCountsEveryFinding) {
  const std::vector<std::string> files = {"examples/faults.xml", "examples/own-sections.xml"};
  std::map<std::string, std::uint64_t> byCode;
  std::map<std::string, std::uint64_t> byType;
  for (const std::string& file : files) {
    for (const Finding& finding : jsonFindings(runTool({"--format", "json", file}).out)) {
      ++byCode[std::to_string(finding.code)];
      ++byType[finding.typeName];
    }
  }
  const json expected = {{"byCode", byCode}, {"byType", byType}};

  // Several inputs: a trailing {"summary":...} element.
  const RunResult several = runTool(
      {"--format", "json", "--summary", "examples/faults.xml", "examples/own-sections.xml"});
  EXPECT_EQ(several.exitCode, 1) << describe(several);
  const json all = json::parse(several.out);
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2], json({{"summary", expected}}));

  // One input: a "summary" key beside the findings.
  const RunResult one = runTool({"--format", "json", "--summary", "examples/own-sections.xml"});
  const json single = json::parse(one.out);
  ASSERT_TRUE(single.is_object());
  EXPECT_EQ(single.at("summary").at("byCode"),
            json({{"6001", 2}, {"6002", 1}, {"6007", 2}, {"6021", 1}}));

  // Text: the counts follow the totals line.
  const RunResult text = runTool({"--summary", "examples/faults.xml", "examples/own-sections.xml"});
  std::string block = "By code:\n";
  for (const auto& [code, count] : byCode) {
    block += "  " + code + " " + std::to_string(count) + "\n";
  }
  block += "By record type:\n";
  for (const auto& [type, count] : byType) {
    block += "  " + type + " " + std::to_string(count) + "\n";
  }
  const std::string totals = parseText(text.out).totals + "\n";
  EXPECT_NE(text.out.find(totals + block), std::string::npos) << text.out;
  EXPECT_EQ(text.out.substr(text.out.size() - block.size()), block);
}

// --- Broken inputs among good ones

const char kBrokenDocument[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<SWDE>
  <OBJECT name="G5JEW" base_type="RD" status="00">
    <ATTRIBUTES>
      <ATTR name="G5IDJ" value_str="126101_1"/>
      <ATTR name="G5NAZ" value_str="Kraków"/>
      <ATTR name="G5DTW" value_str="2024.02.15"/>
      <ATTR name="G5DTU" value_str="2003.06.30-08:00:00"/>
    </ATTRIBUTES>
  </OBJECT>
  <OBJECT name="G5OBR" base_type="RO" status="00">
    <ATTRIBUTES>
  </OBJECT>
</SWDE>
)";

TEST(SwdeCheckBrokenInput, OutputBeforeItIsKeptAndLaterFilesAreChecked) {
  TempDir dir;
  clitest::writeFile(dir.file("broken.xml"), kBrokenDocument);
  const std::string clean = clitest::sourcePath("examples/clean.xml");
  const std::string faults = clitest::sourcePath("examples/faults.xml");
  const RunOptions inDir{std::nullopt, dir.path()};
  const std::string kError = "broken.xml:13:5: mismatched tag";

  const RunResult jsonRun =
      runTool({"--format", "json", clean, "broken.xml", "missing.xml", faults}, inDir);
  EXPECT_EQ(jsonRun.exitCode, 2) << describe(jsonRun);
  EXPECT_EQ(jsonRun.err, "swde-check: " + kError +
                             "\nswde-check: missing.xml: cannot open: No such file or directory\n");
  const json all = json::parse(jsonRun.out);
  ASSERT_TRUE(all.is_array()) << jsonRun.out;
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].at("file"), clean);
  EXPECT_FALSE(all[0].contains("error"));
  EXPECT_EQ(all[0].at("objects"), 12);
  // The object read before the fault has been checked and reported.
  EXPECT_EQ(all[1].at("file"), "broken.xml");
  EXPECT_EQ(all[1].at("error"), kError);
  EXPECT_EQ(all[1].at("objects"), 1);
  EXPECT_EQ(dumpAll(clitest::findingsOfJsonFile(all[1])),
            "broken.xml:3#1 6006 G5JEW e Niepoprawny typ bazowy rekordu G5JEW\n");
  EXPECT_EQ(all[2].at("file"), "missing.xml");
  EXPECT_EQ(all[2].at("error"), "missing.xml: cannot open: No such file or directory");
  EXPECT_EQ(all[2].at("errors"), json::array());
  EXPECT_EQ(all[3].at("file"), faults);
  EXPECT_FALSE(all[3].contains("error"));
  EXPECT_EQ(all[3], json::parse(runTool({"--format", "json", faults}).out));

  const RunResult text = runTool({clean, "broken.xml", faults}, inDir);
  EXPECT_EQ(text.exitCode, 2) << describe(text);
  EXPECT_EQ(text.err, "swde-check: " + kError + "\n");
  const std::vector<Finding> findings = parseText(text.out).findings;
  ASSERT_FALSE(findings.empty());
  EXPECT_EQ(findings[0].dump(false),
            "broken.xml:3 6006 G5JEW e Niepoprawny typ bazowy rekordu G5JEW");
  EXPECT_EQ(dumpAll(std::vector<Finding>(findings.begin() + 1, findings.end()), false),
            dumpAll(parseText(runTool({faults}).out).findings, false));
}

// An input that breaks off still counts, in the totals line, the objects and findings that
// were read and printed before the break, as the JSON report does.
TEST(SwdeCheckBrokenInput, TotalsCountWhatWasReportedBeforeTheBreak) {
  TempDir dir;
  clitest::writeFile(dir.file("broken.xml"), kBrokenDocument);
  const RunOptions inDir{std::nullopt, dir.path()};
  const RunResult text = runTool({"broken.xml"}, inDir);
  const json document = json::parse(runTool({"--format", "json", "broken.xml"}, inDir).out);
  const std::vector<Finding> findings = clitest::findingsOfJsonFile(document);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(parseText(text.out).totals, totalsLine(1, document.at("objects").get<std::uint64_t>(),
                                                   document.at("checked").get<std::uint64_t>(),
                                                   countOf(findings, 0), countOf(findings, 1)));
}

// --- Where the report goes

TEST(SwdeCheckOutput, OutputFileHoldsWhatStdoutWouldHave) {
  for (const char* format : {"text", "json", "csv"}) {
    SCOPED_TRACE(format);
    TempDir dir;
    const std::string report = dir.file("report");
    const RunResult toFile =
        runTool({"--format", format, "--output", report, "examples/faults.xml"});
    const RunResult toStdout = runTool({"--format", format, "examples/faults.xml"});
    EXPECT_EQ(toFile.exitCode, 1) << describe(toFile);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(toFile.err, "");
    EXPECT_FALSE(toStdout.out.empty());
    EXPECT_EQ(clitest::readFile(report), toStdout.out);
  }
}

TEST(SwdeCheckOutput, UnwritableOutputIsBadUsage) {
  const RunResult run =
      runTool({"--output", "/nonexistent-directory/report.txt", "examples/clean.xml"});
  EXPECT_EQ(run.exitCode, 2) << describe(run);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "swde-check: /nonexistent-directory/report.txt: cannot write: No such file or "
            "directory\n");
}

TEST(SwdeCheckOutput, QuietPrintsNothingButKeepsTheExitStatus) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
  } kCases[] = {
      {{"--quiet", "examples/clean.xml"}, 0},
      {{"--quiet", "examples/faults.xml"}, 1},
      {{"--quiet", "--format", "json", "--summary", "examples/faults.xml"}, 1},
      {{"--quiet", "--format", "csv", "examples/faults.xml", "examples/clean.xml"}, 1},
      {{"--quiet", "--annex", "examples/annex.xml", "examples/custom.xml"}, 0},
  };
  for (const auto& row : kCases) {
    const RunResult run = runTool(row.args);
    EXPECT_EQ(run.exitCode, row.exitCode) << describe(run);
    EXPECT_EQ(run.out, "") << row.args.back();
    EXPECT_EQ(run.err, "");
  }
  // A broken input is still told on stderr.
  const RunResult broken = runTool({"--quiet", "examples"});
  EXPECT_EQ(broken.exitCode, 2);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err, "");
}

// --- Encodings

TEST(SwdeCheckEncoding, Windows1250DocumentGivesTheFindingsOfItsUtf8Twin) {
  const std::string utf8Path = "tests/cli/data/twin-utf8.xml";
  const std::string cp1250Path = "tests/cli/data/twin-cp1250.xml";
  // The twins really differ in their bytes: "Ł" is C5 81 in UTF-8 and A3 in windows-1250.
  const std::string cp1250Bytes = clitest::readFile(clitest::sourcePath(cp1250Path));
  EXPECT_NE(cp1250Bytes.find("encoding=\"windows-1250\""), std::string::npos);
  EXPECT_NE(cp1250Bytes.find('\xA3'), std::string::npos);
  EXPECT_EQ(cp1250Bytes.find("\xC5\x81"), std::string::npos);

  const RunResult utf8 = runTool({"--format", "json", utf8Path});
  const RunResult cp1250 = runTool({"--format", "json", cp1250Path});
  EXPECT_EQ(utf8.exitCode, 1) << describe(utf8);
  EXPECT_EQ(cp1250.exitCode, 1) << describe(cp1250);
  const std::vector<Finding> expected = jsonFindings(utf8.out);
  EXPECT_EQ(dumpAll(jsonFindings(cp1250.out)), dumpAll(withFile(expected, cp1250Path)));

  // Names from the document and the catalogue's texts both come out as UTF-8.
  EXPECT_EQ(dumpAll(expected, false),
            "tests/cli/data/twin-utf8.xml:4 6007 G5DZIAŁKA e Brak definicji rekordu G5DZIAŁKA "
            "w sekcji metadanych\n"
            "tests/cli/data/twin-utf8.xml:13 6001 G5ADR w Atrybut G5ŁĄKA nie jest zdefiniowany "
            "dla rekordu G5ADR\n"
            "tests/cli/data/twin-utf8.xml:11 6022 G5ADR e Wartość atrybutu G5MSC w obiekcie "
            "G5ADR nie może być pusta\n");
  // The text format prints the same UTF-8 bytes.
  const RunResult text = runTool({cp1250Path});
  EXPECT_NE(text.out.find("6001 G5ADR warning: Atrybut G5\xC5\x81\xC4\x84KA nie jest"),
            std::string::npos)
      << text.out;
}

}  // namespace

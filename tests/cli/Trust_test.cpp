// swde — semantic checks of SWDE cadastral exchange objects.
//
// What makes a verdict of swde-check trustworthy: any number of jobs gives the report of one
// job; a failure is in every report; the output file is never destroyed, spliced or left
// half-written; hostile names cannot forge lines or formulas.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "swde/package/Orvane.hpp"
#include "swde/xml/Reader.hpp"

#include "Checker.hpp"
#include "Output.hpp"
#include "cli/CliTestSupport.hpp"

extern char** environ;

namespace {

using clitest::runTool;
using clitest::TempDir;
using swde::cli::Failure;
using swde::cli::OutputFormat;

// The report of `text` in the three formats, one after the other.
std::string check(swde::cli::Checker& checker, const std::string& text) {
  std::ostringstream out[3];
  std::vector<std::unique_ptr<swde::cli::OutputSink>> sinks;
  const OutputFormat formats[] = {OutputFormat::kText, OutputFormat::kJson, OutputFormat::kCsv};
  for (int i = 0; i < 3; ++i) {
    sinks.push_back(swde::cli::makeOutputSink(formats[i], out[i], 1, false));
  }
  const auto sink = swde::cli::makeTeeSink(std::move(sinks));
  swde::cli::Summary summary;
  swde::cli::Totals totals;
  std::istringstream in(text);
  checker.check("doc.xml", in, 0, nullptr, *sink, &summary, totals);
  sink->finish(totals, 1, &summary);
  return out[0].str() + out[1].str() + out[2].str();
}

class CheckerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    swde::Initialize();
    annex_ = swde::xml::loadSchema(clitest::sourcePath("data/annex.xml")).release();
  }
  static void TearDownTestSuite() {
    delete annex_;
    swde::Finalize();
  }
  static swde::Metadata* annex_;
};

swde::Metadata* CheckerTest::annex_ = nullptr;

// Every format of every document, whole and broken off, is the same with three jobs reading
// pieces of 64 bytes as with one job.
TEST_F(CheckerTest, JobsNeverChangeTheReport) {
  const std::string faults = clitest::readFile(clitest::sourcePath("examples/faults.xml"));
  const std::string body = faults.substr(faults.find("<SWDE"));
  const std::string object =
      "<OBJECT name=\"G5JEW\" base_type=\"RO\" status=\"99\"><ATTRIBUTES>"
      "<ATTR name=\"G5IDJ\"><VALUE>x<![CDATA[</VALUE></ATTR></ATTRIBUTES></OBJECT><OBJECT "
      "name=\"G5JEW\" status=\"00\">]]></VALUE></ATTR></ATTRIBUTES></OBJECT>\n";
  const std::string documents[] = {
      faults,
      // A CDATA value that reads like the end of a faulty object and a clean one.
      "<SWDE>\n" + object + object + object + body.substr(body.find('>') + 1),
      // A DOCTYPE far from the start.
      std::string(5000, '\n') + "<!DOCTYPE SWDE SYSTEM \"x\">" + body,
      // An instruction that names an encoding in a document without a declaration.
      "<?xml-stylesheet encoding=\"windows-1250\"?>" + body,
      // A broken tag in the middle: nothing after it is reported.
      faults.substr(0, faults.size() / 2) + "<OBJECT name=\"A\"x/>" +
          faults.substr(faults.size() / 2),
      // Lines ended by carriage returns.
      [&] {
        std::string cr = faults;
        std::replace(cr.begin(), cr.end(), '\n', '\r');
        return cr;
      }(),
  };
  swde::cli::CheckerSettings one;
  swde::cli::CheckerSettings three;
  three.jobs = 3;
  three.pieceBytes = 64;
  swde::cli::Checker single(*annex_, one);
  swde::cli::Checker pieces(*annex_, three);
  for (const std::string& document : documents) {
    for (std::size_t end = document.size(); end > 0; end = end > 997 ? end - 997 : 0) {
      const std::string text = document.substr(0, end);
      const std::string report = check(single, text);
      ASSERT_EQ(check(pieces, text), report) << end << " bytes of\n" << document.substr(0, 300);
    }
  }
  // The faulty object is reported, not hidden in the CDATA value.
  EXPECT_NE(check(pieces, documents[1]).find("doc.xml:2: 6024 G5JEW error"), std::string::npos);
}

// A failure is in every report, named with its file and, when it has one, its position.
TEST(ReportFailures, EveryFormatCarriesThem) {
  const Failure broken{"a.xml", 12, 7, "mismatched tag"};
  const Failure missing{"b\n.xml", 0, 0, "cannot open: No such file or directory"};
  swde::cli::Totals totals;
  totals.unreadable = 2;
  const std::string expected[] = {
      "a.xml:12:7: fatal: mismatched tag\nb\\x0A.xml: fatal: cannot open: No such file or "
      "directory\n2 files (2 unreadable), 0 objects (0 checked), 0 errors, 0 warnings\n",
      "[\n{\"file\":\"a.xml\",\"errors\":[],\"objects\":0,\"checked\":0,\"error\":\"a.xml:12:7: "
      "mismatched tag\"},\n{\"file\":\"b\\n.xml\",\"errors\":[],\"objects\":0,\"checked\":0,"
      "\"error\":\"b\\n.xml: cannot open: No such file or directory\"}\n]\n",
      "file,line,id,code,msgType,typeName,message\r\na.xml,12,,fatal,,,mismatched tag\r\n\"b\n"
      ".xml\",,,fatal,,,cannot open: No such file or directory\r\n",
  };
  const OutputFormat formats[] = {OutputFormat::kText, OutputFormat::kJson, OutputFormat::kCsv};
  for (int i = 0; i < 3; ++i) {
    std::ostringstream out;
    const auto sink = swde::cli::makeOutputSink(formats[i], out, 2, false);
    for (const Failure* failure : {&broken, &missing}) {
      sink->beginFile(failure->file);
      sink->failFile(failure->file, swde::cli::Totals{}, *failure);
    }
    sink->finish(totals, 2, nullptr);
    EXPECT_EQ(out.str(), expected[i]);
  }
}

// Text a spreadsheet would take for a formula is written as text.
TEST(ReportFailures, CsvFieldsAreNeverFormulas) {
  std::ostringstream out;
  const auto sink = swde::cli::makeOutputSink(OutputFormat::kCsv, out, 1, false);
  swde::cli::Finding finding;
  finding.code = 6007;
  for (const char* name : {"=HYPERLINK(\"x\")", "+1", "-1", "@SUM(A1)", "\tx", "\rx", "G5-X"}) {
    finding.typeName = name;
    finding.message = name;
    sink->finding("=f.xml", finding);
  }
  EXPECT_EQ(out.str(),
            "file,line,id,code,msgType,typeName,message\r\n"
            "'=f.xml,0,0,6007,0,\"'=HYPERLINK(\"\"x\"\")\",\"'=HYPERLINK(\"\"x\"\")\"\r\n"
            "'=f.xml,0,0,6007,0,'+1,'+1\r\n'=f.xml,0,0,6007,0,'-1,'-1\r\n"
            "'=f.xml,0,0,6007,0,'@SUM(A1),'@SUM(A1)\r\n'=f.xml,0,0,6007,0,'\tx,'\tx\r\n"
            "'=f.xml,0,0,6007,0,\"'\rx\",\"'\rx\"\r\n'=f.xml,0,0,6007,0,G5-X,G5-X\r\n");
}

// An exception that is not the reader's (out of memory) ends the file with a named failure,
// and the JSON report is still whole.
TEST_F(CheckerTest, OutOfMemoryClosesTheReport) {
  class ThrowingSink final : public swde::cli::OutputSink {
   public:
    explicit ThrowingSink(std::ostream& out)
        : json_(swde::cli::makeOutputSink(OutputFormat::kJson, out, 1, false)) {}
    void beginFile(const std::string& file) override { json_->beginFile(file); }
    void finding(const std::string&, const swde::cli::Finding&) override { throw std::bad_alloc(); }
    void endFile(const std::string& file, const swde::cli::Totals& t) override {
      json_->endFile(file, t);
    }
    void failFile(const std::string& file, const swde::cli::Totals& t,
                  const Failure& failure) override {
      json_->failFile(file, t, failure);
    }
    void finish(const swde::cli::Totals& t, std::size_t n, const swde::cli::Summary* s) override {
      json_->finish(t, n, s);
    }

   private:
    std::unique_ptr<swde::cli::OutputSink> json_;
  };
  for (const unsigned jobs : {1U, 2U}) {
    std::ostringstream out;
    ThrowingSink sink(out);
    swde::cli::CheckerSettings settings;
    settings.jobs = jobs;
    swde::cli::Checker checker(*annex_, settings);
    std::ifstream in(clitest::sourcePath("examples/faults.xml"), std::ios::binary);
    swde::cli::Totals totals;
    const auto failure = checker.check("faults.xml", in, 0, nullptr, sink, nullptr, totals);
    sink.finish(totals, 1, nullptr);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(swde::cli::describe(*failure), "faults.xml: out of memory");
    EXPECT_EQ(totals.unreadable, 1u);
    EXPECT_EQ(nlohmann::json::parse(out.str()).at("error"), "faults.xml: out of memory");
  }
}

TEST(ProgressBar, AFileThatGrowsShowsAHundredPercent) {
  std::ostringstream out;
  {
    swde::cli::ProgressBar bar("doc.xml", out);
    bar.update(50, 100);
    bar.update(150, 100);
  }
  EXPECT_NE(out.str().find("] 100%"), std::string::npos) << out.str();
}

// --- The output file

// Starts swde-check with `args`; returns its process id.
pid_t start(const std::vector<std::string>& args) {
  std::vector<std::string> words{SWDE_CHECK_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputFile, AnInputOrTheAnnexIsNeverOverwritten) {
  TempDir dir;
  const std::string document = clitest::readFile(clitest::sourcePath("examples/faults.xml"));
  clitest::writeFile(dir.file("doc.xml"), document);
  clitest::writeFile(dir.file("annex.xml"),
                     clitest::readFile(clitest::sourcePath("data/annex.xml")));
  std::filesystem::create_symlink("doc.xml", dir.file("link.xml"));
  std::filesystem::create_hard_link(dir.file("annex.xml"), dir.file("hard.xml"));
  const clitest::RunOptions inDir{std::nullopt, dir.path()};
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"doc.xml", "--output", "doc.xml"}, "doc.xml is the same file as doc.xml"},
      {{"doc.xml", "--output", "link.xml"}, "link.xml is the same file as doc.xml"},
      {{"doc.xml", "--annex", "annex.xml", "--output", "hard.xml"},
       "hard.xml is the same file as annex.xml"},
  };
  for (const auto& row : rows) {
    const clitest::RunResult run = runTool(row.args, inDir);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "swde-check: --output " + row.err + ", which the report would overwrite\n");
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(clitest::readFile(dir.file("doc.xml")), document);
  clitest::writeFile(dir.file("keep.txt"), "kept");
  EXPECT_EQ(runTool({"doc.xml", "--quiet", "--output", "keep.txt"}, inDir).exitCode, 1);
  EXPECT_EQ(clitest::readFile(dir.file("keep.txt")), "kept");
  EXPECT_EQ(namesIn(dir.path()).size(), 5u);
}

// A run stopped by a signal, or two runs at once, never leave a half-written or spliced file.
TEST(OutputFile, InterruptedOrConcurrentRunsLeaveAWholeFile) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo.xml").c_str(), 0600), 0);
  clitest::writeFile(dir.file("report.txt"), "old report\n");
  for (const int signal : {SIGINT, SIGTERM}) {
    const pid_t pid = start({dir.file("fifo.xml"), "--output", dir.file("report.txt")});
    const int writer = open(dir.file("fifo.xml").c_str(), O_WRONLY);  // the tool reads now
    ASSERT_GE(writer, 0);
    ASSERT_EQ(write(writer, "<SWDE>", 6), 6);
    while (namesIn(dir.path()).size() < 3) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the temporary file
    }
    kill(pid, signal);
    const int status = waitFor(pid);
    close(writer);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_EQ(clitest::readFile(dir.file("report.txt")), "old report\n");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"fifo.xml", "report.txt"}));
  }
  const std::string a = clitest::sourcePath("examples/faults.xml");
  const std::string b = clitest::sourcePath("examples/clean.xml");
  for (int round = 0; round < 5; ++round) {
    const pid_t first = start({a, "--output", dir.file("report.txt")});
    const pid_t second = start({b, "--output", dir.file("report.txt")});
    waitFor(first);
    waitFor(second);
    const std::string report = clitest::readFile(dir.file("report.txt"));
    EXPECT_TRUE(report == runTool({a}).out || report == runTool({b}).out) << report;
  }
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"fifo.xml", "report.txt"}));
}

// --- Inputs

// A pipe named by a path is read by any number of jobs, and gives the report of a file.
TEST(Inputs, PipesByPathWithJobs) {
  TempDir dir;
  clitest::RunOptions generator;
  generator.program = SWDE_GEN_PATH;
  ASSERT_EQ(
      runTool({"--objects", "4000", "--seed", "7", "--output", dir.file("doc.xml")}, generator)
          .exitCode,
      0);
  ASSERT_EQ(mkfifo(dir.file("fifo.xml").c_str(), 0600), 0);
  const std::string text = clitest::readFile(dir.file("doc.xml"));
  std::thread writer([&] { clitest::writeFile(dir.file("fifo.xml"), text); });
  const clitest::RunResult piped =
      runTool({"-j3", "--format", "csv", "fifo.xml"}, {std::nullopt, dir.path()});
  writer.join();
  const clitest::RunResult file =
      runTool({"-j1", "--format", "csv", "doc.xml"}, {std::nullopt, dir.path()});
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(piped.exitCode, file.exitCode);
  std::string expected = file.out;
  for (std::size_t at = expected.find("\ndoc.xml,"); at != std::string::npos;
       at = expected.find("\ndoc.xml,", at + 1)) {
    expected.replace(at + 1, 7, "fifo.xml");
  }
  EXPECT_TRUE(piped.out == expected);
  EXPECT_GT(piped.out.size(), 10000u);
}

// A file name cannot forge lines on standard error.
TEST(Inputs, NamesOnStandardErrorStayOneLine) {
  const clitest::RunResult run = runTool({"--quiet", "no\x1b[31m\nswde-check: all clean.xml"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err,
            "swde-check: no\\x1B[31m\\x0Aswde-check: all clean.xml: cannot open: No such file or "
            "directory\n");
}

}  // namespace

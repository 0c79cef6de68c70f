// swde — semantic checks of SWDE cadastral exchange objects.
//
// What the golden cases cannot say about swde-check: three jobs reading pieces of 64 bytes give
// the report of one job; an exception of the run closes the report; a cancelled check stops; the
// output file survives signals, concurrent runs and links to an input; a FIFO is read by several
// jobs.
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "swde/engine/Checker.hpp"
#include "swde/engine/Output.hpp"

#include "ProgressBar.hpp"
#include "Support.hpp"

namespace {

namespace fs = std::filesystem;
using swde::engine::OutputFormat;
using swde_test::Slurp;
using swde_test::TempDir;
using swde_test::Write;

const std::string kSource = SWDE_SOURCE_DIR;

// Starts `program` with `args`, the signals the tests send taking their default action.
pid_t Start(const std::string& program, std::vector<std::string> args,
            const std::string& out = "/dev/null", const std::string& err = "/dev/null") {
  args.insert(args.begin(), program);
  return swde_test::Start(args, {out, err, O_WRONLY | O_CREAT | O_TRUNC, true});
}

int Wait(pid_t pid) {
  return swde_test::Wait(pid).status;
}

// swde-check's exit status, standard output and standard error.
std::vector<std::string> Check(const std::vector<std::string>& args) {
  TempDir dir;
  const int status = Wait(Start(SWDE_CHECK_PATH, args, dir / "out", dir / "err"));
  return {std::to_string(WEXITSTATUS(status)), Slurp(dir / "out"), Slurp(dir / "err")};
}

// The catalogue is the one Support.hpp's environment builds for the whole program.
class CheckerTest : public ::testing::Test {
 protected:
  std::unique_ptr<swde::Metadata> annex_ = swde::xml::loadSchema(kSource + "/data/annex.xml");
};

// The report of `text` in the three formats, one after the other.
std::string Report(swde::engine::Checker& checker, const std::string& text) {
  std::ostringstream out[3];
  std::vector<std::unique_ptr<swde::engine::OutputSink>> sinks;
  for (const OutputFormat format : {OutputFormat::kText, OutputFormat::kJson, OutputFormat::kCsv}) {
    sinks.push_back(swde::engine::makeOutputSink(format, out[sinks.size()], {}, false));
  }
  const auto sink = swde::engine::makeTeeSink(std::move(sinks));
  swde::engine::Summary summary;
  swde::engine::Totals totals;
  std::istringstream in(text);
  checker.check("doc.xml", in, 0, nullptr, *sink, &summary, totals);
  sink->finish(totals, 1, summary);
  return out[0].str() + out[1].str() + out[2].str();
}

// Every format of every document, whole and broken off, is the same with three jobs reading
// pieces of 64 bytes as with one job: objects the cutter reads itself, pieces and failures are
// written in document order, and the document checks see the objects in that order too (a
// repeated key, a share sum settled at the end, none of these after a failure).
TEST_F(CheckerTest, JobsNeverChangeTheReport) {
  const std::string faults = Slurp(kSource + "/examples/faults.xml");
  const std::string body = faults.substr(faults.find("<OBJECT"));
  const std::string object =  // a CDATA value reading like the end of a faulty object
      "<OBJECT name=\"G5JEW\" base_type=\"RO\" status=\"99\"><ATTRIBUTES>"
      "<ATTR name=\"G5IDJ\"><VALUE>x<![CDATA[</VALUE></ATTR></ATTRIBUTES></OBJECT><OBJECT "
      "name=\"G5JEW\" status=\"00\">]]></VALUE></ATTR></ATTRIBUTES></OBJECT>\n";
  const std::string documents[] = {
      faults,
      "<SWDE>\n" + object + object + object + body,
      faults.substr(0, faults.size() / 2) + "<OBJECT name=\"A\"x/>" +
          faults.substr(faults.size() / 2),
      Slurp(kSource + "/examples/document-faults.xml"),
  };
  swde::engine::Checker single(*annex_, {});
  swde::engine::Checker pieces(*annex_, {3, 64, {}, {}, true, {}, {}});
  for (const std::string& document : documents) {
    for (std::size_t end = document.size(); end > 0; end = end > 997 ? end - 997 : 0) {
      const std::string text = document.substr(0, end);
      ASSERT_TRUE(Report(pieces, text) == Report(single, text)) << end << " bytes of\n" << text;
    }
  }
  EXPECT_NE(Report(pieces, documents[1]).find("doc.xml:2: 6024 G5JEW error"), std::string::npos);
  EXPECT_NE(Report(pieces, documents[3]).find("doc.xml:235: 7030 G5UDZ error"), std::string::npos);
}

// An exception other than the reader's (out of memory) ends the file with a named failure; the
// JSON report is still whole.
TEST_F(CheckerTest, OutOfMemoryClosesTheReport) {
  struct Sink final : swde::engine::OutputSink {
    std::ostringstream out;
    std::unique_ptr<OutputSink> json =
        swde::engine::makeOutputSink(OutputFormat::kJson, out, {}, false);
    void beginFile(const std::string& f) override { json->beginFile(f); }
    void finding(const std::string&, const swde::engine::Finding&) override {
      throw std::bad_alloc();
    }
    void endFile(const std::string& f, const swde::engine::Totals& t,
                 const swde::engine::Summary& s, const swde::engine::Failure* e) override {
      json->endFile(f, t, s, e);
    }
    void finish(const swde::engine::Totals& t, std::size_t n,
                const swde::engine::Summary& s) override {
      json->finish(t, n, s);
    }
  };
  for (const unsigned jobs : {1U, 2U}) {
    Sink sink;
    swde::engine::Checker checker(*annex_, {jobs, std::size_t{1} << 20, {}, {}, true, {}, {}});
    std::ifstream in(kSource + "/examples/faults.xml", std::ios::binary);
    swde::engine::Totals totals;
    const auto failure = checker.check("faults.xml", in, 0, nullptr, sink, nullptr, totals);
    sink.finish(totals, 1, {});
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(swde::engine::describe(*failure), "faults.xml: out of memory");
    EXPECT_EQ(totals.unreadable, 1u);
    EXPECT_EQ(nlohmann::json::parse(sink.out.str()).at("files").at(0).at("fatal"),
              nlohmann::json({{"message", "out of memory"}}));
  }
}

// A check is cancelled at the poll that says so, whichever thread holds the work then: with one
// job, with three reading pieces of 64 bytes (the workers drop what is left) and with whole
// pieces; it throws Cancelled, and asks nothing more. Never cancelled, the report is unchanged.
TEST_F(CheckerTest, CancelledAtThePollThatSaysSo) {
  const std::string faults = Slurp(kSource + "/examples/faults.xml");
  std::string text = faults.substr(0, faults.find("<OBJECT"));
  for (int i = 0; i < 100; ++i) {  // 1600 objects
    text += faults.substr(faults.find("<OBJECT"), faults.rfind("</SWDE>") - faults.find("<OBJECT"));
  }
  text += "</SWDE>\n";
  for (const auto& [jobs, piece] :
       {std::pair<unsigned, std::size_t>{1, 1 << 20}, {3, 64}, {2, 4096}}) {
    int polls = 0;
    int cancelAt = 0;  // 0: never
    swde::engine::CheckerSettings settings{jobs, piece, {}, {}, true, {}, {}};
    settings.cancelled = [&] { return ++polls == cancelAt; };
    swde::engine::Checker checker(*annex_, settings);
    swde::engine::Checker plain(*annex_, {jobs, piece, {}, {}, true, {}, {}});
    EXPECT_EQ(Report(checker, text), Report(plain, text)) << jobs;
    EXPECT_GT(polls, 100) << jobs;
    for (const int at : {1, 2, 7, 40, polls / 2}) {
      polls = 0;
      cancelAt = at;
      std::ostringstream out;
      const auto sink = swde::engine::makeOutputSink(OutputFormat::kText, out, {}, false);
      swde::engine::Totals totals;
      std::istringstream in(text);
      EXPECT_THROW(checker.check("doc.xml", in, 0, nullptr, *sink, nullptr, totals),
                   swde::engine::Cancelled);
      EXPECT_EQ(polls, at) << jobs;
      EXPECT_LT(totals.objects, 1600u) << jobs << " " << at;
    }
  }
}

// A file that grows while it is read shows 100%.
TEST(ProgressBar, GrowingFile) {
  std::ostringstream out;
  swde::cli::ProgressBar("doc.xml", out).update(150, 100);
  EXPECT_NE(out.str().find("] 100%"), std::string::npos) << out.str();
}

// Polish counts take one of three forms: 1; 2-4, 22-24, ... but not 12-14; the rest.
TEST(Language, CountedForms) {
  using swde::engine::Language;
  const swde::engine::Forms errors{"błąd", "błędy", "błędów"};
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0 błędów"},   {1, "1 błąd"},      {2, "2 błędy"},     {4, "4 błędy"},
      {5, "5 błędów"},   {12, "12 błędów"},  {14, "14 błędów"},  {22, "22 błędy"},
      {21, "21 błędów"}, {104, "104 błędy"}, {112, "112 błędów"}};
  for (const auto& [count, text] : cases) {
    EXPECT_EQ(swde::engine::counted(count, errors, Language::kPolish), text);
  }
  EXPECT_EQ(swde::engine::counted(22, {"error", "errors", "errors"}, Language::kEnglish),
            "22 errors");
}

// An --output that is an input or the annex, through any name, is refused and left alone; with
// --quiet no report is written. A run stopped by a signal, or two runs at once, never leave a
// half-written or spliced file, nor a temporary one.
TEST(OutputFile, IsNeverDestroyedNorSpliced) {
  TempDir dir;  // copies: a tool that failed here would destroy what it was given
  const std::string doc = dir / "doc.xml";
  const std::string annex = dir / "annex.xml";
  const std::string report = dir / "report.txt";
  fs::copy_file(kSource + "/examples/faults.xml", doc);
  fs::copy_file(kSource + "/data/annex.xml", annex);
  fs::create_symlink(doc, dir / "link.xml");
  fs::create_hard_link(annex, dir / "hard.xml");
  const std::string tail = ", which the report would overwrite\n";
  EXPECT_EQ(Check({doc, "--output", dir / "link.xml"})[2],
            "swde-check: --output " + dir / "link.xml" + " is the same file as " + doc + tail);
  EXPECT_EQ(Check({doc, "--annex", annex, "--output", dir / "hard.xml"})[2],
            "swde-check: --output " + dir / "hard.xml" + " is the same file as " + annex + tail);
  EXPECT_EQ(Slurp(doc), Slurp(kSource + "/examples/faults.xml"));
  Write(report, "old report\n");
  EXPECT_EQ(Check({doc, "--quiet", "--output", report})[0], "1");
  ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0600), 0);
  for (const int signal : {SIGINT, SIGTERM}) {
    const pid_t pid = Start(SWDE_CHECK_PATH, {dir / "fifo.xml", "--output", report});
    const int writer = open((dir / "fifo.xml").c_str(), O_WRONLY);  // the tool reads now
    ASSERT_EQ(write(writer, "<SWDE>", 6), 6);
    while (dir.Files() < 7) {
      std::this_thread::yield();  // until the temporary file is there
    }
    kill(pid, signal);
    const int status = Wait(pid);
    close(writer);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
  }
  EXPECT_EQ(Slurp(report), "old report\n");
  const std::string clean = kSource + "/examples/clean.xml";
  for (int round = 0; round < 5; ++round) {
    const pid_t first = Start(SWDE_CHECK_PATH, {doc, "--output", report});
    Wait(Start(SWDE_CHECK_PATH, {clean, "--output", report}));
    Wait(first);
    EXPECT_TRUE(Slurp(report) == Check({doc})[1] || Slurp(report) == Check({clean})[1]);
  }
  EXPECT_EQ(dir.Files(), 6);
}

// A FIFO named by a path is read and cut by three jobs, and gives the report of the file.
TEST(Inputs, FifoByPathWithJobs) {
  TempDir dir;
  ASSERT_EQ(Wait(Start(SWDE_GEN_PATH, {"--objects", "4000", "--output", dir / "doc.xml"})), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0600), 0);
  std::thread writer([&] { Write(dir / "fifo.xml", Slurp(dir / "doc.xml")); });
  const std::vector<std::string> piped = Check({"-j3", "--format", "json", dir / "fifo.xml"});
  writer.join();
  std::vector<std::string> file = Check({"-j1", "--format", "json", dir / "doc.xml"});
  file[1].replace(file[1].find("doc.xml"), 7, "fifo.xml");
  EXPECT_TRUE(piped == file);
  EXPECT_GT(piped[1].size(), 10000u);
}

}  // namespace

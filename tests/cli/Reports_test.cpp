// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-check run as a user runs it, for what the golden cases cannot hold: where --output leads
// (descriptors, links, devices), a signal ignored by whoever started the run, file names that are
// not UTF-8 (made here, at run time: not every file system can keep them in the repository), and
// the options that must refuse what they cannot mean.
#include <functional>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "swde/platform/Bytes.hpp"

#include "Support.hpp"

namespace {

namespace fs = std::filesystem;
using swde_test::Replace;
using swde_test::Slurp;
using swde_test::Start;
using swde_test::TempDir;
using swde_test::Wait;
using swde_test::Write;

const std::string kSource = SWDE_SOURCE_DIR;
const std::string kClean = kSource + "/examples/clean.xml";

// A run of swde-check: its standard output goes to `out` opened with `outFlags` (a scratch file
// by default), standard error to a scratch file.
struct Tool {
  explicit Tool(std::vector<std::string> words, std::string stdoutPath = "",
                int flags = O_WRONLY | O_CREAT | O_TRUNC)
      : args(std::move(words)), out(std::move(stdoutPath)), outFlags(flags) {}

  std::vector<std::string> args;
  std::string out;
  int outFlags;
  TempDir scratch;

  pid_t start() {
    out = out.empty() ? scratch / "out" : out;
    args.insert(args.begin(), SWDE_CHECK_PATH);
    const pid_t pid = Start(args, {out, scratch / "err", outFlags});
    args.erase(args.begin());
    return pid;
  }
  int wait(pid_t pid) { return Wait(pid).status; }  // runs to the end: the wait status
  int operator()() { return wait(start()); }
  std::string err() { return Slurp(scratch / "err"); }
};

// The text report of `args`, on standard output.
std::string ReportOf(std::vector<std::string> args) {
  Tool run{std::move(args)};
  run();
  return Slurp(run.out);
}

// The temporary files a run left in `dir`.
long Leftovers(const std::string& dir) {
  long count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    count += entry.path().filename().string().find(".swde-check-") != std::string::npos;
  }
  return count;
}

// Every kind of path --output may name: a regular file or a new name is replaced whole through a
// temporary file beside it; a link leads to its target (even one not made yet), which is
// replaced and the link kept; a name of a descriptor is written through that descriptor, so a
// shell's ">>" appends; a FIFO or a device is written in place.
TEST(OutputPaths, EachKindOfPathGetsTheReportAndKeepsTheRest) {
  const std::string report = ReportOf({kClean});
  ASSERT_NE(report.find("0 errors"), std::string::npos);
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> setup;
    std::string output;     // --output, under the directory ("@/name") or absolute
    bool stdoutAppendsLog;  // standard output is "log" opened as ">>" opens it
    std::string file;       // the file that must hold...
    std::string contents;   // ...this ("@R" stands for the report)
    std::vector<std::pair<std::string, std::string>> links;  // that stay, with their targets
  };
  const auto keep = [](const TempDir& dir) { Write(dir / "log", "old\n"); };
  const auto links = [](std::vector<std::pair<std::string, std::string>> made) {
    return [made](const TempDir& dir) {
      fs::create_directory(dir / "sub");
      Write(dir / "old.txt", "old\n");
      for (const auto& [link, target] : made) {
        fs::create_symlink(target, dir / link);
      }
    };
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"/dev/stdout >> log", keep, "/dev/stdout", true, "log", "old\n@R", {}},
      {"/dev/fd/1 >> log", keep, "/dev/fd/1", true, "log", "old\n@R", {}},
      {"/proc/self/fd/1 >> log", keep, "/proc/self/fd/1", true, "log", "old\n@R", {}},
      {"a regular file", keep, "@/log", false, "log", "@R", {}},
      {"a new file", keep, "@/new.txt", false, "new.txt", "@R", {}},
      {"a link to a file not made yet", links({{"latest.txt", "sub/r.txt"}}), "@/latest.txt", false,
       "sub/r.txt", "@R", {{"latest.txt", "sub/r.txt"}}},
      {"a link to a file", links({{"latest.txt", "old.txt"}}), "@/latest.txt", false, "old.txt",
       "@R", {{"latest.txt", "old.txt"}}},
      {"links in a chain, each relative to its own directory", links({{"a", "sub/b"}, {"sub/b", "c"}}),
       "@/a", false, "sub/c", "@R", {{"a", "sub/b"}, {"sub/b", "c"}}},
      {"/dev/null", keep, "/dev/null", false, "log", "old\n", {}},
  };
  // clang-format on
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    row.setup(dir);
    Tool run{{kClean, "--output", Replace(row.output, "@", dir.path)}};
    if (row.stdoutAppendsLog) {
      run.out = dir / "log";
      run.outFlags = O_WRONLY | O_APPEND;
    }
    const int status = run();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << run.err();
    EXPECT_EQ(Slurp(dir / row.file), Replace(row.contents, "@R", report));
    for (const auto& [link, target] : row.links) {
      EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / link))) << link;
      EXPECT_EQ(fs::read_symlink(dir / link), target);
    }
    EXPECT_EQ(Leftovers(dir.path), 0);
  }

  // A FIFO is written in place, to whoever reads it.
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::string read;
  std::thread reader([&] { read = Slurp(dir / "fifo"); });
  Tool toFifo{{kClean, "--output", dir / "fifo"}};
  EXPECT_EQ(toFifo(), 0);
  reader.join();
  EXPECT_EQ(read, report);
  // A descriptor that is not open, and standard output appending to the input itself.
  Tool closed{{kClean, "--output", "/dev/fd/9"}};
  EXPECT_EQ(WEXITSTATUS(closed()), 2);
  EXPECT_EQ(closed.err(), "swde-check: /dev/fd/9: cannot write: Bad file descriptor\n");
  const std::string input = dir / "doc.xml";
  fs::copy_file(kClean, input);
  Tool intoInput{{input, "--output", "/dev/stdout"}, input, O_WRONLY | O_APPEND};
  EXPECT_EQ(WEXITSTATUS(intoInput()), 2);
  EXPECT_EQ(intoInput.err(), "swde-check: --output /dev/stdout is the same file as " + input +
                                 ", which the report would overwrite\n");
  EXPECT_EQ(Slurp(input), Slurp(kClean));
}

// A signal that was ignored when the run began (nohup, a background job) stays ignored: the run
// goes on and writes its report. One that was not still ends the run and leaves the old report.
TEST(OutputPaths, SignalIgnoredAtStartStaysIgnored) {
  const std::string expected = ReportOf({kSource + "/examples/faults.xml"});
  const std::string document = Slurp(kSource + "/examples/faults.xml");
  std::signal(SIGPIPE, SIG_IGN);  // a writer to a run that died gets EPIPE
  for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
    for (const bool ignored : {true, false}) {
      SCOPED_TRACE(std::to_string(signal) + (ignored ? " ignored" : " default"));
      TempDir dir;
      ASSERT_EQ(mkfifo((dir / "doc.xml").c_str(), 0600), 0);
      Write(dir / "report", "old\n");
      Tool run{{dir / "doc.xml", "--output", dir / "report"}};
      struct sigaction was {};
      struct sigaction now {};
      now.sa_handler = ignored ? SIG_IGN : SIG_DFL;
      sigaction(signal, &now, &was);
      const pid_t pid = run.start();
      sigaction(signal, &was, nullptr);
      const int writer = open((dir / "doc.xml").c_str(), O_WRONLY);
      ASSERT_EQ(write(writer, document.data(), 100), 100);
      while (Leftovers(dir.path) == 0) {
        std::this_thread::yield();  // until the temporary file is there
      }
      kill(pid, signal);
      (void)!write(writer, document.data() + 100, document.size() - 100);
      close(writer);
      const int status = run.wait(pid);
      if (ignored) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_EQ(Slurp(dir / "report"),
                  Replace(expected, kSource + "/examples/faults.xml", dir / "doc.xml"));
      } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Slurp(dir / "report"), "old\n");
      }
      EXPECT_EQ(Leftovers(dir.path), 0);
    }
  }
}

// What every report must be, whatever the names and options: well-formed UTF-8, with a byte that
// is not UTF-8 written \xHH in every format and on standard error (valid letters as they are),
// control characters, C1 too, written so in text; CSV fields split by one of the separators
// that no bare field can hold; counts in options whole decimal numbers, or a usage error.
TEST(ReportIntegrity, EveryReportSaysWhatItHolds) {
  TempDir dir;
  const std::string doc =  // a finding on line 2, the document broken off on line 3
      "<SWDE>\n<OBJECT name=\"XY\"><ATTRIBUTES><ATTR name=\"A\" value_str=\"=\"/></ATTRIBUTES>"
      "</OBJECT>\n<OBJECT";
  for (const char* name : {"caf\xE9.xml", "\xC5\xBC\xC3\xB3\xC5\x82w.xml", "c1\xC2\x85\xC2\x9B.xml",
                           "cut\xC5.xml", "a;b.xml", "a|b.xml", "a\tb.xml"}) {
    Write(dir / name, doc);
  }
  Write(dir / "bom.xml",
        "\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1250'?>\n<SWDE><OBJECT "
        "name='\xC4\x85'/></SWDE>\n");
  const std::vector<swde_test::Lines> rows = swde_test::Table("report-integrity.tsv");
  ASSERT_EQ(rows.size(), 24u);
  for (const swde_test::Lines& row : rows) {
    std::vector<std::string> args;
    for (std::size_t i = 0; i + 3 < row.size(); ++i) {
      args.push_back(
          Replace(Replace(row[i], "%FAULTS%", kSource + "/examples/faults.xml"), "@", dir.path));
    }
    Tool run{args};
    SCOPED_TRACE(swde::EscapeBytes(args.back(), swde::Escape::kInvalidAndControls));
    const int status = run();
    const std::string out = Slurp(run.out);
    const std::string err = run.err();
    EXPECT_EQ(std::to_string(WEXITSTATUS(status)), row[row.size() - 3]);
    EXPECT_TRUE(swde::IsUtf8(out) && swde::IsUtf8(err));
    const std::string expected = Replace(row[row.size() - 2], "@", dir.path);
    if (expected.compare(0, 3, "...") == 0) {
      EXPECT_NE(out.find(expected.substr(3)), std::string::npos) << out;
    } else {
      EXPECT_EQ(out, expected);
    }
    EXPECT_EQ(err, Replace(row.back(), "@", dir.path));
  }
}

// With each separator, every row of a report of many findings has the twelve fields of the
// header, and the file name field reads back as the name.
TEST(ReportIntegrity, EveryCsvRowHasTwelveFields) {
  TempDir dir;
  const std::string name = dir / "x,y;z|w\t\"v\".xml";
  fs::copy_file(kSource + "/examples/faults.xml", name);
  for (const auto& [option, separator] : std::vector<std::pair<std::string, char>>{
           {",", ','}, {";", ';'}, {"|", '|'}, {"\t", '\t'}, {"tab", '\t'}}) {
    SCOPED_TRACE(option);
    const std::string report = ReportOf({"--format", "csv", "--csv-delimiter", option, name});
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t at = 0; at < report.size(); ++at) {
      const char c = report[at];
      if (quoted) {
        if (c == '"' && at + 1 < report.size() && report[at + 1] == '"') {
          field += c;
          ++at;
        } else if (c == '"') {
          quoted = false;
        } else {
          field += c;
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == separator || c == '\r') {
        rows.back().push_back(std::exchange(field, std::string()));
        at += c == '\r';  // CRLF
        if (c == '\r') {
          rows.emplace_back();
        }
      } else {
        field += c;
      }
    }
    rows.pop_back();
    ASSERT_EQ(rows.size(), 37u);  // the header and 36 findings
    for (const auto& row : rows) {
      EXPECT_EQ(row.size(), 12u) << row[0];
    }
    EXPECT_EQ(rows[1][0], name);
  }
}

}  // namespace

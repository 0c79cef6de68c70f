// swde — semantic checks of SWDE cadastral exchange objects.
//
// Regression tests of what a user of swde-check sees for inputs that are not documents at all:
// a directory, a dangling link, /dev/null, a FIFO, an output device that is full. Each must end
// with one clear line on standard error and exit status 2, never a crash or a hang.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A directory of its own under /tmp, removed with what it holds.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/swde-regression-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
      ADD_FAILURE() << "mkdtemp failed";
      return;
    }
    path_ = made;
  }
  ~Scratch() {
    const std::string command = "rm -rf '" + path_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs swde-check with `args`, standard input from /dev/null, and waits for it.
ToolRun runTool(const std::vector<std::string>& args, const Scratch& scratch) {
  ToolRun run;
  const std::string outPath = scratch.file("stdout");
  const std::string errPath = scratch.file("stderr");
  std::vector<std::string> words{SWDE_CHECK_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    return run;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = slurp(outPath);
  run.err = slurp(errPath);
  return run;
}

const char kTinyDocument[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SWDE><OBJECT name=\"G5ADR\" base_type=\"RD\" status=\"00\"><ATTRIBUTES>"
    "<ATTR name=\"G5KOD\" value_str=\"1-2345\"/></ATTRIBUTES></OBJECT></SWDE>\n";

TEST(HostileToolInput, DirectoryIsBadInput) {
  Scratch scratch;
  const ToolRun run = runTool({"/tmp"}, scratch);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "swde-check: /tmp: is a directory, not a document\n");
}

TEST(HostileToolInput, DanglingLinkCannotBeOpened) {
  Scratch scratch;
  const std::string link = scratch.file("dangling.xml");
  ASSERT_EQ(symlink("/nonexistent/swde/file.xml", link.c_str()), 0);
  const ToolRun run = runTool({link, "--quiet"}, scratch);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "swde-check: " + link + ": cannot open: No such file or directory\n");
  EXPECT_EQ(run.out, "");
}

TEST(HostileToolInput, DevNullHasNoElement) {
  Scratch scratch;
  const ToolRun run = runTool({"/dev/null"}, scratch);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "swde-check: /dev/null:1:1: no element found\n");
  EXPECT_EQ(run.out, "1 file, 0 objects (0 checked), 0 errors, 0 warnings\n");
}

TEST(HostileToolInput, FifoIsReadLikeAFile) {
  Scratch scratch;
  const std::string fifo = scratch.file("fifo.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Opening a FIFO for writing waits for the reader, so the writer runs beside the tool.
  std::thread writer([&fifo] {
    std::ofstream out(fifo, std::ios::binary);
    out << kTinyDocument;
  });
  const ToolRun run = runTool({fifo}, scratch);
  // Should the tool not have opened the FIFO, a reader of our own lets the writer finish.
  const int unblock = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  close(unblock);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out.find(": 6028 G5ADR error: "), std::string::npos) << run.out;
}

TEST(HostileToolInput, BillionLaughsStopsAtTheValueLimit) {
  Scratch scratch;
  const std::string path = std::string(SWDE_REGRESSION_DATA_DIR) + "/billion-laughs.xml";
  const ToolRun run = runTool({path}, scratch);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "swde-check: " + path + ":14:93: value longer than 1048576 bytes\n");
}

// Pins the defect reported with the hostile-input run: a record type or attribute name may hold
// a line feed or a carriage return (written as &#10; or &#13;), and the text report prints it
// raw, so a document can forge report lines of its own. Enable once the text format escapes
// control characters.
TEST(HostileToolOutput, ControlCharactersInNamesCannotForgeReportLines) {
  Scratch scratch;
  const std::string document = scratch.file("forged.xml");
  std::ofstream(document, std::ios::binary)
      << "<?xml version=\"1.0\"?>\n<SWDE><OBJECT name=\"G5XYZ&#10;other.xml:1: 6001 G5DZE "
         "warning: forged&#13;\" base_type=\"RD\" status=\"00\"/></SWDE>\n";
  const ToolRun run = runTool({document}, scratch);
  EXPECT_EQ(run.exitCode, 1);
  // One finding (6007) and the totals: two lines, no carriage return.
  std::size_t lines = 0;
  for (const char c : run.out) {
    lines += c == '\n' ? 1U : 0U;
  }
  EXPECT_EQ(lines, 2u) << run.out;
  EXPECT_EQ(run.out.find('\r'), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\nother.xml:1:"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("G5XYZ\\x0Aother.xml"), std::string::npos) << run.out;
}

TEST(HostileToolOutput, FullDeviceIsReported) {
  Scratch scratch;
  const std::string document = scratch.file("tiny.xml");
  std::ofstream(document, std::ios::binary) << kTinyDocument;
  const ToolRun run = runTool({document, "--output", "/dev/full"}, scratch);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "swde-check: cannot write the report\n");
}

}  // namespace

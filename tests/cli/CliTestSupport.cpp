// swde — semantic checks of SWDE cadastral exchange objects.
//
// The tool runs as a child process: fork, then in the child chdir, dup2 of a temporary input
// file onto standard input and of two pipes onto standard output and error, then execv. The
// parent drains both pipes with poll() until both are closed, so a child that writes much to
// one of them never blocks on the other.
#include "cli/CliTestSupport.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace clitest {
namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Reads whatever both descriptors deliver until each reports end of file, then closes them.
void drain(int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      fail("poll");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

std::uint32_t toU32(const std::string& text) {
  return static_cast<std::uint32_t>(std::stoul(text));
}

}  // namespace

RunResult runTool(const std::vector<std::string>& args, const RunOptions& options) {
  TempDir scratch;
  std::string inputPath = "/dev/null";
  if (options.input) {
    inputPath = scratch.file("stdin");
    writeFile(inputPath, *options.input);
  }
  const std::string dir = options.workingDir.empty() ? sourceDir() : options.workingDir;

  // Everything the child needs is prepared before fork().
  std::vector<std::string> strings;
  strings.emplace_back(options.program.empty() ? std::string(SWDE_CHECK_PATH) : options.program);
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : strings) {
    argv.push_back(s.data());
  }
  argv.push_back(nullptr);

  const int inFd = open(inputPath.c_str(), O_RDONLY);
  if (inFd < 0) {
    fail("open " + inputPath);
  }
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    fail("pipe");
  }
  const pid_t pid = fork();
  if (pid < 0) {
    fail("fork");
  }
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0 || dup2(inFd, STDIN_FILENO) < 0 ||
        dup2(outPipe[1], STDOUT_FILENO) < 0 || dup2(errPipe[1], STDERR_FILENO) < 0) {
      _exit(126);
    }
    for (const int fd : {inFd, outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
      close(fd);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(inFd);
  close(outPipe[1]);
  close(errPipe[1]);

  RunResult result;
  drain(outPipe[0], errPipe[0], result.out, result.err);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      fail("waitpid");
    }
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string sourceDir() {
  return SWDE_SOURCE_DIR;
}

std::string sourcePath(const std::string& relative) {
  return sourceDir() + "/" + relative;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path);
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) {
    throw std::runtime_error("cannot write " + path);
  }
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "swde-cli-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    fail("mkdtemp");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const {
  return path_ + "/" + name;
}

std::string Finding::dump(bool withId) const {
  std::string out = file + ":" + std::to_string(line);
  if (withId) {
    out += "#" + std::to_string(id);
  }
  return out + " " + std::to_string(code) + " " + typeName + " " + (msgType == 0 ? "e" : "w") +
         " " + message;
}

bool Finding::operator==(const Finding& other) const {
  return file == other.file && line == other.line && id == other.id && code == other.code &&
         msgType == other.msgType && typeName == other.typeName && message == other.message;
}

std::ostream& operator<<(std::ostream& out, const Finding& finding) {
  return out << finding.dump();
}

std::string dumpAll(const std::vector<Finding>& findings, bool withId) {
  std::string out;
  for (const Finding& finding : findings) {
    out += finding.dump(withId) + "\n";
  }
  return out;
}

TextReport parseText(const std::string& out) {
  static const std::regex kFinding(R"(^(.*):([0-9]+): ([0-9]+) (\S+) (error|warning): (.*)$)");
  static const std::regex kTotals(
      R"(^[0-9]+ files?, [0-9]+ objects? \([0-9]+ checked\), [0-9]+ errors?, [0-9]+ warnings?$)");
  TextReport report;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (!report.totals.empty()) {
      continue;  // a --summary block follows the totals
    }
    std::smatch match;
    if (std::regex_match(line, match, kFinding)) {
      Finding finding;
      finding.file = match[1];
      finding.line = toU32(match[2]);
      finding.code = std::stoi(match[3]);
      finding.typeName = match[4];
      finding.msgType = match[5] == "error" ? 0 : 1;
      finding.message = match[6];
      report.findings.push_back(finding);
    } else if (std::regex_match(line, kTotals)) {
      report.totals = line;
    } else {
      ADD_FAILURE() << "not a line of the text format: " << line;
    }
  }
  return report;
}

std::vector<Finding> findingsOfJsonFile(const nlohmann::json& fileObject) {
  std::vector<Finding> findings;
  try {
    for (const nlohmann::json& error : fileObject.at("errors")) {
      Finding finding;
      finding.file = fileObject.at("file").get<std::string>();
      finding.line = error.at("line").get<std::uint32_t>();
      finding.id = error.at("id").get<std::uint32_t>();
      finding.code = error.at("code").get<int>();
      finding.msgType = error.at("msgType").get<int>();
      finding.typeName = error.at("typeName").get<std::string>();
      finding.message = error.at("message").get<std::string>();
      findings.push_back(finding);
    }
  } catch (const nlohmann::json::exception& e) {
    ADD_FAILURE() << "malformed file object " << fileObject.dump() << ": " << e.what();
  }
  return findings;
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text, std::string* error) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool fieldStart = true;  // nothing of the current field read yet
  std::size_t i = 0;
  const auto stop = [&](const std::string& what) {
    *error = what + " at byte " + std::to_string(i);
    return records;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (fieldStart && c == '"') {
      ++i;
      for (;;) {
        if (i >= text.size()) {
          return stop("unterminated quoted field");
        }
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\r') {
        return stop("text after a closing quote");
      }
      fieldStart = false;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
      fieldStart = true;
      ++i;
    } else if (c == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') {
        return stop("CR without LF");
      }
      record.push_back(std::move(field));
      field.clear();
      records.push_back(std::move(record));
      record.clear();
      fieldStart = true;
      i += 2;
    } else if (c == '\n') {
      return stop("bare LF");
    } else if (c == '"') {
      return stop("quote inside an unquoted field");
    } else {
      field += c;
      fieldStart = false;
      ++i;
    }
  }
  if (!record.empty() || !fieldStart) {
    return stop("last record not ended by CRLF");
  }
  error->clear();
  return records;
}

std::vector<Finding> parseCsvFindings(const std::string& text) {
  std::string error;
  const std::vector<std::vector<std::string>> records = parseCsv(text, &error);
  EXPECT_EQ(error, "") << text;
  std::vector<Finding> findings;
  if (records.empty()) {
    ADD_FAILURE() << "no CSV header";
    return findings;
  }
  EXPECT_EQ(records[0], (std::vector<std::string>{"file", "line", "id", "code", "msgType",
                                                  "typeName", "message"}));
  for (std::size_t r = 1; r < records.size(); ++r) {
    const std::vector<std::string>& fields = records[r];
    if (fields.size() != 7) {
      ADD_FAILURE() << "record " << r << " has " << fields.size() << " fields";
      continue;
    }
    Finding finding;
    finding.file = fields[0];
    finding.line = toU32(fields[1]);
    finding.id = toU32(fields[2]);
    finding.code = std::stoi(fields[3]);
    finding.msgType = std::stoi(fields[4]);
    finding.typeName = fields[5];
    finding.message = fields[6];
    findings.push_back(finding);
  }
  return findings;
}

}  // namespace clitest

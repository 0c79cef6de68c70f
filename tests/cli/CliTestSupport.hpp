// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_CLI_CLITESTSUPPORT_HPP_
#define SWDE_TESTS_CLI_CLITESTSUPPORT_HPP_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Process-level tests of swde-check: run the real binary, read back what it printed in each of
// its formats and compare findings as short canonical strings.

namespace clitest {

// What one run of the tool left behind.
struct RunResult {
  int exitCode = -1;  // the exit status; -1 when the process did not exit normally
  std::string out;    // standard output
  std::string err;    // standard error
};

struct RunOptions {
  std::optional<std::string> input;  // standard input; /dev/null when absent
  std::string workingDir;            // empty: the source directory
  std::string program{};             // empty: swde-check
};

// Runs swde-check with `args` (without the program name) and waits for it. Standard input is
// read from a temporary file, so no pipe can fill up while the output is being collected.
// Throws std::runtime_error when the process cannot be started at all.
RunResult runTool(const std::vector<std::string>& args, const RunOptions& options = {});

// The repository's top directory (where examples/ lives).
std::string sourceDir();
// sourceDir() + "/" + relative.
std::string sourcePath(const std::string& relative);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// A fresh directory under the system's temporary directory, removed with all it holds.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// One finding as every format can tell it. The text format has no id; it stays 0 there.
struct Finding {
  std::string file;
  std::uint32_t line = 0;
  std::uint32_t id = 0;
  int code = 0;
  int msgType = 0;
  std::string typeName;
  std::string message;

  // "file:line#id code type e|w message"; `withId` false leaves "#id" out.
  std::string dump(bool withId = true) const;
  bool operator==(const Finding& other) const;
};

std::ostream& operator<<(std::ostream& out, const Finding& finding);

// The text format: every line but the totals line (and a --summary block) is one finding.
// Fails the calling test (ADD_FAILURE) on a line that has neither form.
struct TextReport {
  std::vector<Finding> findings;
  std::string totals;  // the "N file(s), ..." line, without its newline
};
TextReport parseText(const std::string& out);

// The findings of one JSON file object ({"file":..., "errors":[...], ...}); fails the calling
// test when a member is missing or of the wrong type.
std::vector<Finding> findingsOfJsonFile(const nlohmann::json& fileObject);

// RFC 4180: records end with CRLF; a field in double quotes may hold commas, CR, LF and doubled
// quotes. Sets `*error` (and stops) on text that breaks the rules, e.g. a bare LF outside quotes.
std::vector<std::vector<std::string>> parseCsv(const std::string& text, std::string* error);

// The findings of a CSV report; the header must be the documented one (ADD_FAILURE otherwise).
std::vector<Finding> parseCsvFindings(const std::string& text);

// The lines of `findings` dumped one per line, for readable comparisons in failure messages.
std::string dumpAll(const std::vector<Finding>& findings, bool withId = true);

}  // namespace clitest

#endif  // SWDE_TESTS_CLI_CLITESTSUPPORT_HPP_

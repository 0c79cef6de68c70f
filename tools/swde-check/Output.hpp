// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_
#define SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace swde::cli {

// One finding about one object, with its texts already in UTF-8: an error record of the
// object's own checks (codes up to 6036) or a finding of the document checks (7001 and up).
struct Finding {
  std::uint32_t line = 0;  // of the attribute or relation concerned, else of the object
  std::uint32_t id = 0;    // the id the finding carries: the entry's, else the object's
  int code = 0;
  int msgType = 0;  // 0: error, 1: warning
  std::string typeName;
  std::string message;  // the code's text with its placeholders filled, never anything else

  // Context, for a reader who must find and mend the fault. Absent where it is not known.
  std::uint32_t objectId = 0;           // the object's id
  std::uint32_t objectLine = 0;         // the object's line
  bool hasEntry = false;                // the finding concerns one attribute or relation:
  std::uint32_t entryId = 0;            //   its id
  std::string entry;                    //   and its name
  std::optional<std::string> key;       // the object's identifying value (schema mark key="1")
  std::optional<std::string> value;     // the offending value ("" for an empty one)
  std::optional<std::string> expected;  // what the rule expected
  std::uint32_t relatedLine = 0;        // another line the finding names (a repeated key), or 0
};

// Why an input could not be checked to its end: it cannot be opened or read, it is not a
// well-formed document, or the run failed (out of memory, say).
struct Failure {
  std::string file;
  std::uint32_t line = 0;  // 0 when the failure has no position in the input
  std::uint32_t column = 0;
  std::string message;
};

// "FILE:LINE:COLUMN: MESSAGE", or "FILE: MESSAGE" for a failure without a position; the one
// wording of a failure on standard error and in the reports.
std::string describe(const Failure& failure);

// `text` with control characters shown as \xHH, so that it stays one line of a report or of
// standard error whatever a document or a file name holds.
std::string oneLine(const std::string& text);

// Counts of one input, or of all inputs together.
struct Totals {
  std::uint64_t objects = 0;     // objects read
  std::uint64_t checked = 0;     // objects the checks did not turn away
  std::uint64_t errors = 0;      // findings of message type 0
  std::uint64_t warnings = 0;    // findings of message type 1
  std::uint64_t unreadable = 0;  // inputs that could not be read to their end

  void add(const Totals& other);
};

// Findings counted per code and per record type.
struct Summary {
  std::map<int, std::uint64_t> byCode;
  std::map<std::string, std::uint64_t> byType;

  void add(const Finding& finding);
};

enum class OutputFormat { kText, kJson, kCsv };

// Where findings go. Calls come in this order: for each input beginFile, finding..., then
// endFile (or failFile when the input could not be read to its end); finish once at the end.
// A failure is part of every report: a "fatal" line (text), a row with the code "fatal" (CSV),
// the "error" member (JSON).
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void beginFile(const std::string& file) = 0;
  virtual void finding(const std::string& file, const Finding& finding) = 0;
  virtual void endFile(const std::string& file, const Totals& totals) = 0;
  virtual void failFile(const std::string& file, const Totals& totals, const Failure& failure) = 0;
  // `summary` is null unless a summary was asked for.
  virtual void finish(const Totals& totals, std::size_t files, const Summary* summary) = 0;
};

// Passes every call on to each of `sinks`, in order: one run written in several formats.
std::unique_ptr<OutputSink> makeTeeSink(std::vector<std::unique_ptr<OutputSink>> sinks);

// `fileCount` decides the JSON shape: one object for one input, an array for several.
// With `quiet` the sink writes nothing at all.
std::unique_ptr<OutputSink> makeOutputSink(OutputFormat format, std::ostream& out,
                                           std::size_t fileCount, bool quiet);

// A progress bar on one line of a terminal: "LABEL [####      ] 40%".
class ProgressBar {
 public:
  ProgressBar(std::string label, std::ostream& out) : label_(std::move(label)), out_(out) {}
  ~ProgressBar();  // clears the line
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // `done` of `total` bytes; a file that grows while it is read shows 100%.
  void update(std::uint64_t done, std::uint64_t total);

 private:
  std::string label_;
  std::ostream& out_;
  int lastPercent_ = -1;
  bool shown_ = false;
};

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_OUTPUT_HPP_
#define SWDE_ENGINE_OUTPUT_HPP_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "swde/engine/Language.hpp"

namespace swde::engine {

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

// Counts of one input, or of all inputs together. Findings that --select, --ignore or
// --severity leave out are only counted as filtered; findings beyond --max-findings count as
// errors and warnings (they decide the exit status) and as unlisted.
struct Totals {
  std::uint64_t objects = 0;     // objects read
  std::uint64_t checked = 0;     // objects the checks did not turn away
  std::uint64_t errors = 0;      // findings of message type 0
  std::uint64_t warnings = 0;    // findings of message type 1
  std::uint64_t unreadable = 0;  // inputs that could not be read to their end
  std::uint64_t filtered = 0;    // findings the filters left out
  std::uint64_t unlisted = 0;    // findings counted but not listed (--max-findings)

  void add(const Totals& other);
};

// The findings counted in Totals::errors and ::warnings, per code and per record type.
struct Summary {
  std::map<int, std::pair<std::uint64_t, std::uint64_t>> byCode;  // errors, warnings
  std::map<std::string, std::uint64_t> byType;

  void add(const Finding& finding);
  void add(const Summary& other);
};

enum class OutputFormat { kText, kJson, kCsv, kHtml };

// How a report is written, beyond its format.
struct OutputOptions {
  Language language = Language::kEnglish;  // the frame of text and HTML
  bool summary = false;        // text: counts per code and per record type after the totals
  bool filters = false;        // filters are in force: the totals say how many they left out
  bool capped = false;         // --max-findings is in force: the totals say how many not listed
  char csvDelimiter = ',';     // CSV: the field separator
  bool byteOrderMark = false;  // CSV: starts with the UTF-8 byte order mark
};

// "16 objects (14 checked), 26 errors, 4 warnings", then what the options ask for:
// " (3 filtered out, 2 not listed)"; in the options' language.
std::string describeCounts(const Totals& totals, const OutputOptions& options);
// "2 files (1 unreadable), " and describeCounts: the totals line of the text report.
std::string describeTotals(const Totals& totals, std::size_t files, const OutputOptions& options);

// Where findings go. Calls come in this order: for each input beginFile, finding... (the
// findings listed), endFile; finish once at the end. A failure is part of every report: a
// "fatal" line (text), a row with the code "fatal" (CSV), the "fatal" member (JSON), a box in
// the file's header (HTML).
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void beginFile(const std::string& file) = 0;
  virtual void finding(const std::string& file, const Finding& finding) = 0;
  // The input's counts and summary; `failure` is null when it was read to its end.
  virtual void endFile(const std::string& file, const Totals& totals, const Summary& summary,
                       const Failure* failure) = 0;
  // The counts and summary of all inputs.
  virtual void finish(const Totals& totals, std::size_t files, const Summary& summary) = 0;
};

// Passes every call on to each of `sinks`, in order: one run written in several formats.
std::unique_ptr<OutputSink> makeTeeSink(std::vector<std::unique_ptr<OutputSink>> sinks);

// With `quiet` the sink writes nothing at all.
std::unique_ptr<OutputSink> makeOutputSink(OutputFormat format, std::ostream& out,
                                           const OutputOptions& options, bool quiet);
// The HTML report (HtmlOutput.cpp).
std::unique_ptr<OutputSink> makeHtmlSink(std::ostream& out, const OutputOptions& options);

}  // namespace swde::engine

#endif  // SWDE_ENGINE_OUTPUT_HPP_

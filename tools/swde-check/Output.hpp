// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_
#define SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>

namespace swde::cli {

// One error of one object, with its texts already in UTF-8.
struct Finding {
  std::uint32_t line = 0;
  std::uint32_t id = 0;
  int code = 0;
  int msgType = 0;  // 0: error, 1: warning
  std::string typeName;
  std::string message;
};

// Counts of one input, or of all inputs together.
struct Totals {
  std::uint64_t objects = 0;   // objects read
  std::uint64_t checked = 0;   // objects the checks did not turn away
  std::uint64_t errors = 0;    // findings of message type 0
  std::uint64_t warnings = 0;  // findings of message type 1

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
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void beginFile(const std::string& file) = 0;
  virtual void finding(const std::string& file, const Finding& finding) = 0;
  virtual void endFile(const std::string& file, const Totals& totals) = 0;
  virtual void failFile(const std::string& file, const Totals& totals,
                        const std::string& error) = 0;
  // `summary` is null unless a summary was asked for.
  virtual void finish(const Totals& totals, std::size_t files, const Summary* summary) = 0;
};

// `fileCount` decides the JSON shape: one object for one input, an array for several.
// With `quiet` the sink writes nothing at all.
std::unique_ptr<OutputSink> makeOutputSink(OutputFormat format, std::ostream& out,
                                           std::size_t fileCount, bool quiet);

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_OUTPUT_HPP_

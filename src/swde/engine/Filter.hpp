// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_FILTER_HPP_
#define SWDE_ENGINE_FILTER_HPP_

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "swde/engine/Output.hpp"

namespace swde::engine {

// True for a code of the message catalogue (2001-2008, 3001-3014, 6001-6036) or of the
// document checks (7001 and up). REQUIRES: swde::Initialize() has run.
bool isKnownCode(int code);

// Codes written as a list of codes and ranges: "6001,6002,6020-6022". A single code must be a
// known one (a typo must not silently select or ignore nothing); a range may span unused codes.
class CodeSet {
 public:
  // Adds the codes of `text`; throws std::invalid_argument saying which part is wrong.
  void add(std::string_view text);
  bool contains(int code) const;
  bool empty() const { return ranges_.empty(); }

 private:
  std::vector<std::pair<int, int>> ranges_;  // first and last code, inclusive
};

// Which findings a report lists. A failure to read an input is never filtered.
struct FindingFilter {
  std::optional<CodeSet> select;  // only these codes; none: every code
  CodeSet ignore;                 // never these codes
  bool errorsOnly = false;        // warnings left out
  // At most this many findings listed per input; the rest are counted, as reported, but not
  // listed (they still decide the exit status). None: no limit.
  std::optional<std::uint64_t> maxFindings;

  // True when the finding passes --select, --ignore and --severity.
  bool admits(const Finding& finding) const;
  // True when one of --select, --ignore, --severity is in force.
  bool filters() const { return select.has_value() || !ignore.empty() || errorsOnly; }
};

}  // namespace swde::engine

#endif  // SWDE_ENGINE_FILTER_HPP_

// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/engine/Filter.hpp"

#include <stdexcept>
#include <string>

#include "swde/document/DocumentChecks.hpp"
#include "swde/errors/Smerrors.hpp"
#include "swde/platform/Sysutils.hpp"

namespace swde::engine {
namespace {

// A code of one to five digits; -1 for anything else.
int readCode(std::string_view text) {
  if (text.empty() || text.size() > 5) {
    return -1;
  }
  int code = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return -1;
    }
    code = code * 10 + (c - '0');
  }
  return code;
}

}  // namespace

bool isKnownCode(int code) {
  return catalogueText(code) != "  " || FindDocumentCode(code) != nullptr;
}

void CodeSet::add(std::string_view text) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string_view part = TrimView(text.substr(start, comma - start));
    const std::size_t dash = part.find('-');
    const int first = readCode(part.substr(0, dash));
    const int last = dash == std::string_view::npos ? first : readCode(part.substr(dash + 1));
    if (first < 0 || last < first) {
      throw std::invalid_argument("\"" + std::string(part) +
                                  "\" is not a code or a range of codes such as 6020-6022");
    }
    if (dash == std::string_view::npos && !isKnownCode(first)) {
      throw std::invalid_argument("no finding has the code " + std::to_string(first));
    }
    ranges_.emplace_back(first, last);
    if (comma == std::string_view::npos) {
      return;
    }
    start = comma + 1;
  }
}

bool CodeSet::contains(int code) const {
  for (const auto& [first, last] : ranges_) {
    if (code >= first && code <= last) {
      return true;
    }
  }
  return false;
}

bool FindingFilter::admits(const Finding& finding) const {
  return (!select || select->contains(finding.code)) && !ignore.contains(finding.code) &&
         (!errorsOnly || finding.msgType == 0);
}

}  // namespace swde::engine

// swde — semantic checks of SWDE cadastral exchange objects.
//
// The users' table of codes, docs/pl/kody.md: one row for every code the library can report,
// carrying the message exactly as the library makes it (and, for the document checks, their
// severity), and no row for anything else.

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "swde/document/DocumentChecks.hpp"
#include "swde/errors/Smerrors.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/platform/Sysutils.hpp"

namespace {

// The cells of each table row whose first cell is a number, by that number; `rows` counts them.
std::map<int, std::vector<std::string>> ReadRows(std::map<int, int>& rows) {
  std::ifstream in(SWDE_SOURCE_DIR "/docs/pl/kody.md");
  std::map<int, std::vector<std::string>> cells;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> row;
    for (std::size_t at = line.find("| "); at != std::string::npos; at = line.find("| ", at + 1)) {
      const std::size_t end = line.find(" |", at + 1);
      row.push_back(line.substr(at + 2, end == std::string::npos ? 0 : end - at - 2));
    }
    if (line.rfind("| ", 0) == 0 && !row.empty() &&
        row[0].find_first_not_of("0123456789") == std::string::npos && !row[0].empty()) {
      ++rows[std::stoi(row[0])];
      cells[std::stoi(row[0])] = row;
    }
  }
  return cells;
}

TEST(CodesDoc, EveryCodeOnceWithItsMessage) {
  std::map<int, int> rows;
  const auto cells = ReadRows(rows);
  std::map<int, std::string> known;     // code -> message
  std::map<int, std::string> severity;  // of the document checks' codes
  for (int code = 1; code <= 9999; ++code) {
    const swde::AnsiString text = swde::catalogueText(code);
    if (text != "  ") {
      known[code] = swde::Cp1250ToUtf8(swde::Trim(text));
    }
  }
  ASSERT_EQ(known.size(), 58u);
  for (const swde::smDocumentCodeInfo& info : swde::DocumentCodes()) {
    known[info.code] = swde::Cp1250ToUtf8(info.format);
    severity[info.code] = info.msgType == swde::smError::rmError ? "błąd" : "ostrzeżenie";
  }
  for (const auto& [code, message] : known) {
    SCOPED_TRACE(code);
    EXPECT_EQ(rows[code], 1);
    if (rows[code] == 0) {
      continue;
    }
    EXPECT_EQ(cells.at(code).at(1), message);
    if (severity.count(code) > 0) {
      EXPECT_EQ(cells.at(code).at(2), severity[code]);
    }
  }
  for (const auto& [code, count] : rows) {
    EXPECT_EQ(known.count(code), 1u) << code << " is no code of the library";
  }
}

}  // namespace

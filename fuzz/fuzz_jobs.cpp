// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: swde-check's checker gives the same report, in every format, with one job as
// with three jobs reading the document in tiny pieces: the same findings in the same order, the
// same totals, the same failure at the same line and column. Two piece sizes (1 and 64 bytes)
// and two sets of reader limits (the tool's, and tiny ones that make limits fail inside pieces)
// are chosen by a hash of the input, so the document itself keeps all its bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "swde/engine/Checker.hpp"
#include "swde/engine/Output.hpp"

#include "FuzzSupport.hpp"

namespace {

using swde::engine::Checker;
using swde::engine::CheckerSettings;
using swde::engine::OutputFormat;

struct Checkers {
  std::unique_ptr<Checker> single;
  std::array<std::unique_ptr<Checker>, 2> parallel;  // pieces of 1 and 64 bytes
};

std::array<Checkers, 2>& checkers() {
  static std::array<Checkers, 2> all;
  return all;
}

std::string report(Checker& checker, const std::string& text) {
  std::ostringstream out[4];
  std::vector<std::unique_ptr<swde::engine::OutputSink>> sinks;
  const OutputFormat formats[] = {OutputFormat::kText, OutputFormat::kJson, OutputFormat::kCsv,
                                  OutputFormat::kHtml};
  for (int i = 0; i < 4; ++i) {
    sinks.push_back(swde::engine::makeOutputSink(formats[i], out[i], {}, false));
  }
  const auto sink = swde::engine::makeTeeSink(std::move(sinks));
  swde::engine::Summary summary;
  swde::engine::Totals totals;
  std::istringstream in(text);
  const auto failure = checker.check("<fuzz>", in, 0, nullptr, *sink, &summary, totals);
  sink->finish(totals, 1, summary);
  const int status = failure ? 2 : totals.errors > 0 ? 1 : 0;
  return out[0].str() + out[1].str() + out[2].str() + out[3].str() + "exit " +
         std::to_string(status) + "\n";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  swde::fuzz::initialize();
  for (std::size_t set = 0; set < 2; ++set) {
    CheckerSettings settings;
    settings.today = "2026.06.15";  // the document checks judge dates against a fixed day
    if (set == 1) {
      settings.limits.maxValueBytes = 8;
      settings.limits.maxEntriesPerObject = 3;
      settings.limits.maxDepth = 5;
      settings.limits.maxObjectBytes = 200;
    }
    Checkers& group = checkers()[set];
    group.single = std::make_unique<Checker>(swde::fuzz::builtinAnnex(), settings);
    settings.jobs = 3;
    settings.pieceBytes = 1;
    group.parallel[0] = std::make_unique<Checker>(swde::fuzz::builtinAnnex(), settings);
    settings.pieceBytes = 64;
    group.parallel[1] = std::make_unique<Checker>(swde::fuzz::builtinAnnex(), settings);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::uint64_t hash = swde::fuzz::hashOf(data, size);
  Checkers& group = checkers()[(hash & 7U) == 0 ? 1 : 0];
  const std::string one = report(*group.single, text);
  const std::string many = report(*group.parallel[(hash >> 3) & 1U], text);
  if (many != one) {
    std::fprintf(stderr, "one job:\n%s\nthree jobs:\n%s\n", one.c_str(), many.c_str());
    swde::fuzz::broken("the report with jobs differs from the report of one job");
  }
  return 0;
}

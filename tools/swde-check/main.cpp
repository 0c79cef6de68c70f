// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-check [options] FILE...: checks every object of each transfer document against the
// reference schema (built in, or --annex FILE) and reports every fault with its line.
// Exit status: 0 no error reported (warnings allowed, unless --warnings-as-errors), 1 at least
// one, 2 bad usage or unreadable input.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>

#include "swde/engine/AnnexCheck.hpp"
#include "swde/engine/Checker.hpp"
#include "swde/engine/Filter.hpp"
#include "swde/engine/Language.hpp"
#include "swde/engine/Output.hpp"
#include "swde/swde.hpp"
#include "swde/xml/Reader.hpp"

#include "DescribeAnnex.hpp"
#include "ReportFile.hpp"

extern const char swde_builtin_annex[];
extern const std::size_t swde_builtin_annex_size;

namespace {

using swde::cli::OutputFormat;

constexpr int kExitClean = 0;
constexpr int kExitFaults = 1;
constexpr int kExitTrouble = 2;

// Inputs above this size get a progress bar when stderr is a terminal.
constexpr std::uint64_t kProgressThreshold = 4u << 20;

std::unique_ptr<swde::Metadata> loadAnnex(const std::string& path) {
  if (path.empty()) {
    return swde::xml::parseSchema(std::string_view(swde_builtin_annex, swde_builtin_annex_size),
                                  "<built-in annex>");
  }
  return swde::xml::loadSchema(path);
}

// A count written in decimal digits only, from `min` to `max` (a transform: CLI11 alone reads "-1"
// as the largest number of the type, "-18446744073709551613" as 3, "0x10" as 16 and "010" as 8).
CLI::Validator countFrom(std::uint64_t min, std::uint64_t max) {
  const std::string range = std::to_string(min) + " to " + std::to_string(max);
  return CLI::Validator(
      [min, max, range](std::string& text) {
        std::uint64_t value = 0;
        const char* end = text.data() + text.size();
        const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
          return c >= '0' && c <= '9';
        });
        const std::from_chars_result read = std::from_chars(text.data(), end, value);
        if (!digits || read.ec != std::errc() || read.ptr != end || value < min || value > max) {
          return "Value " + text + " is not a whole number from " + range;
        }
        text = std::to_string(value);  // CLI11 would read a leading 0 as octal
        return std::string();
      },
      range);
}

// The field separator --csv-delimiter names: a comma, a semicolon, a tab (the character or the
// word "tab") or a vertical bar; nothing for anything else. Each of them is distinct from every
// byte of a number, of the words the rows hold bare and of a UTF-8 sequence.
std::optional<char> csvDelimiter(const std::string& text) {
  if (text == "tab") {
    return '\t';
  }
  if (text.size() == 1 && std::string_view(",;\t|").find(text[0]) != std::string_view::npos) {
    return text[0];
  }
  return std::nullopt;
}

void complain(const std::string& text) {
  std::cerr << "swde-check: " << swde::EscapeBytes(text, swde::Escape::kInvalidAndControls) << '\n';
}

// Puts the finished report in place: commits the report file, or flushes standard output.
int deliver(swde::cli::ReportFile* report, std::ostream& out, bool quiet) {
  if (report != nullptr) {
    const std::string problem = report->commit();
    if (!problem.empty()) {
      complain(problem);
      return kExitTrouble;
    }
  } else if (!quiet && !out.flush()) {
    complain("cannot write the report");
    return kExitTrouble;
  }
  return kExitClean;
}

int run(int argc, char** argv) {
  CLI::App app{"Checks the objects of SWDE transfer documents (XML) against a reference schema.",
               "swde-check"};
  std::vector<std::string> files;
  std::string annexPath;
  std::string outputPath;
  bool summaryWanted = false;
  bool quiet = false;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());

  // Required, so that a list option before it leaves it its arguments; not with --describe-annex,
  // which reads no document.
  CLI::Option* fileOption =
      app.add_option("FILE", files, "Transfer documents to check ('-' reads standard input)")
          ->required();
  bool describe = false;
  app.add_flag("--describe-annex", describe,
               "Print what the reference schema requires, as Markdown, and read no document");
  app.add_option("--annex", annexPath,
                 "Reference schema (XML); default: the built-in sample reference schema")
      ->check(CLI::ExistingFile);
  std::string formatName = "text";
  app.add_option("--format", formatName, "Output format: text, json, csv or html (default: text)")
      ->check(CLI::IsMember({"text", "json", "csv", "html"}));
  app.add_option("--output", outputPath,
                 "Write the report to FILE (replaced only once the report is complete)");
  app.add_flag("--summary", summaryWanted, "Add counts of findings per code and per record type");
  app.add_flag("--quiet", quiet, "Write no report at all; the exit status tells the result");
  app.add_option("--jobs,-j", jobs,
                 "Objects checked in parallel by this many threads (default: the number of cores)")
      ->transform(countFrom(1, 256));
  std::vector<std::string> selected;
  std::vector<std::string> ignored;
  std::string severity = "warning";
  bool warningsAsErrors = false;
  std::uint64_t maxFindings = 0;
  std::string languageName;
  std::string delimiter = ",";
  bool byteOrderMark = false;
  app.add_option("--select", selected,
                 "Report only these codes: a list of codes and ranges, e.g. 6001,6020-6022");
  app.add_option("--ignore", ignored, "Leave these codes out (the same syntax as --select)");
  app.add_option("--severity", severity,
                 "Lowest severity reported: warning (everything, the default) or error")
      ->check(CLI::IsMember({"error", "warning"}));
  app.add_flag("--warnings-as-errors", warningsAsErrors,
               "Exit with status 1 when a warning is reported");
  const CLI::Option* maxOption =
      app.add_option("--max-findings", maxFindings,
                     "List at most N findings per file (the rest are counted, not listed)")
          ->transform(countFrom(0, UINT64_MAX));
  app.add_option("--lang", languageName,
                 "Language of the words around the messages in text and HTML: pl or en "
                 "(default: from LC_ALL, LC_MESSAGES or LANG)")
      ->check(CLI::IsMember({"pl", "en"}));
  app.add_option("--csv-delimiter", delimiter,
                 "CSV field separator: , ; | or tab (a tab character or the word; default: ,)");
  app.add_flag("--bom", byteOrderMark, "Begin a CSV report with the UTF-8 byte order mark");
  std::string profile = "all";
  std::string today;
  app.add_option("--profile", profile,
                 "Checks to run: catalogue (each object on its own, codes up to 6036) or all "
                 "(also the document checks, codes 7001 and up; the default)")
      ->check(CLI::IsMember({"catalogue", "all"}));
  app.add_option("--today", today,
                 "The day of the check, YYYY.MM.DD: no date may be later (default: today)");
  std::string transfer;
  app.add_option("--transfer", transfer,
                 "What the documents carry: full (the whole register of what they hold) or "
                 "update (only what changed: share sums are judged only above 1); default: as "
                 "each document's root says, else full")
      ->check(CLI::IsMember({"full", "update"}));
  app.set_version_flag("--version", std::string("swde-check ") + SWDE_VERSION);

  try {
    for (int i = 1; i < argc; ++i) {
      if (std::string_view(argv[i]) == "--describe-annex") {
        fileOption->required(false);
      }
    }
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitClean : kExitTrouble;
  }
  const OutputFormat format = formatName == "json"   ? OutputFormat::kJson
                              : formatName == "csv"  ? OutputFormat::kCsv
                              : formatName == "html" ? OutputFormat::kHtml
                                                     : OutputFormat::kText;
  if (describe && (!files.empty() || format != OutputFormat::kText || quiet)) {
    complain(
        "--describe-annex reads no document and writes Markdown: leave out FILE, --format "
        "and --quiet");
    return kExitTrouble;
  }
  if (summaryWanted && format == OutputFormat::kCsv) {
    complain("--summary cannot be combined with --format csv");
    return kExitTrouble;
  }
  if ((delimiter != "," || byteOrderMark) && format != OutputFormat::kCsv) {
    complain("--csv-delimiter and --bom apply to --format csv only");
    return kExitTrouble;
  }
  const std::optional<char> separator = csvDelimiter(delimiter);
  if (!separator) {
    complain("--csv-delimiter must be , ; | or tab (a tab character or the word), not \"" +
             delimiter + "\"");
    return kExitTrouble;
  }
  swde::cli::CheckerSettings settings;
  settings.jobs = jobs;
  settings.documentChecks = profile == "all";
  settings.today = today;
  settings.transfer = transfer;
  if (!today.empty()) {
    try {
      swde::smObjectChecks(nullptr, swde::smDocumentOptions{today});
    } catch (const std::invalid_argument&) {
      complain("--today must be a real day written YYYY.MM.DD, not \"" + today + "\"");
      return kExitTrouble;
    }
  }
  settings.filter.errorsOnly = severity == "error";
  if (maxOption->count() > 0) {
    settings.filter.maxFindings = maxFindings;
  }
  const auto parseCodes = [](const std::vector<std::string>& texts, const char* option,
                             swde::cli::CodeSet& codes) {
    try {
      for (const std::string& text : texts) {
        codes.add(text);
      }
      return true;
    } catch (const std::invalid_argument& e) {
      complain(std::string(option) + ": " + e.what());
      return false;
    }
  };
  if (!selected.empty() && !parseCodes(selected, "--select", settings.filter.select.emplace())) {
    return kExitTrouble;
  }
  if (!parseCodes(ignored, "--ignore", settings.filter.ignore)) {
    return kExitTrouble;
  }
  swde::cli::OutputOptions options;
  options.language = languageName.empty()   ? swde::cli::languageFromEnvironment()
                     : languageName == "pl" ? swde::cli::Language::kPolish
                                            : swde::cli::Language::kEnglish;
  options.summary = summaryWanted;
  options.filters = settings.filter.filters();
  options.capped = settings.filter.maxFindings.has_value();
  options.csvDelimiter = *separator;
  options.byteOrderMark = byteOrderMark;
  const bool toFile = !outputPath.empty() && !quiet;
  if (toFile) {
    if (const auto input = swde::cli::sameFileAsOutput(outputPath, files, annexPath)) {
      complain("--output " + outputPath + " is the same file as " +
               (*input == "-" ? std::string("the standard input") : *input) +
               ", which the report would overwrite");
      return kExitTrouble;
    }
  }

  std::unique_ptr<swde::Metadata> annex;
  try {
    annex = loadAnnex(annexPath);
  } catch (const swde::xml::XmlError& e) {
    complain(std::string("reference schema: ") + e.what());
    return kExitTrouble;
  }
  const std::string annexName = annexPath.empty() ? "<built-in annex>" : annexPath;
  bool annexBroken = false;
  for (const swde::cli::SchemaMistake& mistake : swde::cli::findSchemaMistakes(*annex)) {
    complain("reference schema: " + annexName + ":" + std::to_string(mistake.line) + ": " +
             (mistake.error ? "" : "warning: ") + mistake.message);
    annexBroken = annexBroken || mistake.error;
  }
  if (annexBroken) {
    return kExitTrouble;
  }
  // A given schema without marks of its own takes the built-in schema's (swde/metadata/Marks.hpp).
  const swde::LentMarks lent =
      annexPath.empty() ? swde::LentMarks{} : swde::LendMarks(*annex, *loadAnnex(""));
  if (lent.lent && !quiet) {
    complain("reference schema: " + annexName + ": " + swde::BuiltinMarksNotice(lent));
  }

  std::unique_ptr<swde::cli::ReportFile> report;
  if (toFile) {
    try {
      report = std::make_unique<swde::cli::ReportFile>(outputPath);
    } catch (const std::runtime_error& e) {
      complain(e.what());
      return kExitTrouble;
    }
  }
  std::ostream& out = report ? report->stream() : std::cout;
  if (describe) {
    swde::cli::describeAnnex(*annex, annexName, options.language, out, lent);
    return deliver(report.get(), out, quiet);
  }

  const auto sink = swde::cli::makeOutputSink(format, out, options, quiet);
  swde::cli::Summary summary;
  swde::cli::Checker checker(*annex, settings);
  const bool terminal = isatty(STDERR_FILENO) != 0 && !quiet;

  swde::cli::Totals all;
  for (const std::string& path : files) {
    const bool isStdin = path == "-";
    const std::string label = isStdin ? "<stdin>" : path;
    swde::cli::Totals fileTotals;
    swde::xml::InputFile input;
    if (!isStdin) {
      try {
        input = swde::xml::openInput(path);
      } catch (const swde::xml::XmlError& e) {
        const swde::cli::Failure failure{e.file(), e.line(), e.column(), e.message()};
        fileTotals.unreadable = 1;
        sink->beginFile(label);
        sink->endFile(label, fileTotals, swde::cli::Summary{}, &failure);
        all.add(fileTotals);
        complain(swde::cli::describe(failure));
        continue;
      }
    }
    std::optional<swde::cli::ProgressBar> bar;
    if (terminal && input.size > kProgressThreshold) {
      bar.emplace(label, std::cerr);
    }
    const auto failure = checker.check(
        label, isStdin ? std::cin : *input.stream, input.size,
        [&bar](std::uint64_t done, std::uint64_t total) {
          if (bar) {
            bar->update(done, total);
          }
        },
        *sink, &summary, fileTotals);
    bar.reset();
    all.add(fileTotals);
    if (failure) {
      complain(swde::cli::describe(*failure));
    }
  }
  sink->finish(all, files.size(), summary);
  if (const int status = deliver(report.get(), out, quiet); status != kExitClean) {
    return status;
  }
  if (all.unreadable > 0) {
    return kExitTrouble;
  }
  return all.errors > 0 || (warningsAsErrors && all.warnings > 0) ? kExitFaults : kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
  swde::Initialize();
  int status = kExitTrouble;
  try {
    status = run(argc, argv);
  } catch (const std::bad_alloc&) {
    complain("out of memory");
  } catch (const std::exception& e) {
    complain(e.what());
  }
  swde::Finalize();
  return status;
}

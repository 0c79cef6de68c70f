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
#include <vector>

#include <CLI/CLI.hpp>

#include "swde/engine/Engine.hpp"
#include "swde/engine/Filter.hpp"
#include "swde/engine/Language.hpp"
#include "swde/engine/Output.hpp"
#include "swde/swde.hpp"
#include "swde/xml/Reader.hpp"

#include "../common/Process.hpp"
#include "DescribeAnnex.hpp"
#include "ProgressBar.hpp"
#include "ReportFile.hpp"

namespace {

using swde::engine::OutputFormat;

constexpr int kExitClean = 0;
constexpr int kExitFaults = 1;
constexpr int kExitTrouble = 2;

// Inputs above this size get a progress bar when stderr is a terminal.
constexpr std::uint64_t kProgressThreshold = 4u << 20;

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

// The options as the command line gives them.
struct Arguments {
  std::vector<std::string> files;
  std::string annexPath;
  std::string outputPath;
  bool describe = false;
  std::string formatName = "text";
  bool summaryWanted = false;
  bool quiet = false;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::string> selected;
  std::vector<std::string> ignored;
  std::string severity = "warning";
  bool warningsAsErrors = false;
  std::optional<std::uint64_t> maxFindings;
  std::string languageName;
  std::string delimiter = ",";
  bool byteOrderMark = false;
  std::string profile = "all";
  std::string today;
  std::string transfer;
};

// What a run is asked to do, once the options are found to agree.
struct Request {
  std::vector<std::string> files;
  std::string annexPath;
  std::string outputPath;  // empty: standard output
  bool describe = false;
  OutputFormat format = OutputFormat::kText;
  bool quiet = false;
  bool warningsAsErrors = false;
  swde::engine::CheckerSettings settings;
  swde::engine::OutputOptions options;
};

// Reads the command line into `args`; an exit status when the run ends here (--help,
// --version, a parse error).
std::optional<int> parse(int argc, char** argv, Arguments& args) {
  CLI::App app{"Checks the objects of SWDE transfer documents (XML) against a reference schema.",
               "swde-check"};
  // "/path" is a file name, not a Windows-style option.
  app.allow_windows_style_options(false);
  // Required, so that a list option before it leaves it its arguments; not with --describe-annex,
  // which reads no document.
  CLI::Option* fileOption =
      app.add_option("FILE", args.files, "Transfer documents to check ('-' reads standard input)")
          ->required();
  app.add_flag("--describe-annex", args.describe,
               "Print what the reference schema requires, as Markdown, and read no document");
  app.add_option("--annex", args.annexPath,
                 "Reference schema (XML); default: the built-in sample reference schema")
      ->check(CLI::ExistingFile);
  app.add_option("--format", args.formatName,
                 "Output format: text, json, csv or html (default: text)")
      ->check(CLI::IsMember({"text", "json", "csv", "html"}));
  app.add_option("--output", args.outputPath,
                 "Write the report to FILE (replaced only once the report is complete)");
  app.add_flag("--summary", args.summaryWanted,
               "Add counts of findings per code and per record type");
  app.add_flag("--quiet", args.quiet, "Write no report at all; the exit status tells the result");
  app.add_option("--jobs,-j", args.jobs,
                 "Objects checked in parallel by this many threads (default: the number of cores)")
      ->transform(countFrom(1, 256));
  // One list per occurrence (the option may be repeated): a file named after it is a file.
  app.add_option("--select", args.selected,
                 "Report only these codes: a list of codes and ranges, e.g. 6001,6020-6022")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("--ignore", args.ignored, "Leave these codes out (the same syntax as --select)")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("--severity", args.severity,
                 "Lowest severity reported: warning (everything, the default) or error")
      ->check(CLI::IsMember({"error", "warning"}));
  app.add_flag("--warnings-as-errors", args.warningsAsErrors,
               "Exit with status 1 when a warning is reported");
  std::uint64_t maxFindings = 0;
  const CLI::Option* maxOption =
      app.add_option("--max-findings", maxFindings,
                     "List at most N findings per file (the rest are counted, not listed)")
          ->transform(countFrom(0, UINT64_MAX));
  app.add_option("--lang", args.languageName,
                 "Language of the words around the messages in text and HTML: pl or en "
                 "(default: from LC_ALL, LC_MESSAGES or LANG)")
      ->check(CLI::IsMember({"pl", "en"}));
  app.add_option("--csv-delimiter", args.delimiter,
                 "CSV field separator: , ; | or tab (a tab character or the word; default: ,)");
  app.add_flag("--bom", args.byteOrderMark, "Begin a CSV report with the UTF-8 byte order mark");
  app.add_option("--profile", args.profile,
                 "Checks to run: catalogue (each object on its own, codes up to 6036) or all "
                 "(also the document checks, codes 7001 and up; the default)")
      ->check(CLI::IsMember({"catalogue", "all"}));
  app.add_option("--today", args.today,
                 "The day of the check, YYYY.MM.DD: no date may be later (default: today)");
  app.add_option("--transfer", args.transfer,
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
  if (maxOption->count() > 0) {
    args.maxFindings = maxFindings;
  }
  return std::nullopt;
}

// Turns `args` into a request, or says what does not agree (and the run ends with status 2).
std::optional<Request> validate(const Arguments& args) {
  Request request;
  request.format = args.formatName == "json"   ? OutputFormat::kJson
                   : args.formatName == "csv"  ? OutputFormat::kCsv
                   : args.formatName == "html" ? OutputFormat::kHtml
                                               : OutputFormat::kText;
  if (args.describe &&
      (!args.files.empty() || request.format != OutputFormat::kText || args.quiet)) {
    complain(
        "--describe-annex reads no document and writes Markdown: leave out FILE, --format "
        "and --quiet");
    return std::nullopt;
  }
  if (args.summaryWanted && request.format == OutputFormat::kCsv) {
    complain("--summary cannot be combined with --format csv");
    return std::nullopt;
  }
  if ((args.delimiter != "," || args.byteOrderMark) && request.format != OutputFormat::kCsv) {
    complain("--csv-delimiter and --bom apply to --format csv only");
    return std::nullopt;
  }
  const std::optional<char> separator = csvDelimiter(args.delimiter);
  if (!separator) {
    complain("--csv-delimiter must be , ; | or tab (a tab character or the word), not \"" +
             args.delimiter + "\"");
    return std::nullopt;
  }
  swde::engine::CheckerSettings& settings = request.settings;
  settings.jobs = args.jobs;
  settings.documentChecks = args.profile == "all";
  settings.today = args.today;
  settings.transfer = args.transfer;
  try {
    swde::engine::requireDay(args.today);
  } catch (const std::invalid_argument&) {
    complain("--today must be a real day written YYYY.MM.DD, not \"" + args.today + "\"");
    return std::nullopt;
  }
  settings.filter.errorsOnly = args.severity == "error";
  settings.filter.maxFindings = args.maxFindings;
  const auto parseCodes = [](const std::vector<std::string>& texts, const char* option,
                             swde::engine::CodeSet& codes) {
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
  if (!args.selected.empty() &&
      !parseCodes(args.selected, "--select", settings.filter.select.emplace())) {
    return std::nullopt;
  }
  if (!parseCodes(args.ignored, "--ignore", settings.filter.ignore)) {
    return std::nullopt;
  }
  swde::engine::OutputOptions& options = request.options;
  options.language = args.languageName.empty()   ? swde::engine::languageFromEnvironment()
                     : args.languageName == "pl" ? swde::engine::Language::kPolish
                                                 : swde::engine::Language::kEnglish;
  options.summary = args.summaryWanted;
  options.filters = settings.filter.filters();
  options.capped = settings.filter.maxFindings.has_value();
  options.csvDelimiter = *separator;
  options.byteOrderMark = args.byteOrderMark;
  request.files = args.files;
  request.annexPath = args.annexPath;
  request.outputPath = args.quiet ? std::string() : args.outputPath;
  request.describe = args.describe;
  request.quiet = args.quiet;
  request.warningsAsErrors = args.warningsAsErrors;
  if (!request.outputPath.empty()) {
    if (const auto input =
            swde::cli::sameFileAsOutput(request.outputPath, request.files, request.annexPath)) {
      complain("--output " + request.outputPath + " is the same file as " +
               (*input == "-" ? std::string("the standard input") : *input) +
               ", which the report would overwrite");
      return std::nullopt;
    }
  }
  return request;
}

// Reads the reference schema, then describes it or checks the documents; the exit status.
int execute(const Request& request) {
  std::shared_ptr<const swde::engine::Schema> annex;
  try {
    annex = request.annexPath.empty() ? swde::engine::Schema::builtin()
                                      : swde::engine::Schema::fromFile(request.annexPath);
  } catch (const swde::xml::XmlError& e) {
    complain(std::string("reference schema: ") + e.what());
    return kExitTrouble;
  }
  for (const swde::engine::SchemaMistake& mistake : annex->mistakes()) {
    complain("reference schema: " + annex->describe(mistake, true));
  }
  if (annex->broken()) {
    return kExitTrouble;
  }
  if (annex->lent().lent && !request.quiet) {
    complain("reference schema: " + annex->name() + ": " + swde::BuiltinMarksNotice(annex->lent()));
  }

  std::unique_ptr<swde::cli::ReportFile> report;
  if (!request.outputPath.empty()) {
    try {
      report = std::make_unique<swde::cli::ReportFile>(request.outputPath);
    } catch (const std::runtime_error& e) {
      complain(e.what());
      return kExitTrouble;
    }
  }
  std::ostream& out = report ? report->stream() : std::cout;
  if (request.describe) {
    swde::cli::describeAnnex(annex->metadata(), annex->name(), request.options.language, out,
                             annex->lent());
    return deliver(report.get(), out, request.quiet);
  }

  const auto sink =
      swde::engine::makeOutputSink(request.format, out, request.options, request.quiet);
  swde::engine::Summary summary;
  swde::engine::Checker checker(annex->metadata(), request.settings);
  const bool terminal = swde::tools::errorIsTerminal() && !request.quiet;

  swde::engine::Totals all;
  for (const std::string& path : request.files) {
    const bool isStdin = path == "-";
    const std::string label = isStdin ? "<stdin>" : path;
    swde::engine::Totals fileTotals;
    std::optional<swde::cli::ProgressBar> bar;
    const auto progress = [&bar, &label, terminal](std::uint64_t done, std::uint64_t total) {
      if (!bar && terminal && total > kProgressThreshold) {
        bar.emplace(label, std::cerr);
      }
      if (bar) {
        bar->update(done, total);
      }
    };
    const auto failure =
        isStdin ? checker.check(label, std::cin, 0, progress, *sink, &summary, fileTotals)
                : checker.checkFile(path, label, progress, *sink, &summary, fileTotals);
    bar.reset();
    all.add(fileTotals);
    if (failure) {
      complain(swde::engine::describe(*failure));
    }
  }
  sink->finish(all, request.files.size(), summary);
  if (const int status = deliver(report.get(), out, request.quiet); status != kExitClean) {
    return status;
  }
  if (all.unreadable > 0) {
    return kExitTrouble;
  }
  return all.errors > 0 || (request.warningsAsErrors && all.warnings > 0) ? kExitFaults
                                                                          : kExitClean;
}

int run(int argc, char** argv) {
  Arguments args;
  if (const std::optional<int> status = parse(argc, argv, args)) {
    return *status;
  }
  const std::optional<Request> request = validate(args);
  return request ? execute(*request) : kExitTrouble;
}

}  // namespace

int main(int argc, char** argv) {
  const swde::tools::ProcessSetup process;
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

// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-check [options] FILE...: checks every object of each transfer document against the
// reference schema (built in, or --annex FILE) and reports every fault with its line.
// Exit status: 0 no fault of message type 0, 1 at least one, 2 bad usage or unreadable input.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>

#include "swde/swde.hpp"
#include "swde/xml/Reader.hpp"

#include "Checker.hpp"
#include "Output.hpp"

extern const char swde_builtin_annex[];
extern const std::size_t swde_builtin_annex_size;

namespace {

using swde::cli::OutputFormat;

constexpr int kExitClean = 0;
constexpr int kExitFaults = 1;
constexpr int kExitTrouble = 2;

// Inputs above this size get a progress bar when stderr is a terminal.
constexpr std::uint64_t kProgressThreshold = 4u << 20;

// "file:line:column: message", or "file: message" for faults without a position.
std::string describe(const swde::xml::XmlError& error) {
  if (error.line() == 0) {
    return error.file() + ": " + error.message();
  }
  return error.what();
}

class ProgressBar {
 public:
  explicit ProgressBar(std::string label) : label_(std::move(label)) {}
  ~ProgressBar() {
    if (shown_) {
      std::cerr << "\r\033[K" << std::flush;
    }
  }

  void update(std::uint64_t done, std::uint64_t total) {
    const int percent = total == 0 ? 0 : static_cast<int>(done * 100 / total);
    if (percent == lastPercent_) {
      return;
    }
    lastPercent_ = percent;
    shown_ = true;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::cerr << '\r' << label_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent
              << '%' << std::flush;
  }

 private:
  std::string label_;
  int lastPercent_ = -1;
  bool shown_ = false;
};

std::unique_ptr<swde::Metadata> loadAnnex(const std::string& path) {
  if (path.empty()) {
    return swde::xml::parseSchema(std::string_view(swde_builtin_annex, swde_builtin_annex_size),
                                  "<built-in annex>");
  }
  return swde::xml::loadSchema(path);
}

// Opens one input; throws XmlError (without a position) when it cannot be read.
std::unique_ptr<std::istream> openInput(const std::string& path, std::uint64_t& size) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw swde::xml::XmlError(path, 0, 0, "is a directory, not a document");
  }
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*file) {
    throw swde::xml::XmlError(path, 0, 0, std::string("cannot open: ") + std::strerror(errno));
  }
  const auto fileSize = std::filesystem::file_size(path, ec);
  size = ec ? 0 : static_cast<std::uint64_t>(fileSize);
  return file;
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

  app.add_option("FILE", files, "Transfer documents to check ('-' reads standard input)")
      ->required();
  app.add_option("--annex", annexPath,
                 "Reference schema (XML); default: the built-in sample reference schema")
      ->check(CLI::ExistingFile);
  std::string formatName = "text";
  app.add_option("--format", formatName, "Output format: text, json or csv (default: text)")
      ->check(CLI::IsMember({"text", "json", "csv"}));
  app.add_option("--output", outputPath, "Write the report to FILE instead of standard output");
  app.add_flag("--summary", summaryWanted, "Add counts of findings per code and per record type");
  app.add_flag("--quiet", quiet, "Print no report; the exit status tells the result");
  app.add_option("--jobs,-j", jobs,
                 "Objects checked in parallel by this many threads (default: the number of cores)")
      ->check(CLI::Range(1u, 256u));
  app.set_version_flag("--version", std::string("swde-check ") + SWDE_VERSION);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitClean : kExitTrouble;
  }
  const OutputFormat format = formatName == "json"  ? OutputFormat::kJson
                              : formatName == "csv" ? OutputFormat::kCsv
                                                    : OutputFormat::kText;
  if (summaryWanted && format == OutputFormat::kCsv) {
    std::cerr << "swde-check: --summary cannot be combined with --format csv\n";
    return kExitTrouble;
  }

  std::unique_ptr<swde::Metadata> annex;
  try {
    annex = loadAnnex(annexPath);
  } catch (const swde::xml::XmlError& e) {
    std::cerr << "swde-check: reference schema: " << describe(e) << '\n';
    return kExitTrouble;
  }

  std::ofstream outputFile;
  if (!outputPath.empty()) {
    outputFile.open(outputPath, std::ios::binary | std::ios::trunc);
    if (!outputFile) {
      std::cerr << "swde-check: " << outputPath << ": cannot write: " << std::strerror(errno)
                << '\n';
      return kExitTrouble;
    }
  }
  std::ostream& out = outputPath.empty() ? std::cout : outputFile;

  const auto sink = swde::cli::makeOutputSink(format, out, files.size(), quiet);
  swde::cli::Summary summary;
  swde::cli::Checker checker(*annex, *sink, summaryWanted ? &summary : nullptr, jobs);
  const bool terminal = isatty(STDERR_FILENO) != 0 && !quiet;

  swde::cli::Totals all;
  bool troubled = false;
  for (const std::string& path : files) {
    const bool isStdin = path == "-";
    const std::string label = isStdin ? "<stdin>" : path;
    std::uint64_t size = 0;
    std::unique_ptr<std::istream> owned;
    std::istream* in = &std::cin;
    if (!isStdin) {
      try {
        owned = openInput(path, size);
        in = owned.get();
      } catch (const swde::xml::XmlError& e) {
        // Reported like an input that broke off at once, so every format still names it.
        troubled = true;
        sink->beginFile(label);
        sink->failFile(label, swde::cli::Totals{}, describe(e));
        std::cerr << "swde-check: " << describe(e) << '\n';
        continue;
      }
    }
    try {
      std::optional<ProgressBar> bar;
      if (terminal && size > kProgressThreshold) {
        bar.emplace(label);
      }
      swde::cli::Totals fileTotals;
      try {
        checker.checkStream(
            label, *in, size,
            [&bar](std::uint64_t done, std::uint64_t total) {
              if (bar) {
                bar->update(done, total);
              }
            },
            fileTotals, !isStdin);
      } catch (...) {
        all.add(fileTotals);  // what was reported before the fault still counts
        throw;
      }
      all.add(fileTotals);
    } catch (const swde::xml::XmlError& e) {
      troubled = true;
      std::cerr << "swde-check: " << describe(e) << '\n';
    }
  }
  sink->finish(all, files.size(), summaryWanted ? &summary : nullptr);
  out.flush();
  if (!out) {
    std::cerr << "swde-check: cannot write the report\n";
    return kExitTrouble;
  }
  if (troubled) {
    return kExitTrouble;
  }
  return all.errors > 0 ? kExitFaults : kExitClean;
}

}  // namespace

int main(int argc, char** argv) {
  swde::Initialize();
  int status = kExitTrouble;
  try {
    status = run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "swde-check: " << e.what() << '\n';
  }
  swde::Finalize();
  return status;
}

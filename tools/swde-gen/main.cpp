// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-gen [options]: writes a synthetic transfer document, made from a reference schema, with
// a chosen share of faulty objects. Used to measure swde-check on large inputs.
// Exit status: 0 written, 2 bad usage, an unreadable schema or a failed write.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "swde/metadata/Metadata.hpp"
#include "swde/xml/Reader.hpp"

#include "../common/Process.hpp"
#include "Generator.hpp"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitTrouble = 2;

constexpr const char* kUsage =
    "Usage: swde-gen [options]\n"
    "Writes a synthetic SWDE transfer document (UTF-8 XML) made from a reference schema.\n"
    "\n"
    "  --objects N      number of objects (default 1000)\n"
    "  --fault-rate R   share of objects, in [0, 1], that get exactly one fault (default 0.05)\n"
    "  --seed S         seed of the generator; the same seed gives the same document (default 1)\n"
    "  --annex FILE     reference schema (default: data/annex.xml of the source tree)\n"
    "  --output FILE    write to FILE instead of standard output\n"
    "  --stats          print the counts of objects and faults to standard error\n"
    "  --help           print this text\n";

bool parseCount(const char* text, std::uint64_t& out) {
  if (text[0] < '0' || text[0] > '9') {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0') {
    return false;
  }
  out = value;
  return true;
}

bool parseRate(const char* text, double& out) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(value >= 0.0 && value <= 1.0)) {
    return false;
  }
  out = value;
  return true;
}

int usageError(const std::string& message) {
  std::cerr << "swde-gen: " << message << "\n" << kUsage;
  return kExitTrouble;
}

int run(int argc, char** argv) {
  swde::gen::GeneratorOptions options;
  std::string annexPath = SWDE_SOURCE_DIR "/data/annex.xml";
  std::string outputPath;
  bool statsWanted = false;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitOk;
    }
    if (arg == "--stats") {
      statsWanted = true;
      continue;
    }
    if (i + 1 >= argc) {
      return usageError("unknown option or missing value: " + std::string(arg));
    }
    const char* value = argv[++i];
    if (arg == "--objects") {
      if (!parseCount(value, options.objects)) {
        return usageError("--objects wants a count, got '" + std::string(value) + "'");
      }
    } else if (arg == "--fault-rate") {
      if (!parseRate(value, options.faultRate)) {
        return usageError("--fault-rate wants a number in [0, 1], got '" + std::string(value) +
                          "'");
      }
    } else if (arg == "--seed") {
      if (!parseCount(value, options.seed)) {
        return usageError("--seed wants an unsigned number, got '" + std::string(value) + "'");
      }
    } else if (arg == "--annex") {
      annexPath = value;
    } else if (arg == "--output") {
      outputPath = value;
    } else {
      return usageError("unknown option: " + std::string(arg));
    }
  }

  std::unique_ptr<swde::Metadata> schema;
  try {
    schema = swde::xml::loadSchema(annexPath);
  } catch (const swde::xml::XmlError& e) {
    std::cerr << "swde-gen: reference schema: " << e.what() << '\n';
    return kExitTrouble;
  }
  swde::gen::Generator generator(*schema, options);

  std::FILE* file = stdout;
  if (!outputPath.empty()) {
    file = std::fopen(outputPath.c_str(), "wb");
    if (file == nullptr) {
      std::cerr << "swde-gen: " << outputPath << ": cannot write: " << std::strerror(errno) << '\n';
      return kExitTrouble;
    }
  }
  swde::gen::OutputBuffer out(file);
  generator.write(out);
  bool written = out.flush();
  if (file != stdout) {
    written = std::fclose(file) == 0 && written;
  } else {
    written = std::fflush(stdout) == 0 && written;
  }
  if (!written) {
    std::cerr << "swde-gen: " << (outputPath.empty() ? "<stdout>" : outputPath)
              << ": write failed\n";
    return kExitTrouble;
  }

  if (statsWanted) {
    const swde::gen::GeneratorStats& stats = generator.stats();
    std::cerr << "objects " << stats.objects << ", faulty " << stats.faulty << ", bytes "
              << out.bytesWritten() << '\n';
    for (std::size_t f = 0; f < swde::gen::kFaultCount; ++f) {
      if (stats.byFault[f] > 0) {
        std::cerr << "  " << swde::gen::faultName(static_cast<swde::gen::Fault>(f)) << ' '
                  << stats.byFault[f] << '\n';
      }
    }
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const swde::tools::ProcessSetup process;
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "swde-gen: " << e.what() << '\n';
    return kExitTrouble;
  }
}

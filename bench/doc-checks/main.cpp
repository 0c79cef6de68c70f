// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-doc-checks: what the document checks cost on top of the catalogue's, on one thread. Reads
// a transfer document, checks every object with checkMain and then with the document checks,
// timing the two apart, and prints the findings per code, the time of each part and the peak
// resident memory. Run it once with --catalogue-only for the memory without the document checks.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/xml/Reader.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int run(int argc, char** argv) {
  std::string annexPath = SWDE_SOURCE_DIR "/data/annex.xml";
  std::string today = "2026.12.06";
  std::string document;
  bool catalogueOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--catalogue-only") {
      catalogueOnly = true;
    } else if ((arg == "--annex" || arg == "--today") && i + 1 < argc) {
      (arg == "--annex" ? annexPath : today) = argv[++i];
    } else if (document.empty() && !arg.empty() && arg[0] != '-') {
      document = arg;
    } else {
      std::cerr << "usage: swde-doc-checks [--annex FILE] [--today rrrr.mm.dd] "
                   "[--catalogue-only] DOCUMENT\n";
      return 2;
    }
  }
  if (document.empty()) {
    std::cerr << "swde-doc-checks: no document\n";
    return 2;
  }

  swde::Initialize();
  const std::unique_ptr<swde::Metadata> annex = swde::xml::loadSchema(annexPath);
  swde::smDocumentChecks checks(annex.get(), {today});
  std::vector<swde::smDocumentFinding> findings;
  std::map<int, std::uint64_t> byCode;
  std::uint64_t objects = 0;
  Clock::duration catalogue{};
  Clock::duration perObject{};
  Clock::duration documentLevel{};

  std::unique_ptr<swde::xml::DocumentReader> reader;
  reader = std::make_unique<swde::xml::DocumentReader>(
      document, [&](std::unique_ptr<swde::smObject> object) {
        ++objects;
        const Clock::time_point start = Clock::now();
        object->setExistMetadata(reader->hasSchemaSections());
        object->checkMain(annex.get(), &reader->fileMetadata());
        for (const swde::smError* e : object->errors) {
          ++byCode[e->code];
        }
        const Clock::time_point checked = Clock::now();
        catalogue += checked - start;
        if (catalogueOnly) {
          return;
        }
        findings.clear();
        const swde::smObjectDigest digest = checks.objectChecks().check(*object, findings);
        const Clock::time_point digested = Clock::now();
        checks.add(digest, findings);
        documentLevel += Clock::now() - digested;
        perObject += digested - checked;
        for (const swde::smDocumentFinding& f : findings) {
          ++byCode[f.code];
        }
      });
  const Clock::time_point start = Clock::now();
  reader->readFile(document);
  if (!catalogueOnly) {
    findings.clear();
    const Clock::time_point finishing = Clock::now();
    checks.finish(findings);
    documentLevel += Clock::now() - finishing;
    for (const swde::smDocumentFinding& f : findings) {
      ++byCode[f.code];
    }
  }
  const double total = seconds(Clock::now() - start);
  swde::Finalize();

  std::printf("objects %llu\n", static_cast<unsigned long long>(objects));
  for (const auto& [code, count] : byCode) {
    std::printf("  %d %llu\n", code, static_cast<unsigned long long>(count));
  }
  std::printf(
      "total %.3f s, catalogue checks %.3f s, document checks %.3f s per object + %.3f s "
      "document-level, peak %ld KB\n",
      total, seconds(catalogue), seconds(perObject), seconds(documentLevel), peakKilobytes());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "swde-doc-checks: " << e.what() << '\n';
    return 2;
  }
}

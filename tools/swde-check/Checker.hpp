// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_
#define SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "swde/metadata/Metadata.hpp"

#include "Output.hpp"

namespace swde::cli {

// Reports progress: bytes read so far and the input's size (0 when unknown).
using ProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Checks the objects of transfer documents against one reference schema and writes what it
// finds, in document order, to a sink. With more than one job the objects are checked on
// worker threads, each against its own copies of the metadata sets (the checks move walk
// cursors inside them); the report is the same as with one job, byte for byte.
class Checker {
 public:
  // REQUIRES: jobs >= 1. `annex` must outlive the checker and not change while it works.
  Checker(Metadata& annex, OutputSink& sink, Summary* summary, unsigned jobs);
  ~Checker();
  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;

  // Reads `label`'s document from `in` (`size` bytes, 0 when unknown), checks every object and
  // adds the input's counts to `totals`. Throws xml::XmlError for input that cannot be read to
  // its end; the findings of every object before the fault have been written and counted, and
  // the sink's failFile called, by then.
  // With more than one job and a `seekable` input, the document itself is cut into pieces of
  // whole objects that are parsed and checked on the workers; anything unusual in a piece
  // (a fault, a declaration it cannot see) makes the rest be read again in one stream, so the
  // report stays exactly that of one job.
  void checkStream(const std::string& label, std::istream& in, std::uint64_t size,
                   const ProgressFn& progress, Totals& totals, bool seekable = false);

 private:
  class Pool;
  class Writer;

  void checkInPieces(const std::string& label, std::istream& in, std::uint64_t size,
                     const ProgressFn& progress, Writer& writer);
  void checkInBatches(const std::string& label, std::istream& in, std::uint64_t size,
                      const ProgressFn& progress, Writer& writer);

  Metadata& annex_;
  OutputSink& sink_;
  Summary* summary_;
  unsigned jobs_;
  std::unique_ptr<Pool> pool_;
};

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_

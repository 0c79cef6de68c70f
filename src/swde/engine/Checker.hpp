// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_CHECKER_HPP_
#define SWDE_ENGINE_CHECKER_HPP_

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "swde/engine/Filter.hpp"
#include "swde/engine/Output.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

namespace swde::engine {

// Reports progress: bytes read so far and the input's size (0 when unknown).
using ProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct CheckerSettings {
  unsigned jobs = 1;
  // With more than one job, the size from which a piece of a document is handed to a worker.
  // Tests make it tiny so that every document is cut many times.
  std::size_t pieceBytes = std::size_t{1} << 20;
  xml::ReaderLimits limits;
  // Which findings are counted and listed.
  FindingFilter filter;
  // The document checks (codes 7001 and up) run after the catalogue's on every object; off:
  // the catalogue's findings alone.
  bool documentChecks = true;
  // The day of the check for the document checks, "rrrr.mm.dd"; empty: the date when the
  // checker is made. REQUIRES: a real day (see smObjectChecks).
  std::string today;
  // Asked on the thread that calls Checker::check, between objects and read pieces of input,
  // and every few milliseconds while that thread waits for the workers; true stops the check
  // (see Cancelled). Empty: the check is never cancelled.
  std::function<bool()> cancelled;
  // The kind of transfer, "full" or "update", whatever a document declares; empty: as each
  // document declares (its root element's `transfer`), full when it does not.
  std::string transfer = {};
};

// What Checker::check throws when CheckerSettings::cancelled said so. The workers have then let
// go of the document; the sink has had beginFile and some findings, but no endFile.
struct Cancelled : std::exception {
  const char* what() const noexcept override { return "the check was cancelled"; }
};

// Checks the objects of transfer documents against one reference schema and writes what it
// finds, in document order, to a sink. With more than one job the document is cut into pieces
// (xml::DocumentCutter) that workers read and check, all against the same reference schema and
// the same set of the document's own sections (the checks only read them); objects the cutter
// reads itself go to the workers in batches. A writer puts the results back in document order,
// so the report is that of one job, byte for byte, faults included. No more than a bounded
// window of work is in flight: about two pieces per job.
//
// The document checks judge each object's values where the object is checked (on the workers)
// and keep what the document must remember (keys, references, share sums) in one state per
// document, fed by the writer in document order; what that state settles at the end of a
// document read to its end comes after the document's other findings.
class Checker {
  class Pool;
  class Run;

 public:
  // `annex` must outlive the checker; nobody may change it or walk it with the cursors of its
  // record types while the checker works (its workers read it at the same time).
  Checker(Metadata& annex, const CheckerSettings& settings);
  ~Checker();
  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;

  // Checks the document `label` read from `in` (`size` bytes, 0 when unknown): calls
  // sink.beginFile, sink.finding for every finding listed (in document order; see
  // CheckerSettings::filter), then sink.endFile with the input's counts and summary and the
  // failure when the document could not be read or checked to its end (bad input, out of
  // memory, any exception). Adds the input's counts to `totals` (and one unreadable input on a
  // failure) and its summary to `summary` (may be null). Returns the failure, if any; throws
  // only what the sink throws, and Cancelled.
  std::optional<Failure> check(const std::string& label, std::istream& in, std::uint64_t size,
                               const ProgressFn& progress, OutputSink& sink, Summary* summary,
                               Totals& totals);

  // Opens `path` and checks it as check() does; a file that cannot be opened is that input's
  // failure, told to the sink like any other (beginFile, endFile).
  std::optional<Failure> checkFile(const std::string& path, const std::string& label,
                                   const ProgressFn& progress, OutputSink& sink, Summary* summary,
                                   Totals& totals);

  // A document whose objects the host builds and hands over in document order, each checked
  // at once and its findings told to the sink (beginFile when the session starts). Objects have
  // no sections of their own: they are checked against the checker's schema alone.
  class Session {
   public:
    Session(Checker& checker, std::string label, OutputSink& sink);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Checks `object` and tells its findings, then those the document checks make of it at
    // once (a key seen before, say). Throws Cancelled when the settings say so.
    void add(smObject& object);
    // Ends the document: with `settle`, what the document checks can judge only at its end (a
    // reference never resolved, shares that do not add up) comes first; then endFile. Adds the
    // counts to `totals` and the summary to `summary` (may be null). Call it once.
    void finish(bool settle, Totals& totals, Summary* summary);

   private:
    std::string label_;
    OutputSink& sink_;
    Totals totals_;
    Summary summary_;
    std::unique_ptr<Metadata> sections_;
    std::unique_ptr<Run> run_;
  };

 private:
  Metadata& annex_;
  CheckerSettings settings_;  // `today` resolved once, so every document has the same day
  std::unique_ptr<Pool> pool_;
};

}  // namespace swde::engine

#endif  // SWDE_ENGINE_CHECKER_HPP_

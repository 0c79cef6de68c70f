// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_ENGINE_ENGINE_HPP_
#define SWDE_ENGINE_ENGINE_HPP_

// The engine, as a host uses it: a reference schema read and reviewed once, then documents (a
// file, bytes in memory, a stream) or objects the host builds checked against it, each giving a
// Report: the findings with their whole context in UTF-8, the counts, and why an input could not
// be read to its end. Checker (Checker.hpp) is the same engine for many documents in a row with
// one pool of workers, and Checker::Session a document whose objects the host hands over one by
// one. The report writers (Output.hpp) are sinks a host may give a Checker, or replay a Report
// into.
//
//   swde::Initialize();
//   const auto schema = swde::engine::Schema::builtin();
//   swde::engine::Options options;
//   options.jobs = 4;
//   const swde::engine::Report report =
//       swde::engine::checkFile(*schema, "transfer.xml", options);
//   for (const swde::engine::Finding& f : report.findings) { ... f.line, f.code, f.message ... }

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swde/engine/AnnexCheck.hpp"
#include "swde/engine/Checker.hpp"
#include "swde/engine/Filter.hpp"
#include "swde/engine/Output.hpp"
#include "swde/metadata/Marks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"

namespace swde::engine {

// How documents are checked: jobs, profile (documentChecks), the day of the check, the kind of
// transfer, the filters (select, ignore, severity, a limit per input), the reader's limits and
// cancellation.
using Options = CheckerSettings;

// A reference schema ready for the checks: read, reviewed for the mistakes its reader accepts
// (SchemaMistake), and, when it has no marks of its own, given the built-in schema's. Never
// changed once made, so any number of checks on any threads may share it.
class Schema {
 public:
  static constexpr const char* kBuiltinName = "<built-in annex>";

  // The built-in reference schema, read once.
  static std::shared_ptr<const Schema> builtin();
  // Read from a file, or from `text` named `name` in messages. Throw xml::XmlError when the
  // schema cannot be read; its mistakes are for the caller to judge (broken()).
  static std::shared_ptr<const Schema> fromFile(const std::string& path);
  static std::shared_ptr<const Schema> fromText(std::string_view text, const std::string& name);

  // `metadata` reviewed; with `lendMarks`, given the built-in schema's marks when it has none.
  Schema(std::unique_ptr<Metadata> metadata, std::string name, bool lendMarks);

  // Only read by the checks (whose interfaces take it unqualified).
  Metadata& metadata() const { return *metadata_; }
  const std::string& name() const { return name_; }
  // In order of line.
  const std::vector<SchemaMistake>& mistakes() const { return mistakes_; }
  // An error among the mistakes: no document is checked against such a schema.
  bool broken() const;
  // Whether the built-in schema's marks were lent, and how many (BuiltinMarksNotice).
  const LentMarks& lent() const { return lent_; }
  // "NAME:LINE: MESSAGE"; with `tagWarning`, "NAME:LINE: warning: MESSAGE" for a doubtful one.
  std::string describe(const SchemaMistake& mistake, bool tagWarning) const;

 private:
  std::unique_ptr<Metadata> metadata_;
  std::string name_;
  std::vector<SchemaMistake> mistakes_;
  LentMarks lent_;
};

// Throws std::invalid_argument (saying why) unless `day` is empty (the day the check runs) or a
// real day written "rrrr.mm.dd", as Options::today must be.
void requireDay(const std::string& day);

// What checking one input gave.
struct Report {
  std::string file;               // the label the findings carry
  std::vector<Finding> findings;  // those listed, in document order
  Totals totals;
  Summary summary;
  std::optional<Failure> failure;  // the input could not be read or checked to its end

  // Tells `sink` the run again, as it was first told (one file, then finish): a Report written
  // as JSON, say.
  void replay(OutputSink& sink) const;
};

// A sink that keeps what it is told in `report` (its findings and summary).
class ReportSink final : public OutputSink {
 public:
  explicit ReportSink(Report& report) : report_(report) {}
  void beginFile(const std::string& file) override;
  void finding(const std::string& file, const Finding& finding) override;
  void endFile(const std::string& file, const Totals& totals, const Summary& summary,
               const Failure* failure) override;
  void finish(const Totals&, std::size_t, const Summary&) override {}

 private:
  Report& report_;
};

// One document checked against `schema`, into a Report (`label` names it in the findings; for a
// file, its path when empty). A
// document that cannot be opened or read to its end gives a Report with its failure. Throws
// Cancelled when options.cancelled says so, std::invalid_argument for a bad options.today.
Report checkFile(const Schema& schema, const std::string& path, const Options& options,
                 const ProgressFn& progress = {}, const std::string& label = {});
Report checkStream(const Schema& schema, std::istream& in, std::uint64_t size,
                   const std::string& label, const Options& options,
                   const ProgressFn& progress = {});
Report checkBuffer(const Schema& schema, std::string_view bytes, const std::string& label,
                   const Options& options, const ProgressFn& progress = {});

// One object the host built (smObjectFactory), checked on its own: the catalogue's checks and
// the document checks of its values (with options.documentChecks), as if it were a document's
// only object whose end is not judged. Its findings carry `label`.
Report checkObject(const Schema& schema, smObject& object, const Options& options,
                   const std::string& label = "<object>");

}  // namespace swde::engine

#endif  // SWDE_ENGINE_ENGINE_HPP_

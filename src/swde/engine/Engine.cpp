// swde — semantic checks of SWDE cadastral exchange objects.
//
// The entry points of Engine.hpp over Checker: the built-in reference schema (embedded at build
// time as swde_builtin_annex), its review and the day of the check, each in one place for the
// tool, the C interface and any host.
#include "swde/engine/Engine.hpp"

#include <stdexcept>
#include <streambuf>
#include <utility>

#include "swde/document/DocumentChecks.hpp"
#include "swde/xml/Reader.hpp"

extern const char swde_builtin_annex[];
extern const std::size_t swde_builtin_annex_size;

namespace swde::engine {
namespace {

// A stream over bytes the caller holds, without a copy.
class MemoryBuffer final : public std::streambuf {
 public:
  explicit MemoryBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());  // only read: the get area is never written
    setg(begin, begin, begin + bytes.size());
  }
};

}  // namespace

std::shared_ptr<const Schema> Schema::builtin() {
  static const std::shared_ptr<const Schema> schema = std::make_shared<Schema>(
      xml::parseSchema(std::string_view(swde_builtin_annex, swde_builtin_annex_size), kBuiltinName),
      kBuiltinName, false);
  return schema;
}

std::shared_ptr<const Schema> Schema::fromFile(const std::string& path) {
  return std::make_shared<Schema>(xml::loadSchema(path), path, true);
}

std::shared_ptr<const Schema> Schema::fromText(std::string_view text, const std::string& name) {
  return std::make_shared<Schema>(xml::parseSchema(text, name), name, true);
}

Schema::Schema(std::unique_ptr<Metadata> metadata, std::string name, bool lendMarks)
    : metadata_(std::move(metadata)), name_(std::move(name)) {
  mistakes_ = findSchemaMistakes(*metadata_);
  if (lendMarks && !broken()) {
    lent_ = LendMarks(*metadata_, builtin()->metadata());
  }
}

bool Schema::broken() const {
  for (const SchemaMistake& mistake : mistakes_) {
    if (mistake.error) {
      return true;
    }
  }
  return false;
}

std::string Schema::describe(const SchemaMistake& mistake, bool tagWarning) const {
  return name_ + ":" + std::to_string(mistake.line) + ": " +
         (tagWarning && !mistake.error ? "warning: " : "") + mistake.message;
}

void requireDay(const std::string& day) {
  smObjectChecks(nullptr, smDocumentOptions{AnsiString(day)});
}

void Report::replay(OutputSink& sink) const {
  sink.beginFile(file);
  for (const Finding& finding : findings) {
    sink.finding(file, finding);
  }
  sink.endFile(file, totals, summary, failure ? &*failure : nullptr);
  sink.finish(totals, 1, summary);
}

void ReportSink::beginFile(const std::string& file) {
  report_.file = file;
}

void ReportSink::finding(const std::string&, const Finding& finding) {
  report_.findings.push_back(finding);
}

void ReportSink::endFile(const std::string&, const Totals&, const Summary& summary,
                         const Failure* failure) {
  report_.summary = summary;
  if (failure != nullptr) {
    report_.failure = *failure;
  }
}

Report checkFile(const Schema& schema, const std::string& path, const Options& options,
                 const ProgressFn& progress, const std::string& label) {
  Report report;
  ReportSink sink(report);
  Checker(schema.metadata(), options)
      .checkFile(path, label.empty() ? path : label, progress, sink, nullptr, report.totals);
  return report;
}

Report checkStream(const Schema& schema, std::istream& in, std::uint64_t size,
                   const std::string& label, const Options& options, const ProgressFn& progress) {
  Report report;
  ReportSink sink(report);
  Checker(schema.metadata(), options)
      .check(label, in, size, progress, sink, nullptr, report.totals);
  return report;
}

Report checkBuffer(const Schema& schema, std::string_view bytes, const std::string& label,
                   const Options& options, const ProgressFn& progress) {
  MemoryBuffer buffer(bytes);
  std::istream in(&buffer);
  return checkStream(schema, in, bytes.size(), label, options, progress);
}

Report checkObject(const Schema& schema, smObject& object, const Options& options,
                   const std::string& label) {
  Options one = options;
  one.jobs = 1;  // no pool for one object
  Checker checker(schema.metadata(), one);
  Report report;
  ReportSink sink(report);
  Checker::Session session(checker, label, sink);
  session.add(object);
  session.finish(false, report.totals, nullptr);
  return report;
}

}  // namespace swde::engine

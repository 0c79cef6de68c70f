// swde — semantic checks of SWDE cadastral exchange objects.
//
// One job: every object is checked as soon as the reader hands it over.
//
// Several jobs: expat is most of the work, so the parsing itself is spread. The reading thread
// feeds the document to a DocumentCutter, which reads the head itself and hands out pieces that
// end right after an object. Each piece becomes a task: a worker reads it with a DocumentReader
// placed where the piece stands and checks its objects. Objects the cutter reads itself (the
// head, or the rest of a document it would not cut) are gathered in batches that the workers
// check. Tasks are written in the order they were made, which is document order; a task that
// failed (a fault in its piece, an exception) ends the document there, after everything before
// it has been written, as with one job.
//
// The metadata: every worker checks against the one reference schema and the one set of the
// document's own sections that the cutter's reader holds; the checks only read them. The
// sections are complete before the first object or piece is handed out (the reader refuses a
// section after an object before adding anything of it), every task is submitted after that
// through the pool's lock, and no task outlives the cutter that owns them.
//
// Memory: at most 2 * jobs tasks are in flight, and beyond `jobs` of them only while their bytes
// stay within 2 * jobs pieces; a piece is at most pieceBytes plus one object, and a batch at most
// kBatchObjects objects or about kBatchBytes of their values. The metadata is there once,
// whatever the number of jobs.
//
// Cancelling: the reading thread asks CheckerSettings::cancelled between objects and read
// blocks, and every kPollInterval while it waits for a task; once it says so, the workers skip
// the rest of their tasks (they look at a flag between objects) and check() throws Cancelled.
#include "swde/engine/Checker.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
#include "swde/engine/Context.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/xml/detail/DocumentCutter.hpp"

namespace swde::engine {
namespace {

constexpr std::size_t kBatchObjects = 256;
constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
constexpr std::size_t kReadBytes = std::size_t{1} << 16;
constexpr std::chrono::milliseconds kPollInterval{10};

// The metadata the workers check the current document against, shared by all of them.
struct Sets {
  Metadata* annex = nullptr;
  Metadata* file = nullptr;
  bool ownSections = false;
};

// The catalogue's checks of `object`; true unless a gate turned it away.
bool checkMain(smObject& object, const Sets& sets) {
  object.setExistMetadata(sets.ownSections);
  return object.checkMain(sets.annex, sets.file);
}

// A transfer kind as the tool and the documents write it; anything else leaves it to the
// document.
smTransfer transferOf(std::string_view text) {
  return text == "full"     ? smTransfer::kFull
         : text == "update" ? smTransfer::kUpdate
                            : smTransfer::kDeclared;
}

// Hands `found` the findings of `object` after checkMain: the catalogue's, then those about its
// values (`values` null: the catalogue's alone). Returns what the document checks must remember
// of the object.
smObjectDigest findingsOf(const smObject& object, const Sets& sets, const smObjectChecks* values,
                          const std::function<void(Finding&&)>& found) {
  findingsOf(object, *sets.annex, *sets.file, found);
  if (values == nullptr) {
    return {};
  }
  std::vector<smDocumentFinding> documentFindings;
  smObjectDigest digest = values->check(object, documentFindings);
  for (const smDocumentFinding& finding : documentFindings) {
    found(findingOf(finding));
  }
  return digest;
}

// What checking one object on a worker gives, for the writer.
struct ObjectResult {
  bool checked = false;
  std::vector<Finding> findings;
  smObjectDigest digest;
};

ObjectResult resultOf(smObject& object, const Sets& sets, const smObjectChecks* values) {
  ObjectResult result;
  result.checked = checkMain(object, sets);
  result.digest = findingsOf(object, sets, values, [&result](Finding&& finding) {
    result.findings.push_back(std::move(finding));
  });
  return result;
}

// About the memory an object takes while it waits in a batch.
std::size_t weightOf(const smObject& object) {
  std::size_t bytes = 256;
  for (const auto& [name, entry] : object.attributes) {
    bytes += 128 + name.size() + entry->code.size() + entry->value.size();
  }
  for (const auto& [name, entry] : object.relations) {
    bytes +=
        128 + name.size() + entry->code.size() + entry->destType.size() + entry->destObject.size();
  }
  return bytes;
}

Failure failureOf(const std::string& label, std::exception_ptr error) {
  try {
    std::rethrow_exception(std::move(error));
  } catch (const xml::XmlError& e) {
    return Failure{e.file(), e.line(), e.column(), e.message()};
  } catch (const std::bad_alloc&) {
    return Failure{label, 0, 0, "out of memory"};
  } catch (const std::exception& e) {
    return Failure{label, 0, 0, e.what()};
  } catch (...) {
    return Failure{label, 0, 0, "unknown error"};
  }
}

// One unit of work for the pool and what it gave.
struct Task {
  std::function<void(Task&)> run;
  std::size_t bytes = 0;  // what it holds while in flight, for the window
  std::vector<ObjectResult> results;
  std::exception_ptr failure;  // what ended it early; its results before it stand
  bool done = false;
};

}  // namespace

// Worker threads and the queue of tasks waiting for them.
class Checker::Pool {
 public:
  explicit Pool(unsigned jobs) {
    for (unsigned i = 0; i < jobs; ++i) {
      threads_.emplace_back([this] { work(); });
    }
  }

  ~Pool() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& thread : threads_) {
      thread.join();
    }
  }

  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  void submit(std::shared_ptr<Task> task) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(task));
    }
    workAvailable_.notify_one();
  }

  void waitDone(const Task& task) {
    std::unique_lock<std::mutex> lock(mutex_);
    taskDone_.wait(lock, [&task] { return task.done; });
  }

  // Waits no longer than `timeout`; true when the task is done.
  bool waitDone(const Task& task, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return taskDone_.wait_for(lock, timeout, [&task] { return task.done; });
  }

  bool isDone(const Task& task) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return task.done;
  }

 private:
  void work() {
    for (;;) {
      std::shared_ptr<Task> task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        workAvailable_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
          return;
        }
        task = std::move(queue_.front());
        queue_.pop_front();
      }
      try {
        task->run(*task);
      } catch (...) {
        task->failure = std::current_exception();
      }
      task->run = nullptr;  // frees what the task read
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        task->done = true;
      }
      taskDone_.notify_all();
    }
  }

  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable taskDone_;
  std::deque<std::shared_ptr<Task>> queue_;
  bool stopping_ = false;
};

// Checking one document: the reading, the tasks in flight and the writing in document order.
class Checker::Run {
 public:
  Run(Checker& checker, const std::string& label, OutputSink& sink, Summary& summary,
      Totals& totals)
      : checker_(checker), label_(label), sink_(sink), summary_(summary), totals_(totals) {
    if (checker.settings_.documentChecks) {
      smDocumentOptions options{
          checker.settings_.today, {}, transferOf(checker.settings_.transfer)};
      // What the filters leave out of the document-level codes is not looked for at all: it
      // would cost memory for the whole document (references waiting for their targets).
      for (const smDocumentCode code :
           {dcDuplicateKey, dcDanglingReference, dcAmbiguousReference, dcPrecinctMismatch,
            dcShareSum, dcShareSumRange, dcShareSumAtLeast, dcParcelAreaSum, dcDuplicateSubject,
            dcUnitKind, dcUnitPrecincts, dcBuildingPrecinct, dcUpdateShareSum}) {
        Finding finding;
        finding.code = code;
        finding.msgType = FindDocumentCode(code)->msgType;
        if (!checker.settings_.filter.admits(finding)) {
          options.notWanted.push_back(code);
        }
      }
      document_ = std::make_unique<smDocumentChecks>(&checker.annex_, options);
      values_ = &document_->objectChecks();
    }
  }

  // An object the host built, in a document without sections of its own.
  void add(smObject& object, Metadata& sections) {
    poll();
    const Sets sets{&checker_.annex_, &sections, false};
    count(checkMain(object, sets));
    remember(findingsOf(object, sets, values_, [this](Finding&& finding) { report(finding); }));
  }

  // The end of a document of such objects.
  void settle() { finishDocument(AnsiString()); }

  // However the document ends, no task outlives it (their results are not wanted any more).
  ~Run() { waitInFlight(); }

  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Reads, checks and writes the whole document; throws what ended it early, after writing
  // everything before it.
  void read(std::istream& in, std::uint64_t size, const ProgressFn& progress) {
    // Never more at once than a piece: the cutter can only cut what its own reader has not read.
    std::vector<char> buffer(std::min(kReadBytes, checker_.settings_.pieceBytes));
    std::uint64_t done = 0;
    const auto readAll = [&](auto&& feed, auto&& finish) {
      try {
        while (in) {
          in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
          const std::streamsize got = in.gcount();
          if (got <= 0) {
            break;
          }
          feed(buffer.data(), static_cast<std::size_t>(got));
          done += static_cast<std::uint64_t>(got);
          if (progress) {
            progress(done, size);
          }
          poll();
        }
        if (in.bad()) {
          throw xml::XmlError(label_, 0, 0, "read error");
        }
        finish();
      } catch (...) {
        // What was read before the fault is written before it (or an earlier fault instead);
        // nothing more once the check is cancelled.
        const std::exception_ptr error = std::current_exception();
        if (!stop_) {
          writeAll();
        }
        std::rethrow_exception(error);
      }
      writeAll();
    };

    const xml::ReaderLimits& limits = checker_.settings_.limits;
    if (!checker_.pool_) {
      xml::DocumentReader* reader = nullptr;
      xml::DocumentReader oneStream(
          label_,
          [&](std::unique_ptr<smObject> object) {
            poll();
            // The findings go to the report as they are made: an object with many of them
            // needs no list of them all.
            const Sets sets{&checker_.annex_, &reader->fileMetadata(), reader->hasSchemaSections()};
            count(checkMain(*object, sets));
            remember(
                findingsOf(*object, sets, values_, [this](Finding&& finding) { report(finding); }));
          },
          limits);
      reader = &oneStream;
      readAll([&](const char* data, std::size_t n) { oneStream.feed(data, n); },
              [&] { oneStream.finish(); });
      finishDocument(oneStream.transfer());
      return;
    }
    xml::DocumentCutter cutter(
        label_, [&](std::unique_ptr<smObject> object) { gather(std::move(object)); },
        [&](xml::DocumentCutter::Piece piece) { submitPiece(std::move(piece)); },
        checker_.settings_.pieceBytes, limits);
    cutter_ = &cutter;
    // The tasks read the sections the cutter holds: however reading ends, they end before it.
    struct Drain {
      Run& run;
      ~Drain() { run.waitInFlight(); }
    } drain{*this};
    readAll([&](const char* data, std::size_t n) { cutter.feed(data, n); },
            [&] { cutter.finish(); });
    finishDocument(cutter.transfer());
  }

 private:
  // Throws Cancelled once the settings' `cancelled` says so, and tells the workers.
  void poll() {
    const std::function<bool()>& cancelled = checker_.settings_.cancelled;
    if (!stop_ && cancelled && cancelled()) {
      stop_ = true;
    }
    if (stop_) {
      throw Cancelled();
    }
  }

  // For the workers, between objects.
  static void stopIf(const std::atomic<bool>& stop) {
    if (stop.load(std::memory_order_relaxed)) {
      throw Cancelled();
    }
  }

  void write(const ObjectResult& result) {
    count(result.checked);
    for (const Finding& finding : result.findings) {
      report(finding);
    }
    remember(result.digest);
  }

  // Counts an object before its findings are reported.
  void count(bool checked) {
    ++totals_.objects;
    totals_.checked += checked ? 1 : 0;
  }

  // Gives the document checks what they must remember of an object, after its findings.
  void remember(const smObjectDigest& digest) {
    if (document_) {
      document_->add(digest, found_);
      reportFound();
    }
  }

  // What only the whole document tells (a reference never resolved, shares that do not add
  // up), judged as the kind of transfer the document declares (`transfer`, its root element's).
  // Not for a document that could not be read to its end: its rest is unknown.
  void finishDocument(const AnsiString& transfer) {
    if (document_) {
      document_->declareTransfer(transferOf(transfer));
      document_->finish([this](smDocumentFinding&& finding) { report(findingOf(finding)); });
    }
  }

  void reportFound() {
    for (const smDocumentFinding& finding : found_) {
      report(findingOf(finding));
    }
    found_.clear();
  }

  // Counts a finding the filters admit and lists it while the file's limit allows.
  void report(const Finding& finding) {
    const FindingFilter& filter = checker_.settings_.filter;
    if (!filter.admits(finding)) {
      ++totals_.filtered;
      return;
    }
    ++(finding.msgType == 0 ? totals_.errors : totals_.warnings);
    summary_.add(finding);
    if (filter.maxFindings && listed_ >= *filter.maxFindings) {
      ++totals_.unlisted;
      return;
    }
    ++listed_;
    sink_.finding(label_, finding);
  }

  // Waits for every task in flight; their results stay unwritten.
  void waitInFlight() {
    for (const std::shared_ptr<Task>& task : inFlight_) {
      checker_.pool_->waitDone(*task);
    }
  }

  // Takes the document's sections for the workers before its first task: they are complete
  // once the cutter hands out an object or a piece.
  void startDocument() {
    if (sets_.annex == nullptr) {
      sets_ = Sets{&checker_.annex_, &cutter_->fileMetadata(), cutter_->hasSchemaSections()};
    }
  }

  void gather(std::unique_ptr<smObject> object) {
    poll();
    startDocument();
    batchBytes_ += weightOf(*object);
    batch_.push_back(std::move(object));
    if (batch_.size() >= kBatchObjects || batchBytes_ >= kBatchBytes) {
      submitBatch();
    }
  }

  void submitBatch() {
    if (batch_.empty()) {
      return;
    }
    auto objects = std::make_shared<std::vector<std::unique_ptr<smObject>>>(std::move(batch_));
    batch_.clear();
    auto task = std::make_shared<Task>();
    task->bytes = std::exchange(batchBytes_, 0);
    task->run = [objects, sets = sets_, values = values_, &stop = stop_](Task& self) {
      self.results.reserve(objects->size());
      for (std::unique_ptr<smObject>& object : *objects) {
        stopIf(stop);
        self.results.push_back(resultOf(*object, sets, values));
        object.reset();
      }
    };
    submit(std::move(task));
  }

  void submitPiece(xml::DocumentCutter::Piece piece) {
    startDocument();
    submitBatch();  // the objects before the piece go first
    auto shared = std::make_shared<xml::DocumentCutter::Piece>(std::move(piece));
    auto task = std::make_shared<Task>();
    task->bytes = shared->text.size();
    task->run = [label = label_, limits = checker_.settings_.limits, shared, sets = sets_,
                 values = values_, &stop = stop_](Task& self) {
      stopIf(stop);
      xml::DocumentReader reader(
          label,
          [&](std::unique_ptr<smObject> object) {
            stopIf(stop);
            self.results.push_back(resultOf(*object, sets, values));
          },
          limits);
      reader.readPiece(shared->start, shared->text, shared->last);
    };
    submit(std::move(task));
  }

  void submit(std::shared_ptr<Task> task) {
    const std::size_t jobs = checker_.settings_.jobs;
    const std::size_t budget = 2 * jobs * checker_.settings_.pieceBytes;
    while (!inFlight_.empty() &&
           (inFlight_.size() >= 2 * jobs ||
            (inFlight_.size() >= jobs && bytesInFlight_ + task->bytes > budget))) {
      writeOldest();
    }
    bytesInFlight_ += task->bytes;
    inFlight_.push_back(task);
    checker_.pool_->submit(std::move(task));
    while (!inFlight_.empty() && checker_.pool_->isDone(*inFlight_.front())) {
      writeOldest();
    }
  }

  void writeOldest() {
    // Still in flight while it is waited for: cancelled meanwhile, the run waits for it to end.
    const std::shared_ptr<Task> task = inFlight_.front();
    while (!checker_.pool_->waitDone(*task, kPollInterval)) {
      poll();
    }
    inFlight_.pop_front();
    bytesInFlight_ -= task->bytes;
    for (const ObjectResult& result : task->results) {
      write(result);
    }
    if (task->failure) {
      failed_ = true;  // what comes after the failure is not written
      std::rethrow_exception(task->failure);
    }
  }

  void writeAll() {
    if (!checker_.pool_ || failed_ || stop_) {
      return;
    }
    submitBatch();
    while (!inFlight_.empty()) {
      writeOldest();
    }
  }

  Checker& checker_;
  const std::string& label_;
  OutputSink& sink_;
  Summary& summary_;
  Totals& totals_;
  std::uint64_t listed_ = 0;
  // The document checks' state for this document and their per-object part, which the workers
  // share (it reads the reference schema through its lookups only); null for the catalogue's
  // checks alone.
  std::unique_ptr<smDocumentChecks> document_;
  const smObjectChecks* values_ = nullptr;
  std::vector<smDocumentFinding> found_;
  xml::DocumentCutter* cutter_ = nullptr;
  Sets sets_;  // set by startDocument
  std::vector<std::unique_ptr<smObject>> batch_;
  std::size_t batchBytes_ = 0;
  std::deque<std::shared_ptr<Task>> inFlight_;
  std::size_t bytesInFlight_ = 0;
  bool failed_ = false;            // a task failed: the document ends with it
  std::atomic<bool> stop_{false};  // cancelled: the workers skip what is left
};

Checker::Checker(Metadata& annex, const CheckerSettings& settings)
    : annex_(annex), settings_(settings) {
  settings_.jobs = std::max(1u, settings_.jobs);
  if (settings_.documentChecks) {
    settings_.today = smObjectChecks(nullptr, smDocumentOptions{settings_.today}).today();
  }
  if (settings_.jobs > 1) {
    pool_ = std::make_unique<Pool>(settings_.jobs);
  }
}

Checker::~Checker() = default;

std::optional<Failure> Checker::check(const std::string& label, std::istream& in,
                                      std::uint64_t size, const ProgressFn& progress,
                                      OutputSink& sink, Summary* summary, Totals& totals) {
  sink.beginFile(label);
  Summary fileSummary;
  std::optional<Failure> failure;
  try {
    Run run(*this, label, sink, fileSummary, totals);
    run.read(in, size, progress);
  } catch (const Cancelled&) {
    throw;
  } catch (...) {
    failure = failureOf(label, std::current_exception());
  }
  if (failure) {
    ++totals.unreadable;
  }
  sink.endFile(label, totals, fileSummary, failure ? &*failure : nullptr);
  if (summary != nullptr) {
    summary->add(fileSummary);
  }
  return failure;
}

std::optional<Failure> Checker::checkFile(const std::string& path, const std::string& label,
                                          const ProgressFn& progress, OutputSink& sink,
                                          Summary* summary, Totals& totals) {
  xml::InputFile input;
  try {
    input = xml::openInput(path);
  } catch (const xml::XmlError& e) {
    const Failure failure{e.file(), e.line(), e.column(), e.message()};
    ++totals.unreadable;
    sink.beginFile(label);
    sink.endFile(label, totals, Summary{}, &failure);
    return failure;
  }
  return check(label, *input.stream, input.size, progress, sink, summary, totals);
}

Checker::Session::Session(Checker& checker, std::string label, OutputSink& sink)
    : label_(std::move(label)), sink_(sink), sections_(std::make_unique<Metadata>()) {
  sink_.beginFile(label_);
  run_ = std::make_unique<Run>(checker, label_, sink_, summary_, totals_);
}

Checker::Session::~Session() = default;

void Checker::Session::add(smObject& object) {
  run_->add(object, *sections_);
}

void Checker::Session::finish(bool settle, Totals& totals, Summary* summary) {
  if (settle) {
    run_->settle();
  }
  run_.reset();
  sink_.endFile(label_, totals_, summary_, nullptr);
  totals.add(totals_);
  if (summary != nullptr) {
    summary->add(summary_);
  }
}

}  // namespace swde::engine

// swde — semantic checks of SWDE cadastral exchange objects.
//
// One job: every object is checked as soon as the reader hands it over.
//
// Several jobs, a file: expat is most of the work, so the parsing itself is spread. The
// reading thread parses the head of the document (its declaration, its own schema sections and
// the first objects) and then cuts the rest into pieces that end right after an object's end
// tag. Each piece is parsed as a small document of its own on a worker (the same declaration,
// a SWDE root around it, lines and default ids shifted to where the piece stands) and its
// objects are checked there, against the worker's own copies of the metadata sets (the checks
// move walk cursors inside them). Finished pieces are written in document order. A piece that
// does not read exactly as a part of the whole would (a fault, an object count that differs
// from the end tags seen, schema sections in it) is never written: the head's reader then reads
// the rest itself, skipping the objects already written, so the report, faults included, is
// byte for byte that of one job.
//
// Several jobs, standard input: objects are parsed in one stream and checked in batches on the
// workers.
//
// Either way no more than a fixed window of work is in flight, so memory stays bounded by the
// window, not by the document.
#include "Checker.hpp"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/xml/Reader.hpp"

namespace swde::cli {
namespace {

constexpr std::size_t kBatchObjects = 256;
constexpr std::size_t kTasksPerJob = 4;
constexpr std::size_t kChunkBytes = std::size_t{1} << 16;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
// Without an object end tag in this much text, the rest is read in one stream.
constexpr std::size_t kLongestPiece = std::size_t{64} << 20;
constexpr std::string_view kObjectEnd = "</OBJECT>";

// What checking one object gives.
struct ObjectResult {
  bool checked = false;
  std::vector<Finding> findings;
};

ObjectResult checkObject(smObject& object, Metadata& annex, Metadata& file, bool ownSections) {
  ObjectResult result;
  object.setExistMetadata(ownSections);
  result.checked = object.checkMain(&annex, &file);
  for (smError* error = object.getFirstError(); error != nullptr; error = object.getNextError()) {
    Finding finding;
    finding.line = error->line;
    finding.id = error->id;
    finding.code = error->code;
    finding.msgType = error->msgType;
    finding.typeName = Cp1250ToUtf8(error->typeName);
    finding.message = Cp1250ToUtf8(error->message);
    result.findings.push_back(std::move(finding));
  }
  return result;
}

// The metadata one worker checks against for the current document.
struct WorkerSets {
  std::unique_ptr<Metadata> annex;
  std::unique_ptr<Metadata> file;
  bool ownSections = false;
};

// One unit of work for the pool and what it gave.
struct Task {
  std::function<void(WorkerSets&, Task&)> run;
  std::vector<ObjectResult> results;
  bool usable = true;  // false: a piece that must not be written
  std::exception_ptr failure;
  bool done = false;
};

// Counts line breaks as expat does: "\r\n", "\r" and "\n" each end one line.
class LineCounter {
 public:
  void add(std::string_view text) {
    if (text.empty()) {
      return;
    }
    if (text.find('\r') == std::string_view::npos) {
      // The usual case, counted in one vectorised pass.
      lines_ += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
      if (afterCarriageReturn_ && text.front() == '\n') {
        --lines_;
      }
      afterCarriageReturn_ = false;
      return;
    }
    for (const char c : text) {
      if (c == '\n') {
        lines_ += afterCarriageReturn_ ? 0 : 1;
        afterCarriageReturn_ = false;
      } else {
        afterCarriageReturn_ = c == '\r';
        lines_ += afterCarriageReturn_ ? 1 : 0;
      }
    }
  }
  std::uint64_t lines() const { return lines_; }

 private:
  std::uint64_t lines_ = 0;
  bool afterCarriageReturn_ = false;
};

std::uint64_t countOf(std::string_view text, std::string_view what) {
  std::uint64_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

// The XML declaration a piece needs to be read like the document: its encoding, if declared.
// Empty when the document has no declaration (UTF-8) or an encoding a piece cannot share.
bool pieceDeclaration(std::string_view head, std::string& declaration) {
  declaration.clear();
  if (head.size() >= 2 &&
      ((head[0] == '\xFE' && head[1] == '\xFF') || (head[0] == '\xFF' && head[1] == '\xFE') ||
       head[0] == '\0' || head[1] == '\0')) {
    return false;  // UTF-16: pieces would have to be cut on two-byte boundaries
  }
  if (head.substr(0, 3) == "\xEF\xBB\xBF") {
    head.remove_prefix(3);
  }
  if (head.substr(0, 5) != "<?xml") {
    return true;
  }
  const std::size_t end = head.find("?>");
  if (end == std::string_view::npos) {
    return false;
  }
  const std::string_view xmlDecl = head.substr(0, end);
  const std::size_t key = xmlDecl.find("encoding");
  if (key == std::string_view::npos) {
    return true;
  }
  const std::size_t open = xmlDecl.find_first_of("\"'", key);
  if (open == std::string_view::npos) {
    return false;
  }
  const std::size_t close = xmlDecl.find(xmlDecl[open], open + 1);
  if (close == std::string_view::npos) {
    return false;
  }
  declaration = "<?xml version=\"1.0\" encoding=\"" +
                std::string(xmlDecl.substr(open + 1, close - open - 1)) + "\"?>";
  return true;
}

}  // namespace

// Counts and writes results in document order.
class Checker::Writer {
 public:
  Writer(OutputSink& sink, Summary* summary, const std::string& label, Totals& totals)
      : sink_(sink), summary_(summary), label_(label), totals_(totals) {}

  void write(const ObjectResult& result) {
    ++totals_.objects;
    totals_.checked += result.checked ? 1 : 0;
    for (const Finding& finding : result.findings) {
      ++(finding.msgType == 0 ? totals_.errors : totals_.warnings);
      if (summary_ != nullptr) {
        summary_->add(finding);
      }
      sink_.finding(label_, finding);
    }
  }

  std::uint64_t written() const { return totals_.objects; }

 private:
  OutputSink& sink_;
  Summary* summary_;
  const std::string& label_;
  Totals& totals_;
};

// Worker threads and the queue of tasks waiting for them.
class Checker::Pool {
 public:
  Pool(Metadata& annex, unsigned jobs) : sets_(jobs) {
    for (WorkerSets& sets : sets_) {
      sets.annex = annex.clone();
    }
    for (unsigned i = 0; i < jobs; ++i) {
      threads_.emplace_back([this, i] { work(sets_[i]); });
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

  // Gives every worker its own copy of the document's sections.
  // REQUIRES: no task in flight.
  void startDocument(const Metadata& file, bool ownSections) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (WorkerSets& sets : sets_) {
      sets.file = file.clone();
      sets.ownSections = ownSections;
    }
  }

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

  // Waits for `task`, then passes on what failed in it (an allocation, say).
  void collect(const Task& task) {
    waitDone(task);
    if (task.failure) {
      std::rethrow_exception(task.failure);
    }
  }

  bool isDone(const Task& task) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return task.done;
  }

 private:
  void work(WorkerSets& sets) {
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
        task->run(sets, *task);
      } catch (...) {
        task->failure = std::current_exception();
      }
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        task->done = true;
      }
      taskDone_.notify_all();
    }
  }

  std::vector<WorkerSets> sets_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable taskDone_;
  std::deque<std::shared_ptr<Task>> queue_;
  bool stopping_ = false;
};

Checker::Checker(Metadata& annex, OutputSink& sink, Summary* summary, unsigned jobs)
    : annex_(annex), sink_(sink), summary_(summary), jobs_(jobs < 1 ? 1 : jobs) {
  if (jobs_ > 1) {
    pool_ = std::make_unique<Pool>(annex_, jobs_);
  }
}

Checker::~Checker() = default;

void Checker::checkStream(const std::string& label, std::istream& in, std::uint64_t size,
                          const ProgressFn& progress, Totals& totals, bool seekable) {
  Writer writer(sink_, summary_, label, totals);
  sink_.beginFile(label);
  try {
    if (pool_ && seekable) {
      checkInPieces(label, in, size, progress, writer);
    } else {
      checkInBatches(label, in, size, progress, writer);
    }
  } catch (const xml::XmlError& error) {
    sink_.failFile(label, totals, error.what());
    throw;
  }
  sink_.endFile(label, totals);
}

void Checker::checkInBatches(const std::string& label, std::istream& in, std::uint64_t size,
                             const ProgressFn& progress, Writer& writer) {
  // Tasks handed to the pool, oldest first; written in this order once done.
  std::deque<std::shared_ptr<Task>> inFlight;
  std::vector<std::unique_ptr<smObject>> filling;
  const auto writeTask = [&](Task& task) {
    pool_->collect(task);
    for (const ObjectResult& result : task.results) {
      writer.write(result);
    }
  };
  const auto writeFinished = [&](bool all) {
    while (!inFlight.empty() && (all || pool_->isDone(*inFlight.front()))) {
      const std::shared_ptr<Task> task = std::move(inFlight.front());
      inFlight.pop_front();
      writeTask(*task);
    }
  };
  const auto submitFilling = [&] {
    if (filling.empty()) {
      return;
    }
    while (inFlight.size() >= jobs_ * kTasksPerJob) {
      const std::shared_ptr<Task> oldest = std::move(inFlight.front());
      inFlight.pop_front();
      writeTask(*oldest);
    }
    auto objects = std::make_shared<std::vector<std::unique_ptr<smObject>>>(std::move(filling));
    filling.clear();
    auto task = std::make_shared<Task>();
    task->run = [objects](WorkerSets& sets, Task& self) {
      self.results.reserve(objects->size());
      for (std::unique_ptr<smObject>& object : *objects) {
        self.results.push_back(checkObject(*object, *sets.annex, *sets.file, sets.ownSections));
        object.reset();
      }
    };
    inFlight.push_back(task);
    pool_->submit(std::move(task));
    writeFinished(false);
  };

  xml::DocumentReader* reader = nullptr;
  bool started = false;
  const auto onObject = [&](std::unique_ptr<smObject> object) {
    if (!pool_) {
      writer.write(
          checkObject(*object, annex_, reader->fileMetadata(), reader->hasSchemaSections()));
      return;
    }
    if (!started) {
      // The document's own sections are complete before its first object.
      pool_->startDocument(reader->fileMetadata(), reader->hasSchemaSections());
      started = true;
    }
    filling.push_back(std::move(object));
    if (filling.size() == kBatchObjects) {
      submitFilling();
    }
  };
  xml::DocumentReader documentReader(label, onObject);
  reader = &documentReader;

  try {
    std::vector<char> buffer(kChunkBytes);
    std::uint64_t done = 0;
    while (in) {
      in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      const std::streamsize got = in.gcount();
      if (got <= 0) {
        break;
      }
      documentReader.feed(buffer.data(), static_cast<std::size_t>(got));
      done += static_cast<std::uint64_t>(got);
      if (progress) {
        progress(done, size);
      }
    }
    if (in.bad()) {
      throw xml::XmlError(label, 0, 0, "read error");
    }
    documentReader.finish();
  } catch (const xml::XmlError&) {
    // Everything read before the fault is reported before the fault itself.
    if (pool_) {
      submitFilling();
      writeFinished(true);
    }
    throw;
  }
  if (pool_) {
    submitFilling();
    writeFinished(true);
  }
}

void Checker::checkInPieces(const std::string& label, std::istream& in, std::uint64_t size,
                            const ProgressFn& progress, Writer& writer) {
  // The head's reader writes its own objects, and after a fallback those of the rest that
  // were not written yet.
  std::uint64_t headObjects = 0;
  std::uint64_t skipUpTo = 0;
  xml::DocumentReader* headPtr = nullptr;
  xml::DocumentReader head(label, [&](std::unique_ptr<smObject> object) {
    if (++headObjects <= skipUpTo) {
      return;
    }
    writer.write(
        checkObject(*object, annex_, headPtr->fileMetadata(), headPtr->hasSchemaSections()));
  });
  headPtr = &head;

  std::uint64_t done = 0;
  std::string block(kPieceBytes, '\0');
  const auto readBlock = [&]() -> std::string_view {
    if (!in) {
      return {};
    }
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const std::streamsize got = in.gcount();
    if (in.bad()) {
      throw xml::XmlError(label, 0, 0, "read error");
    }
    done += static_cast<std::uint64_t>(std::max<std::streamsize>(got, 0));
    if (progress && got > 0) {
      progress(done, size);
    }
    return std::string_view(block.data(),
                            static_cast<std::size_t>(std::max<std::streamsize>(got, 0)));
  };
  // Reads everything from `from` to the end through the head's reader.
  const auto readRestInOneStream = [&](std::uint64_t from) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(from));
    if (!in) {
      throw xml::XmlError(label, 0, 0, "cannot read the input again");
    }
    done = from;
    for (std::string_view data = readBlock(); !data.empty(); data = readBlock()) {
      head.feed(data.data(), data.size());
    }
    head.finish();
  };

  // The head: the declaration, the document's own sections and its objects up to the end of
  // the first object end tag after the first whole object.
  const auto readAllInOneStream = [&](std::string_view data) {
    // A doctype (its declarations would be missing from the pieces), an encoding pieces cannot
    // share, or no object end tag for too long: one stream, as with one job.
    for (; !data.empty(); data = readBlock()) {
      head.feed(data.data(), data.size());
    }
    head.finish();
  };
  LineCounter lines;
  std::uint64_t headBytes = 0;
  std::string declaration;
  std::string pending;  // read, not yet given to the head or to a piece
  std::string_view data = readBlock();
  if (!pieceDeclaration(data, declaration) || data.find("<!DOCTYPE") != std::string_view::npos) {
    readAllInOneStream(data);
    return;
  }
  for (;;) {
    if (data.empty()) {
      head.finish();  // the whole document fitted in the head
      return;
    }
    std::size_t take = data.size();
    bool cut = false;
    if (head.objectCount() > 0) {
      const std::size_t end = data.find(kObjectEnd);
      if (end != std::string_view::npos) {
        take = end + kObjectEnd.size();
        cut = true;
      }
    }
    head.feed(data.data(), take);
    lines.add(data.substr(0, take));
    headBytes += take;
    if (cut) {
      pending.assign(data.substr(take));
      break;
    }
    if (headBytes > kLongestPiece) {
      readAllInOneStream(readBlock());
      return;
    }
    data = readBlock();
  }

  // The pieces.
  pool_->startDocument(head.fileMetadata(), head.hasSchemaSections());
  std::deque<std::shared_ptr<Task>> inFlight;
  // However this ends, no task outlives the call (they only hold copies, but their results
  // must not be left to the next document's workers).
  struct Drain {
    Pool& pool;
    std::deque<std::shared_ptr<Task>>& tasks;
    ~Drain() {
      for (const std::shared_ptr<Task>& task : tasks) {
        pool.waitDone(*task);
      }
    }
  } drain{*pool_, inFlight};
  std::uint64_t objectsBefore = head.objectCount();
  bool fallBack = false;
  const auto writeOldest = [&] {
    const std::shared_ptr<Task> task = std::move(inFlight.front());
    inFlight.pop_front();
    pool_->collect(*task);
    if (!task->usable || fallBack) {
      fallBack = true;
      return;
    }
    for (const ObjectResult& result : task->results) {
      writer.write(result);
    }
  };
  const auto submitPiece = [&](std::string text, bool last) {
    while (inFlight.size() >= jobs_ * kTasksPerJob) {
      writeOldest();
    }
    const std::uint64_t expected = countOf(text, kObjectEnd);
    const std::uint64_t linesBefore = lines.lines();
    lines.add(text);
    auto task = std::make_shared<Task>();
    task->run = [label, declaration, text = std::move(text), last, expected, linesBefore,
                 before = objectsBefore](WorkerSets& sets, Task& self) {
      try {
        xml::DocumentReader piece(label, [&](std::unique_ptr<smObject> object) {
          self.results.push_back(checkObject(*object, *sets.annex, *sets.file, sets.ownSections));
        });
        piece.continueDocument(static_cast<std::uint32_t>(linesBefore), before);
        piece.feed(declaration.data(), declaration.size());
        piece.feed("<SWDE>", 6);
        piece.feed(text.data(), text.size());
        if (!last) {
          piece.feed("</SWDE>", 7);
        }
        piece.finish();
        self.usable = piece.objectCount() == expected && !piece.hasSchemaSections();
      } catch (const xml::XmlError&) {
        self.usable = false;
      }
    };
    objectsBefore += expected;
    inFlight.push_back(task);
    pool_->submit(std::move(task));
    while (!inFlight.empty() && pool_->isDone(*inFlight.front()) && !fallBack) {
      writeOldest();
    }
  };

  bool ended = false;
  while (!fallBack && !ended) {
    const std::string_view data = readBlock();
    ended = data.empty();
    pending.append(data);
    if (ended) {
      submitPiece(std::move(pending), true);
      pending.clear();
      break;
    }
    if (pending.size() < kPieceBytes) {
      continue;
    }
    const std::size_t end = pending.rfind(kObjectEnd);
    if (end == std::string::npos) {
      if (pending.size() > kLongestPiece) {
        fallBack = true;
      }
      continue;
    }
    const std::size_t cut = end + kObjectEnd.size();
    std::string rest = pending.substr(cut);
    pending.resize(cut);
    submitPiece(std::move(pending), false);
    pending = std::move(rest);
  }
  while (!inFlight.empty()) {
    writeOldest();
  }
  if (fallBack) {
    // Read again from the end of the head, skipping what the pieces have written.
    skipUpTo = writer.written();
    readRestInOneStream(headBytes);
  }
}

}  // namespace swde::cli

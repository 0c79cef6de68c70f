// swde — semantic checks of SWDE cadastral exchange objects.
//
// One job: every object is checked as soon as the reader hands it over. Several jobs: the
// reading thread gathers objects into batches and hands them to a pool of workers; each worker
// owns copies of the annex and of the document's own sections, checks a whole batch and turns
// its errors into findings. The reading thread writes finished batches in document order and
// never lets more than a fixed window of batches be in flight, so memory stays bounded by the
// window, not by the document.
#include "Checker.hpp"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/xml/Reader.hpp"

namespace swde::cli {
namespace {

constexpr std::size_t kBatchObjects = 256;
constexpr std::size_t kBatchesPerJob = 4;
constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

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

struct Batch {
  std::vector<std::unique_ptr<smObject>> objects;
  std::vector<ObjectResult> results;
  std::exception_ptr failure;
  bool done = false;
};

}  // namespace

// Worker threads and the queue of batches waiting for them.
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

  // Gives every worker its own copy of the document's sections. Called by the reading thread
  // while no batch is in flight.
  void startDocument(const Metadata& file, bool ownSections) {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (WorkerSets& sets : sets_) {
      sets.file = file.clone();
      sets.ownSections = ownSections;
    }
  }

  void submit(std::shared_ptr<Batch> batch) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(batch));
    }
    workAvailable_.notify_one();
  }

  void waitDone(const Batch& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    batchDone_.wait(lock, [&batch] { return batch.done; });
  }

  bool isDone(const Batch& batch) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return batch.done;
  }

 private:
  void work(WorkerSets& sets) {
    for (;;) {
      std::shared_ptr<Batch> batch;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        workAvailable_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
          return;
        }
        batch = std::move(queue_.front());
        queue_.pop_front();
      }
      try {
        batch->results.reserve(batch->objects.size());
        for (std::unique_ptr<smObject>& object : batch->objects) {
          batch->results.push_back(checkObject(*object, *sets.annex, *sets.file, sets.ownSections));
          object.reset();
        }
      } catch (...) {
        batch->failure = std::current_exception();
      }
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        batch->done = true;
      }
      batchDone_.notify_all();
    }
  }

  std::vector<WorkerSets> sets_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable batchDone_;
  std::deque<std::shared_ptr<Batch>> queue_;
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
                          const ProgressFn& progress, Totals& totals) {
  const auto write = [&](const ObjectResult& result) {
    ++totals.objects;
    totals.checked += result.checked ? 1 : 0;
    for (const Finding& finding : result.findings) {
      ++(finding.msgType == 0 ? totals.errors : totals.warnings);
      if (summary_ != nullptr) {
        summary_->add(finding);
      }
      sink_.finding(label, finding);
    }
  };

  // Batches handed to the pool, oldest first; written in this order once done.
  std::deque<std::shared_ptr<Batch>> inFlight;
  std::shared_ptr<Batch> filling;
  const auto writeBatch = [&](Batch& batch) {
    pool_->waitDone(batch);
    if (batch.failure) {
      std::rethrow_exception(batch.failure);
    }
    for (const ObjectResult& result : batch.results) {
      write(result);
    }
  };
  const auto writeFinished = [&](bool all) {
    while (!inFlight.empty() && (all || pool_->isDone(*inFlight.front()))) {
      const std::shared_ptr<Batch> batch = std::move(inFlight.front());
      inFlight.pop_front();
      writeBatch(*batch);
    }
  };
  const auto submitFilling = [&] {
    if (!filling || filling->objects.empty()) {
      return;
    }
    while (inFlight.size() >= jobs_ * kBatchesPerJob) {
      const std::shared_ptr<Batch> oldest = std::move(inFlight.front());
      inFlight.pop_front();
      writeBatch(*oldest);
    }
    inFlight.push_back(filling);
    pool_->submit(std::move(filling));
    filling.reset();
    writeFinished(false);
  };

  sink_.beginFile(label);
  xml::DocumentReader* reader = nullptr;
  bool started = false;
  const auto onObject = [&](std::unique_ptr<smObject> object) {
    if (!pool_) {
      write(checkObject(*object, annex_, reader->fileMetadata(), reader->hasSchemaSections()));
      return;
    }
    if (!started) {
      // The document's own sections are complete before its first object.
      pool_->startDocument(reader->fileMetadata(), reader->hasSchemaSections());
      started = true;
    }
    if (!filling) {
      filling = std::make_shared<Batch>();
      filling->objects.reserve(kBatchObjects);
    }
    filling->objects.push_back(std::move(object));
    if (filling->objects.size() == kBatchObjects) {
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
  } catch (const xml::XmlError& error) {
    // Everything read before the fault is reported before the fault itself.
    if (pool_) {
      submitFilling();
      writeFinished(true);
    }
    sink_.failFile(label, totals, error.what());
    throw;
  }
  if (pool_) {
    submitFilling();
    writeFinished(true);
  }
  sink_.endFile(label, totals);
}

}  // namespace swde::cli

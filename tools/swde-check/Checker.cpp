// swde — semantic checks of SWDE cadastral exchange objects.
#include "Checker.hpp"

#include <memory>
#include <vector>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/xml/Reader.hpp"

namespace swde::cli {

Checker::Checker(Metadata& annex, OutputSink& sink, Summary* summary)
    : annex_(annex), sink_(sink), summary_(summary) {}

Totals Checker::checkStream(const std::string& label, std::istream& in, std::uint64_t size,
                            const ProgressFn& progress) {
  Totals totals;
  sink_.beginFile(label);
  xml::DocumentReader* readerPtr = nullptr;
  xml::DocumentReader reader(label, [&](std::unique_ptr<smObject> object) {
    object->setExistMetadata(readerPtr->hasSchemaSections());
    const bool checked = object->checkMain(&annex_, &readerPtr->fileMetadata());
    ++totals.objects;
    totals.checked += checked ? 1 : 0;
    for (smError* error = object->getFirstError(); error != nullptr;
         error = object->getNextError()) {
      Finding finding;
      finding.line = error->line;
      finding.id = error->id;
      finding.code = error->code;
      finding.msgType = error->msgType;
      finding.typeName = Cp1250ToUtf8(error->typeName);
      finding.message = Cp1250ToUtf8(error->message);
      ++(finding.msgType == 0 ? totals.errors : totals.warnings);
      if (summary_ != nullptr) {
        summary_->add(finding);
      }
      sink_.finding(label, finding);
    }
  });
  readerPtr = &reader;

  try {
    std::vector<char> buffer(1 << 16);
    std::uint64_t done = 0;
    while (in) {
      in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      const std::streamsize got = in.gcount();
      if (got <= 0) {
        break;
      }
      reader.feed(buffer.data(), static_cast<std::size_t>(got));
      done += static_cast<std::uint64_t>(got);
      if (progress) {
        progress(done, size);
      }
    }
    if (in.bad()) {
      throw xml::XmlError(label, 0, 0, "read error");
    }
    reader.finish();
  } catch (const xml::XmlError& error) {
    sink_.failFile(label, totals, error.what());
    throw;
  }
  sink_.endFile(label, totals);
  return totals;
}

}  // namespace swde::cli

// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: the DocumentReader over the input, fed in up to four chunks (or byte by byte)
// at cut points taken from a hash of the input, and every object it hands out checked as
// swde-check does: against the built-in reference schema and the document's own sections,
// with setExistMetadata telling whether the document has them. Every error is walked and read.
// An XmlError is the expected answer to bad input; it must be sticky.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

#include "FuzzSupport.hpp"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  swde::fuzz::initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const std::uint64_t hash = swde::fuzz::hashOf(data, size);

  swde::xml::ReaderLimits limits;
  if ((hash & 7U) == 0) {
    limits.maxValueBytes = 1 + (hash >> 40) % 64;
    limits.maxEntriesPerObject = 1 + (hash >> 48) % 8;
    limits.maxDepth = 1 + (hash >> 56) % 8;
  }

  std::uint64_t objects = 0;
  swde::xml::DocumentReader* readerPtr = nullptr;
  swde::xml::DocumentReader reader(
      "<fuzz>",
      [&](std::unique_ptr<swde::smObject> object) {
        SWDE_FUZZ_CHECK(object != nullptr);
        ++objects;
        object->setExistMetadata(readerPtr->hasSchemaSections());
        const bool checked =
            object->checkMain(&swde::fuzz::builtinAnnex(), &readerPtr->fileMetadata());
        if (!checked) {
          // A gate turned the object away: its entries are gone.
          SWDE_FUZZ_CHECK(object->attributes.empty() && object->relations.empty());
        }
        swde::fuzz::walkErrors(*object);
      },
      limits);
  readerPtr = &reader;

  // Cut points: byte by byte for some small inputs, else up to three cuts from the hash.
  std::array<std::size_t, 5> cuts{0, 0, 0, 0, size};
  const bool byteByByte = size <= 256 && ((hash >> 3) & 3U) == 0;
  for (std::size_t i = 1; i < 4; ++i) {
    cuts[i] = static_cast<std::size_t>((hash >> (8 + 10 * i)) % (size + 1));
  }
  std::sort(cuts.begin(), cuts.end());

  try {
    if (byteByByte) {
      for (std::size_t i = 0; i < size; ++i) {
        reader.feed(text + i, 1);
      }
    } else {
      for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        reader.feed(text + cuts[i], cuts[i + 1] - cuts[i]);
      }
    }
    reader.finish();
  } catch (const swde::xml::XmlError& error) {
    SWDE_FUZZ_CHECK(!error.message().empty());
    SWDE_FUZZ_CHECK(error.file() == "<fuzz>");
    SWDE_FUZZ_CHECK((error.line() == 0) == (error.column() == 0));
    SWDE_FUZZ_CHECK(reader.objectCount() == objects);
    // Sticky: any later call throws the same error again.
    try {
      reader.finish();
      swde::fuzz::broken("finish() after an error did not throw");
    } catch (const swde::xml::XmlError& again) {
      SWDE_FUZZ_CHECK(std::string(again.what()) == error.what());
    }
    return 0;
  }
  SWDE_FUZZ_CHECK(reader.objectCount() == objects);
  SWDE_FUZZ_CHECK(reader.bytesFed() == size);
  // After finish() the reader takes no more input.
  try {
    reader.feed("", 0);
    swde::fuzz::broken("feed() after finish() did not throw");
  } catch (const std::logic_error&) {
  }
  return 0;
}

// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_XML_READSUPPORT_HPP_
#define SWDE_TESTS_XML_READSUPPORT_HPP_

// The reader tests' view of a document: every object as one line, the document's own sections
// as MetadataDump's line, the root's attributes, read whole or fed in pieces.

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "swde/model/Smobject.hpp"
#include "swde/xml/Reader.hpp"

#include "MetadataDump.hpp"

namespace swde_test {

// "TYPE #id @line base=B status=S", then " A:name/code=value#id@line" per attribute and
// " R:name/code->destType(destObject)#id@line" per relation, in map order.
inline std::string Dump(const swde::smObject& object) {
  std::string out = object.typeName + " #" + std::to_string(object.id) + " @" +
                    std::to_string(object.line) + " base=" + object.baseType +
                    " status=" + object.status;
  for (const auto& [key, entry] : object.attributes) {
    out += " A:" + key + "/" + entry->code + "=" + entry->value + "#" + std::to_string(entry->id) +
           "@" + std::to_string(entry->line);
  }
  for (const auto& [key, entry] : object.relations) {
    out += " R:" + key + "/" + entry->code + "->" + entry->destType + "(" + entry->destObject +
           ")#" + std::to_string(entry->id) + "@" + std::to_string(entry->line);
  }
  return out;
}

struct ReadResult {
  std::string objects;  // one Dump line per object, each ended by "\n"
  std::string metadata;
  std::string root;  // "date|version|profile|transfer"
  bool sections = false;
  std::uint64_t count = 0;
};

// Reads `text` whole (chunk 0) or in pieces of `chunk` bytes; throws what the reader throws.
inline ReadResult Read(std::string_view text, std::size_t chunk = 0,
                       const swde::xml::ReaderLimits& limits = {}) {
  ReadResult result;
  swde::xml::DocumentReader reader(
      "doc.xml",
      [&](std::unique_ptr<swde::smObject> object) { result.objects += Dump(*object) + "\n"; },
      limits);
  const std::size_t step = chunk == 0 ? std::max<std::size_t>(text.size(), 1) : chunk;
  for (std::size_t at = 0; at < text.size(); at += step) {
    reader.feed(text.data() + at, std::min(step, text.size() - at));
  }
  reader.finish();
  result.metadata = Dump(reader.fileMetadata());
  result.root = reader.schemaDate() + "|" + reader.schemaVersion() + "|" + reader.schemaProfile() +
                "|" + reader.transfer();
  result.sections = reader.hasSchemaSections();
  result.count = reader.objectCount();
  return result;
}

// The bytes of the file at `path`.
inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What `step` throws as an XmlError, or "no error".
template <typename Step>
std::string Failure(Step step) {
  try {
    step();
  } catch (const swde::xml::XmlError& e) {
    return e.what();
  }
  return "no error";
}

// Little-endian UTF-16 with a byte order mark.
inline std::string Utf16le(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

}  // namespace swde_test

#endif  // SWDE_TESTS_XML_READSUPPORT_HPP_
